#include "Contracts/Setting/EditorSetting.hpp"

#include "core/Properties.hpp"

namespace Dizezida::Dovodarud::Setting {

const Core::TypeInfo& EditorSetting::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<EditorSetting, Object>(
        "DizezidaDovodarudSettingEditorSetting",
        {
            prop("highlight-syntax", &EditorSetting::m_highlight_syntax, ReadWrite, bool{true}),
            prop("highlight-matching-brackets", &EditorSetting::m_highlight_matching_brackets,
                 ReadWrite, bool{true}),
            prop("highlight-current-line", &EditorSetting::m_highlight_current_line, ReadWrite,
                 bool{true}),
            prop("autocompletion", &EditorSetting::m_autocompletion, ReadWrite, bool{true}),
            prop("code-fold", &EditorSetting::m_code_fold, ReadWrite, bool{false}),
            prop("text-wrap", &EditorSetting::m_text_wrap, ReadWrite, bool{true}),
            prop("display-line-numbers", &EditorSetting::m_display_line_numbers, ReadWrite,
                 bool{true}),
            prop("insert-tab-as-spaces", &EditorSetting::m_insert_tab_as_spaces, ReadWrite,
                 bool{true}),
            prop("auto-indent", &EditorSetting::m_auto_indent, ReadWrite, bool{true}),
            prop("indent-width", &EditorSetting::m_indent_width, ReadWrite, std::int32_t{4}),
            prop("tab-width", &EditorSetting::m_tab_width, ReadWrite, std::int32_t{4}),
            prop("font-with-size", &EditorSetting::m_font_with_size),
            prop("overview-map", &EditorSetting::m_overview_map, ReadWrite, bool{false}),
            prop("style-scheme", &EditorSetting::m_style_scheme),
        });
    return info;
}

DIZEZIDA_REGISTER_TYPE(EditorSetting)

} // namespace Dizezida::Dovodarud::Setting
