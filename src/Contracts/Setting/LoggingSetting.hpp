// The log: largest slice size and the level.
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

class LoggingSetting : public Core::Object {
    DIZEZIDA_OBJECT(LoggingSetting)
public:
    /// The JSON member of the settings file that holds this group.
    static constexpr const char* k_key = "logging";

    std::uint32_t file_size_max() const { return m_file_size_max; }
    void set_file_size_max(std::uint32_t value) {
        assign_and_notify(m_file_size_max, value, "file-size-max");
    }
    std::uint32_t logger_level() const { return m_logger_level; }
    void set_logger_level(std::uint32_t value) {
        assign_and_notify(m_logger_level, value, "logger-level");
    }

private:
    std::uint32_t m_file_size_max = 0;
    std::uint32_t m_logger_level = 0;
};

} // namespace Dizezida::Dovodarud::Setting
