// The log manager: the main logger, written to slice files, and one logger
// per connection id, written to a temporary file that can be read back.
//
// Thread-safe: a recursive mutex guards the map of loggers and the main
// logger. Lock order: after the logging service's mutex, before any
// logger's. Property "main" (read-only).
#pragma once

#include "Contracts/Log/ILogManager.hpp"
#include "Supports/Log/Logger.hpp"

#include <unordered_map>

namespace Dizezida::Dovodarud::Supports::Log {

class LogManager : public Core::Object, public Contracts::Log::ILogManager {
    DIZEZIDA_OBJECT(LogManager)
public:
    /// Creates the main logger "uuid_default" (server and name "SYS") and,
    /// unless the folder or the slice files cannot be set up (a platform
    /// warning "*** Failed creating FileHandler: ..."), its slice-file
    /// handler at `level`. A second call replaces the main logger, closing
    /// the previous one.
    void initialize(std::string_view uuid_default, Contracts::Log::LogLevel level,
                    std::string_view log_file_dir, std::int64_t slice_size) override;
    std::shared_ptr<Contracts::Log::ILogger> open(std::string_view uuid) override;
    void close(std::string_view uuid) override;
    void shutdown() override;
    std::shared_ptr<Contracts::Log::ILogger> get_main() const override;

private:
    mutable std::recursive_mutex m_mutex;
    std::string m_uuid_default;
    std::shared_ptr<Contracts::Log::ILogger> m_main;
    std::unordered_map<std::string, std::shared_ptr<Logger>> m_loggers;
};

} // namespace Dizezida::Dovodarud::Supports::Log
