#include "Contracts/Setting/GeneralSetting.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::Setting {

const Core::TypeInfo& GeneralSetting::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<GeneralSetting, Object>(
        "DizezidaDovodarudSettingGeneralSetting",
        {
            prop("window-left", &GeneralSetting::m_window_left, ReadWrite, std::int32_t{0}),
            prop("window-top", &GeneralSetting::m_window_top, ReadWrite, std::int32_t{0}),
            prop("window-width", &GeneralSetting::m_window_width, ReadWrite, std::int32_t{0}),
            prop("window-height", &GeneralSetting::m_window_height, ReadWrite, std::int32_t{0}),
            prop("window-state", &GeneralSetting::m_window_state, ReadWrite, std::int32_t{0}),
            prop("user-locale", &GeneralSetting::m_user_locale, ReadWrite, std::uint32_t{0}),
            prop("color-scheme", &GeneralSetting::m_color_scheme, ReadWrite, std::uint32_t{0}),
            prop("broadcasting", &GeneralSetting::m_broadcasting),
            prop("titlebar-background", &GeneralSetting::m_titlebar_background),
            prop("toolbar-main-icon", &GeneralSetting::m_toolbar_main_icon, ReadWrite, bool{false}),
            prop("toolbar-main-text", &GeneralSetting::m_toolbar_main_text, ReadWrite, bool{true}),
            prop("toolbar-minor-text", &GeneralSetting::m_toolbar_minor_text, ReadWrite,
                 bool{true}),
            prop("starter-page", &GeneralSetting::m_starter_page, ReadWrite, std::uint32_t{0}),
            prop("connecton-icon-size", &GeneralSetting::m_connecton_icon_size, ReadWrite,
                 double{96.0}),
            prop("snippet-mode", &GeneralSetting::m_snippet_mode, ReadWrite, std::uint32_t{1}),
            prop("check-updates-on-startup", &GeneralSetting::m_check_updates_on_startup, ReadWrite,
                 bool{false}),
        });
    return info;
}

DIZEZIDA_REGISTER_TYPE(GeneralSetting)

} // namespace Dizezida::Dovodarud::Setting
