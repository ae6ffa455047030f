// The SQL editor.
//
// One group of the user's settings (see UserSetting). Every property is
// readable and writable; setting a different value notifies observers.
// Not synchronised: one thread at a time.
#pragma once

#include "core/DateTime.hpp"
#include "core/Object.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace Dizezida::Dovodarud::Setting {

class EditorSetting : public Core::Object {
    DIZEZIDA_OBJECT(EditorSetting)
public:
    /// The JSON member of the settings file that holds this group.
    static constexpr const char* k_key = "editor";

    bool highlight_syntax() const { return m_highlight_syntax; }
    void set_highlight_syntax(bool value) {
        assign_and_notify(m_highlight_syntax, value, "highlight-syntax");
    }
    bool highlight_matching_brackets() const { return m_highlight_matching_brackets; }
    void set_highlight_matching_brackets(bool value) {
        assign_and_notify(m_highlight_matching_brackets, value, "highlight-matching-brackets");
    }
    bool highlight_current_line() const { return m_highlight_current_line; }
    void set_highlight_current_line(bool value) {
        assign_and_notify(m_highlight_current_line, value, "highlight-current-line");
    }
    bool autocompletion() const { return m_autocompletion; }
    void set_autocompletion(bool value) {
        assign_and_notify(m_autocompletion, value, "autocompletion");
    }
    bool code_fold() const { return m_code_fold; }
    void set_code_fold(bool value) { assign_and_notify(m_code_fold, value, "code-fold"); }
    bool text_wrap() const { return m_text_wrap; }
    void set_text_wrap(bool value) { assign_and_notify(m_text_wrap, value, "text-wrap"); }
    bool display_line_numbers() const { return m_display_line_numbers; }
    void set_display_line_numbers(bool value) {
        assign_and_notify(m_display_line_numbers, value, "display-line-numbers");
    }
    bool insert_tab_as_spaces() const { return m_insert_tab_as_spaces; }
    void set_insert_tab_as_spaces(bool value) {
        assign_and_notify(m_insert_tab_as_spaces, value, "insert-tab-as-spaces");
    }
    bool auto_indent() const { return m_auto_indent; }
    void set_auto_indent(bool value) { assign_and_notify(m_auto_indent, value, "auto-indent"); }
    std::int32_t indent_width() const { return m_indent_width; }
    void set_indent_width(std::int32_t value) {
        assign_and_notify(m_indent_width, value, "indent-width");
    }
    std::int32_t tab_width() const { return m_tab_width; }
    void set_tab_width(std::int32_t value) { assign_and_notify(m_tab_width, value, "tab-width"); }
    std::string font_with_size() const { return m_font_with_size; }
    void set_font_with_size(std::string value) {
        assign_and_notify(m_font_with_size, std::move(value), "font-with-size");
    }
    bool overview_map() const { return m_overview_map; }
    void set_overview_map(bool value) { assign_and_notify(m_overview_map, value, "overview-map"); }
    std::string style_scheme() const { return m_style_scheme; }
    void set_style_scheme(std::string value) {
        assign_and_notify(m_style_scheme, std::move(value), "style-scheme");
    }

private:
    bool m_highlight_syntax = true;
    bool m_highlight_matching_brackets = true;
    bool m_highlight_current_line = true;
    bool m_autocompletion = true;
    bool m_code_fold = false;
    bool m_text_wrap = true;
    bool m_display_line_numbers = true;
    bool m_insert_tab_as_spaces = true;
    bool m_auto_indent = true;
    std::int32_t m_indent_width = 4;
    std::int32_t m_tab_width = 4;
    std::string m_font_with_size = "";
    bool m_overview_map = false;
    std::string m_style_scheme = "Adwaita";
};

} // namespace Dizezida::Dovodarud::Setting
