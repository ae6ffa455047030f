#include "Contracts/Setting/ExtensionSetting.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::Setting {

const Core::TypeInfo& ExtensionSetting::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<ExtensionSetting, Object>(
        "DizezidaDovodarudSettingExtensionSetting",
        {
            prop("loaded-plugins", &ExtensionSetting::m_loaded_plugins),
        });
    return info;
}

DIZEZIDA_REGISTER_TYPE(ExtensionSetting)

} // namespace Dizezida::Dovodarud::Setting
