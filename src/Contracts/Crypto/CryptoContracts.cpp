#include "Contracts/Crypto/IAsymmetricCipher.hpp"
#include "Contracts/Crypto/ISymmetricCipher.hpp"

namespace Dizezida::Dovodarud::Contracts::Crypto {

const Core::TypeInfo& ISymmetricCipher::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsCryptoISymmetricCipher");
    return info;
}

const Core::TypeInfo& IAsymmetricCipher::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsCryptoIAsymmetricCipher");
    return info;
}

} // namespace Dizezida::Dovodarud::Contracts::Crypto
