#include "Helpers/ServiceHelper.hpp"

#include "Contracts/Crypto/IAsymmetricCipher.hpp"
#include "Contracts/Setting/UserSetting.hpp"
#include "Foundation/Services.hpp"
#include "provider/Contracts/ServerSetting.hpp"

namespace Dizezida::Dovodarud::Helpers {

namespace {

/// The registered service for T; nullptr when nothing was registered for it
/// (the registry would otherwise build an unregistered class on request).
template <class T> std::shared_ptr<T> registered() {
    const auto container = Foundation::Services::container();
    if (!container || !container->has(&T::static_type()))
        return nullptr;
    return std::dynamic_pointer_cast<T>(container->resolve(&T::static_type()));
}

} // namespace

std::shared_ptr<Setting::UserSetting> ServiceHelper::setting() {
    return registered<Setting::UserSetting>();
}

std::shared_ptr<Zozuvoru::Contracts::ServerSetting> ServiceHelper::servers() {
    return registered<Zozuvoru::Contracts::ServerSetting>();
}

std::shared_ptr<Contracts::Crypto::ISymmetricCipher> ServiceHelper::cipher() {
    return registered<Contracts::Crypto::ISymmetricCipher>();
}

std::shared_ptr<Contracts::Crypto::IAsymmetricCipher> ServiceHelper::pubkey() {
    return registered<Contracts::Crypto::IAsymmetricCipher>();
}

} // namespace Dizezida::Dovodarud::Helpers
