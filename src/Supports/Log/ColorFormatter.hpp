// The line shape for terminals: time, padded server and name columns and a
// level name in terminal colour codes:
//   "14:05:09.042 [server      ][name        ][\033[1;34mPLAIN\033[00m   ] message\n"
#pragma once

#include "Supports/Log/DefaultFormatter.hpp"

namespace Dizezida::Dovodarud::Supports::Log {

class ColorFormatter : public DefaultFormatter {
    DIZEZIDA_OBJECT(ColorFormatter)
public:
    /// The level name between its colour code and "\033[00m".
    std::string get_level_name(Contracts::Log::LogLevel level) const override;
    std::string format(Contracts::Log::LogLevel level, std::string_view server,
                       std::string_view name, std::string_view message) const override;
};

} // namespace Dizezida::Dovodarud::Supports::Log
