#include "Contracts/Setting/DataGridSetting.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::Setting {

const Core::TypeInfo& DataGridSetting::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<DataGridSetting, Object>(
        "DizezidaDovodarudSettingDataGridSetting",
        {
            prop("submit-mode", &DataGridSetting::m_submit_mode, ReadWrite, std::uint32_t{0}),
            prop("records-limit", &DataGridSetting::m_records_limit, ReadWrite, std::int32_t{1000}),
            prop("font-with-size", &DataGridSetting::m_font_with_size),
            prop("color-bg-dark", &DataGridSetting::m_color_bg_dark),
            prop("color-bg-light", &DataGridSetting::m_color_bg_light),
            prop("color-bg-dirty", &DataGridSetting::m_color_bg_dirty),
            prop("color-text", &DataGridSetting::m_color_text),
            prop("color-integer", &DataGridSetting::m_color_integer),
            prop("color-float", &DataGridSetting::m_color_float),
            prop("color-datetime", &DataGridSetting::m_color_datetime),
            prop("color-binary", &DataGridSetting::m_color_binary),
            prop("color-spatial", &DataGridSetting::m_color_spatial),
            prop("color-compute", &DataGridSetting::m_color_compute),
            prop("color-others", &DataGridSetting::m_color_others),
            prop("color-dbnull", &DataGridSetting::m_color_dbnull),
            prop("color-current", &DataGridSetting::m_color_current),
        });
    return info;
}

DIZEZIDA_REGISTER_TYPE(DataGridSetting)

} // namespace Dizezida::Dovodarud::Setting
