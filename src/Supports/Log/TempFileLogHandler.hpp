// Writes one connection's log to a private temporary file
// "<name>-XXXXXX.log" in the system temporary folder and reads it back whole
// with `recent()`. The file is left in place when the handler closes.
//
// Not synchronised: the owning logger serialises publish, recent and close.
#pragma once

#include "Supports/Log/LogFile.hpp"
#include "Supports/Log/LogHandler.hpp"

namespace Dizezida::Dovodarud::Supports::Log {

class TempFileLogHandler : public LogHandler {
    DIZEZIDA_OBJECT(TempFileLogHandler)
public:
    /// A handler with a SimpleFormatter and no file yet.
    TempFileLogHandler();

    /// Creates the temporary file; a failure is a platform warning and
    /// leaves the handler without a file (messages are then dropped).
    void initialize(std::string_view name);

    void publish(Contracts::Log::LogLevel level, std::string_view server, std::string_view name,
                 std::string_view message) override;
    /// Every line written so far, in order.
    std::string recent() override;
    void close() override;

    /// The temporary file's path; "" before a successful `initialize`.
    const std::string& path() const { return m_path; }

private:
    LogFile m_file;
    std::string m_path;
};

} // namespace Dizezida::Dovodarud::Supports::Log
