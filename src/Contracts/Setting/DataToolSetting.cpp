#include "Contracts/Setting/DataToolSetting.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::Setting {

const Core::TypeInfo& DataToolSetting::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<DataToolSetting, Object>(
        "DizezidaDovodarudSettingDataToolSetting",
        {
            prop("external-editor", &DataToolSetting::m_external_editor),
        });
    return info;
}

DIZEZIDA_REGISTER_TYPE(DataToolSetting)

} // namespace Dizezida::Dovodarud::Setting
