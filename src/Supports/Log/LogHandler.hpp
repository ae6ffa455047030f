// The part every handler shares: its formatter and threshold properties.
//
// The owning logger serialises publish, recent and close (see ILogHandler).
// The threshold may be changed from any thread while others log; set the
// formatter before the handler is appended to a logger.
#pragma once

#include "Contracts/Log/ILogHandler.hpp"

#include <atomic>

namespace Dizezida::Dovodarud::Supports::Log {

class LogHandler : public Core::Object, public Contracts::Log::ILogHandler {
    DIZEZIDA_OBJECT(LogHandler)
public:
    std::string recent() override { return {}; }
    void close() override {}
    std::shared_ptr<Contracts::Log::IFormatter> get_formatter() const override;
    void set_formatter(std::shared_ptr<Contracts::Log::IFormatter> formatter) override;
    Contracts::Log::LogLevel get_threshold() const override { return m_threshold.load(); }
    void set_threshold(Contracts::Log::LogLevel level) override;

protected:
    explicit LogHandler(std::shared_ptr<Contracts::Log::IFormatter> formatter);
    /// Whether the threshold lets a message of this level through.
    bool accepts(Contracts::Log::LogLevel level) const;
    /// The formatter's line; the bare message and a newline without a formatter.
    std::string line_for(Contracts::Log::LogLevel level, std::string_view server,
                         std::string_view name, std::string_view message) const;

    std::shared_ptr<Contracts::Log::IFormatter> m_formatter;
    std::atomic<Contracts::Log::LogLevel> m_threshold{Contracts::Log::LogLevel::Plain};
};

} // namespace Dizezida::Dovodarud::Supports::Log
