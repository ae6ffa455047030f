// The line shape of the connection logs: "14:05:09.042 message\n" (no server,
// name or level).
#pragma once

#include "Supports/Log/DefaultFormatter.hpp"

namespace Dizezida::Dovodarud::Supports::Log {

class SimpleFormatter : public DefaultFormatter {
    DIZEZIDA_OBJECT(SimpleFormatter)
public:
    std::string format(Contracts::Log::LogLevel level, std::string_view server,
                       std::string_view name, std::string_view message) const override;
};

} // namespace Dizezida::Dovodarud::Supports::Log
