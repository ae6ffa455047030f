// Short access to the process-wide services the front end registers: the
// user settings, the saved server list and the two ciphers.
//
// Each call asks the service registry afresh and returns a shared reference,
// or nullptr when nothing is registered (or the registry is not started).
// Stateless; safe from any thread as far as the registry is.
#pragma once

#include <memory>

namespace Dizezida::Zozuvoru::Contracts {
class ServerSetting;
}
namespace Dizezida::Dovodarud::Setting {
class UserSetting;
}
namespace Dizezida::Dovodarud::Contracts::Crypto {
class ISymmetricCipher;
class IAsymmetricCipher;
} // namespace Dizezida::Dovodarud::Contracts::Crypto

namespace Dizezida::Dovodarud::Helpers {

class ServiceHelper {
public:
    ServiceHelper() = delete;

    static std::shared_ptr<Setting::UserSetting> setting();
    static std::shared_ptr<Zozuvoru::Contracts::ServerSetting> servers();
    static std::shared_ptr<Contracts::Crypto::ISymmetricCipher> cipher();
    static std::shared_ptr<Contracts::Crypto::IAsymmetricCipher> pubkey();
};

} // namespace Dizezida::Dovodarud::Helpers
