// Writes log lines in colour mark-up to a channel file that the user
// interface reads, and tells it through a callback on the main loop when the
// file has changed:
//   "14:05:09.042   <span foreground=\"blue\">message</span>\n"
// The message is made valid UTF-8 and escaped for the mark-up.
//
// publish may run on any thread (serialised by the owning logger); the
// callback runs on the main context that was current at `initialize`;
// `close` belongs on that context's thread.
#pragma once

#include "Supports/Log/LogHandler.hpp"

#include <functional>

namespace Dizezida::Dovodarud::Supports::Log {

class DelegateHandler : public LogHandler {
    DIZEZIDA_OBJECT(DelegateHandler)
public:
    using Callback = std::function<void()>;
    static constexpr std::string_view k_default_path = "dizezida-XXXXXX.txt";

    /// A handler without a formatter and without a channel.
    DelegateHandler();
    ~DelegateHandler() override;

    /// Opens `path` (taken literally, truncated, relative to the current
    /// folder) and watches it on the main loop; `callback` runs each time
    /// the file changes. Failures are platform warnings.
    void initialize(Callback callback, std::string_view path = k_default_path);

    void publish(Contracts::Log::LogLevel level, std::string_view server, std::string_view name,
                 std::string_view message) override;
    void close() override;

    /// The channel file; "" when no channel is open.
    std::string path() const;

private:
    struct Channel;
    std::unique_ptr<Channel> m_channel;
};

} // namespace Dizezida::Dovodarud::Supports::Log
