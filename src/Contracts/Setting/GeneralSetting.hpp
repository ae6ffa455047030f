// Window placement, appearance and start-up behaviour.
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

class GeneralSetting : public Core::Object {
    DIZEZIDA_OBJECT(GeneralSetting)
public:
    /// The JSON member of the settings file that holds this group.
    static constexpr const char* k_key = "general";

    std::int32_t window_left() const { return m_window_left; }
    void set_window_left(std::int32_t value) {
        assign_and_notify(m_window_left, value, "window-left");
    }
    std::int32_t window_top() const { return m_window_top; }
    void set_window_top(std::int32_t value) {
        assign_and_notify(m_window_top, value, "window-top");
    }
    std::int32_t window_width() const { return m_window_width; }
    void set_window_width(std::int32_t value) {
        assign_and_notify(m_window_width, value, "window-width");
    }
    std::int32_t window_height() const { return m_window_height; }
    void set_window_height(std::int32_t value) {
        assign_and_notify(m_window_height, value, "window-height");
    }
    std::int32_t window_state() const { return m_window_state; }
    void set_window_state(std::int32_t value) {
        assign_and_notify(m_window_state, value, "window-state");
    }
    std::uint32_t user_locale() const { return m_user_locale; }
    void set_user_locale(std::uint32_t value) {
        assign_and_notify(m_user_locale, value, "user-locale");
    }
    std::uint32_t color_scheme() const { return m_color_scheme; }
    void set_color_scheme(std::uint32_t value) {
        assign_and_notify(m_color_scheme, value, "color-scheme");
    }
    std::optional<Core::DateTime> broadcasting() const { return m_broadcasting; }
    void set_broadcasting(std::optional<Core::DateTime> value) {
        assign_and_notify(m_broadcasting, std::move(value), "broadcasting");
    }
    std::string titlebar_background() const { return m_titlebar_background; }
    void set_titlebar_background(std::string value) {
        assign_and_notify(m_titlebar_background, std::move(value), "titlebar-background");
    }
    bool toolbar_main_icon() const { return m_toolbar_main_icon; }
    void set_toolbar_main_icon(bool value) {
        assign_and_notify(m_toolbar_main_icon, value, "toolbar-main-icon");
    }
    bool toolbar_main_text() const { return m_toolbar_main_text; }
    void set_toolbar_main_text(bool value) {
        assign_and_notify(m_toolbar_main_text, value, "toolbar-main-text");
    }
    bool toolbar_minor_text() const { return m_toolbar_minor_text; }
    void set_toolbar_minor_text(bool value) {
        assign_and_notify(m_toolbar_minor_text, value, "toolbar-minor-text");
    }
    std::uint32_t starter_page() const { return m_starter_page; }
    void set_starter_page(std::uint32_t value) {
        assign_and_notify(m_starter_page, value, "starter-page");
    }
    double connecton_icon_size() const { return m_connecton_icon_size; }
    void set_connecton_icon_size(double value) {
        assign_and_notify(m_connecton_icon_size, value, "connecton-icon-size");
    }
    std::uint32_t snippet_mode() const { return m_snippet_mode; }
    void set_snippet_mode(std::uint32_t value) {
        assign_and_notify(m_snippet_mode, value, "snippet-mode");
    }
    bool check_updates_on_startup() const { return m_check_updates_on_startup; }
    void set_check_updates_on_startup(bool value) {
        assign_and_notify(m_check_updates_on_startup, value, "check-updates-on-startup");
    }

private:
    std::int32_t m_window_left = 0;
    std::int32_t m_window_top = 0;
    std::int32_t m_window_width = 0;
    std::int32_t m_window_height = 0;
    std::int32_t m_window_state = 0;
    std::uint32_t m_user_locale = 0;
    std::uint32_t m_color_scheme = 0;
    std::optional<Core::DateTime> m_broadcasting =
        Core::DateTime{Core::DateTime::now_local().unix_microseconds, 0};
    std::string m_titlebar_background = "none";
    bool m_toolbar_main_icon = false;
    bool m_toolbar_main_text = true;
    bool m_toolbar_minor_text = true;
    std::uint32_t m_starter_page = 0;
    double m_connecton_icon_size = 96.0;
    std::uint32_t m_snippet_mode = 1;
    bool m_check_updates_on_startup = false;
};

} // namespace Dizezida::Dovodarud::Setting
