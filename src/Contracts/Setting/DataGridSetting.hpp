// The result grid; colours are CSS colour texts.
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

class DataGridSetting : public Core::Object {
    DIZEZIDA_OBJECT(DataGridSetting)
public:
    /// The JSON member of the settings file that holds this group.
    static constexpr const char* k_key = "datagrid";

    std::uint32_t submit_mode() const { return m_submit_mode; }
    void set_submit_mode(std::uint32_t value) {
        assign_and_notify(m_submit_mode, value, "submit-mode");
    }
    std::int32_t records_limit() const { return m_records_limit; }
    void set_records_limit(std::int32_t value) {
        assign_and_notify(m_records_limit, value, "records-limit");
    }
    std::string font_with_size() const { return m_font_with_size; }
    void set_font_with_size(std::string value) {
        assign_and_notify(m_font_with_size, std::move(value), "font-with-size");
    }
    std::string color_bg_dark() const { return m_color_bg_dark; }
    void set_color_bg_dark(std::string value) {
        assign_and_notify(m_color_bg_dark, std::move(value), "color-bg-dark");
    }
    std::string color_bg_light() const { return m_color_bg_light; }
    void set_color_bg_light(std::string value) {
        assign_and_notify(m_color_bg_light, std::move(value), "color-bg-light");
    }
    std::string color_bg_dirty() const { return m_color_bg_dirty; }
    void set_color_bg_dirty(std::string value) {
        assign_and_notify(m_color_bg_dirty, std::move(value), "color-bg-dirty");
    }
    std::string color_text() const { return m_color_text; }
    void set_color_text(std::string value) {
        assign_and_notify(m_color_text, std::move(value), "color-text");
    }
    std::string color_integer() const { return m_color_integer; }
    void set_color_integer(std::string value) {
        assign_and_notify(m_color_integer, std::move(value), "color-integer");
    }
    std::string color_float() const { return m_color_float; }
    void set_color_float(std::string value) {
        assign_and_notify(m_color_float, std::move(value), "color-float");
    }
    std::string color_datetime() const { return m_color_datetime; }
    void set_color_datetime(std::string value) {
        assign_and_notify(m_color_datetime, std::move(value), "color-datetime");
    }
    std::string color_binary() const { return m_color_binary; }
    void set_color_binary(std::string value) {
        assign_and_notify(m_color_binary, std::move(value), "color-binary");
    }
    std::string color_spatial() const { return m_color_spatial; }
    void set_color_spatial(std::string value) {
        assign_and_notify(m_color_spatial, std::move(value), "color-spatial");
    }
    std::string color_compute() const { return m_color_compute; }
    void set_color_compute(std::string value) {
        assign_and_notify(m_color_compute, std::move(value), "color-compute");
    }
    std::string color_others() const { return m_color_others; }
    void set_color_others(std::string value) {
        assign_and_notify(m_color_others, std::move(value), "color-others");
    }
    std::string color_dbnull() const { return m_color_dbnull; }
    void set_color_dbnull(std::string value) {
        assign_and_notify(m_color_dbnull, std::move(value), "color-dbnull");
    }
    std::string color_current() const { return m_color_current; }
    void set_color_current(std::string value) {
        assign_and_notify(m_color_current, std::move(value), "color-current");
    }

private:
    std::uint32_t m_submit_mode = 0;
    std::int32_t m_records_limit = 1000;
    std::string m_font_with_size = "monospace 10";
    std::string m_color_bg_dark = "rgba(0, 0, 0, 0.05)";
    std::string m_color_bg_light = "rgba(255, 255, 255, 0.05)";
    std::string m_color_bg_dirty = "rgba(245, 108, 108, 0.3)";
    std::string m_color_text = "rgba(0, 0, 0, 1.0)";
    std::string m_color_integer = "rgba(0, 0, 0, 1.0)";
    std::string m_color_float = "rgba(0, 0, 0, 1.0)";
    std::string m_color_datetime = "rgba(0, 0, 0, 1.0)";
    std::string m_color_binary = "rgba(0, 0, 0, 1.0)";
    std::string m_color_spatial = "rgba(0, 0, 0, 1.0)";
    std::string m_color_compute = "rgba(0, 0, 0, 1.0)";
    std::string m_color_others = "rgba(0, 0, 0, 1.0)";
    std::string m_color_dbnull = "rgba(0, 0, 0, 1.0)";
    std::string m_color_current = "rgba(204, 204, 204, 0.8)";
};

} // namespace Dizezida::Dovodarud::Setting
