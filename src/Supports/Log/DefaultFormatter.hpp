// The line shape of the slice files:
//   "20260312 14:05:09.042 [server][name][PLAIN] message\n"
//
// Stateless; share it freely between handlers and threads.
#pragma once

#include "Contracts/Log/IFormatter.hpp"

namespace Dizezida::Dovodarud::Supports::Log {

class DefaultFormatter : public Core::Object, public Contracts::Log::IFormatter {
    DIZEZIDA_OBJECT(DefaultFormatter)
public:
    /// "RISKY", "PLAIN" or "DEBUG"; another value is a caller's fault ("").
    virtual std::string get_level_name(Contracts::Log::LogLevel level) const;
    std::string format(Contracts::Log::LogLevel level, std::string_view server,
                       std::string_view name, std::string_view message) const override;
};

} // namespace Dizezida::Dovodarud::Supports::Log
