#include "tests/support/PlatformLog.hpp"

#include <glib.h>

#include <mutex>

namespace Dizezida::Testing {
namespace {

std::mutex g_mutex;
std::vector<std::string> g_messages;
int g_captures = 0;

GLogWriterOutput capture_writer(GLogLevelFlags level, const GLogField* fields, gsize count,
                                gpointer) {
    {
        std::lock_guard lock(g_mutex);
        if (g_captures > 0) {
            for (gsize i = 0; i < count; ++i)
                if (g_strcmp0(fields[i].key, "MESSAGE") == 0)
                    g_messages.emplace_back(static_cast<const char*>(fields[i].value));
            return G_LOG_WRITER_HANDLED;
        }
    }
    return g_log_writer_default(level, fields, count, nullptr);
}

} // namespace

void install_platform_log_writer() { g_log_set_writer_func(capture_writer, nullptr, nullptr); }

PlatformLogCapture::PlatformLogCapture() {
    std::lock_guard lock(g_mutex);
    if (g_captures++ == 0)
        g_messages.clear();
}

PlatformLogCapture::~PlatformLogCapture() {
    std::lock_guard lock(g_mutex);
    --g_captures;
}

std::vector<std::string> PlatformLogCapture::messages() const {
    std::lock_guard lock(g_mutex);
    return g_messages;
}

bool PlatformLogCapture::contains(const std::string& text) const {
    for (const auto& message : messages())
        if (message.find(text) != std::string::npos)
            return true;
    return false;
}

} // namespace Dizezida::Testing
