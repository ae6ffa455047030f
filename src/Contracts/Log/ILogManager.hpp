// Keeps one logger per id: the main logger and one per connection.
//
// Its recursive map mutex is taken after the logging service's and before any
// logger's. Property "main" (read-only).
#pragma once

#include "Contracts/Log/ILogger.hpp"

#include <cstdint>

namespace Dizezida::Dovodarud::Contracts::Log {

class ILogManager {
    DIZEZIDA_INTERFACE(ILogManager)
public:
    virtual ~ILogManager() = default;
    /// Makes the main logger `uuid_default` ("SYS"/"SYS") writing slice files
    /// of `slice_size` bytes (0: no limit) in `log_file_dir` at `level`.
    virtual void initialize(std::string_view uuid_default, LogLevel level,
                            std::string_view log_file_dir, std::int64_t slice_size) = 0;
    /// The logger of an id, created with a temporary-file handler on first use.
    virtual std::shared_ptr<ILogger> open(std::string_view uuid) = 0;
    /// Closes and forgets the logger of an id; an unknown id does nothing.
    virtual void close(std::string_view uuid) = 0;
    /// Closes and forgets every logger.
    virtual void shutdown() = 0;
    /// The main logger; nullptr before `initialize`.
    virtual std::shared_ptr<ILogger> get_main() const = 0;
};

} // namespace Dizezida::Dovodarud::Contracts::Log
