#include "Contracts/Setting/NetworkSetting.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::Setting {

const Core::TypeInfo& NetworkSetting::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<NetworkSetting, Object>(
        "DizezidaDovodarudSettingNetworkSetting",
        {
            prop("proxy-using", &NetworkSetting::m_proxy_using, ReadWrite, bool{false}),
            prop("proxy-type", &NetworkSetting::m_proxy_type, ReadWrite, std::uint32_t{0}),
            prop("proxy-host", &NetworkSetting::m_proxy_host),
            prop("proxy-port", &NetworkSetting::m_proxy_port, ReadWrite, std::uint16_t{8080}),
            prop("proxy-username", &NetworkSetting::m_proxy_username),
            prop("proxy-password", &NetworkSetting::m_proxy_password),
        });
    return info;
}

DIZEZIDA_REGISTER_TYPE(NetworkSetting)

} // namespace Dizezida::Dovodarud::Setting
