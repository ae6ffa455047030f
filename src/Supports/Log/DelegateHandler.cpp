// The file is watched with a file monitor rather than a readable-input watch
// on the channel: a regular file always polls as readable, so such a watch
// would run the callback on every main-loop iteration and keep the loop from
// ever sleeping.
#include "Supports/Log/DelegateHandler.hpp"

#include "Supports/Log/TimeStamp.hpp"

#include <gio/gio.h>

namespace Dizezida::Dovodarud::Supports::Log {

using Contracts::Log::LogLevel;

namespace {

constexpr gsize k_buffer_size = 1048576;
constexpr gint k_rate_limit_ms = 100;

void on_file_changed(GFileMonitor*, GFile*, GFile*, GFileMonitorEvent event, gpointer data) {
    const auto* callback = static_cast<const DelegateHandler::Callback*>(data);
    if (event == G_FILE_MONITOR_EVENT_CHANGED && *callback)
        (*callback)();
}

} // namespace

struct DelegateHandler::Channel {
    GIOChannel* io = nullptr;
    GFileMonitor* monitor = nullptr;
    gulong changed_id = 0;
    Callback callback;
    std::string path;
};

const Core::TypeInfo& DelegateHandler::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<DelegateHandler, LogHandler>(
        "DizezidaDovodarudSupportsLogDelegateHandler");
    return info;
}

DelegateHandler::DelegateHandler() : LogHandler(nullptr) {}

DelegateHandler::~DelegateHandler() { close(); }

void DelegateHandler::initialize(Callback callback, std::string_view path) {
    close();
    auto channel = std::make_unique<Channel>();
    channel->path = path;
    channel->callback = std::move(callback);
    GError* error = nullptr;
    channel->io = g_io_channel_new_file(channel->path.c_str(), "w+", &error);
    if (!channel->io) {
        g_warning("Failed to open channel: %s", error->message);
        g_error_free(error);
        return;
    }
    g_io_channel_set_encoding(channel->io, nullptr, nullptr);
    g_io_channel_set_buffered(channel->io, TRUE);
    g_io_channel_set_buffer_size(channel->io, k_buffer_size);

    GFile* file = g_file_new_for_path(channel->path.c_str());
    channel->monitor = g_file_monitor_file(file, G_FILE_MONITOR_NONE, nullptr, &error);
    g_object_unref(file);
    if (!channel->monitor) {
        g_warning("Failed to open channel: %s", error->message);
        g_error_free(error);
        g_io_channel_unref(channel->io);
        return;
    }
    g_file_monitor_set_rate_limit(channel->monitor, k_rate_limit_ms);
    channel->changed_id = g_signal_connect(channel->monitor, "changed",
                                           G_CALLBACK(on_file_changed), &channel->callback);
    m_channel = std::move(channel);
}

void DelegateHandler::publish(LogLevel level, std::string_view, std::string_view,
                              std::string_view message) {
    if (!accepts(level) || !m_channel)
        return;
    gchar* valid = g_utf8_make_valid(message.data(), static_cast<gssize>(message.size()));
    gchar* escaped = g_markup_escape_text(valid, -1);
    std::string line;
    append_stamp(line, local_stamp("%H:%M:%S"));
    line += "   <span foreground=\"";
    line += Contracts::Log::to_color(level);
    line += "\">";
    line += escaped;
    line += "</span>\n";
    g_free(escaped);
    g_free(valid);

    GError* error = nullptr;
    gsize written = 0;
    // Flushed line by line: the reader sees every line as soon as it is told.
    if (g_io_channel_write_chars(m_channel->io, line.data(), static_cast<gssize>(line.size()),
                                 &written, &error) != G_IO_STATUS_NORMAL ||
        g_io_channel_flush(m_channel->io, &error) != G_IO_STATUS_NORMAL) {
        g_warning("Failed to write channel: %s", error ? error->message : "short write");
        g_clear_error(&error);
    }
}

void DelegateHandler::close() {
    if (!m_channel)
        return;
    g_signal_handler_disconnect(m_channel->monitor, m_channel->changed_id);
    g_file_monitor_cancel(m_channel->monitor);
    g_object_unref(m_channel->monitor);
    GError* error = nullptr;
    if (g_io_channel_shutdown(m_channel->io, FALSE, &error) != G_IO_STATUS_NORMAL) {
        g_warning("Failed to close channel: %s", error ? error->message : "unknown error");
        g_clear_error(&error);
    }
    g_io_channel_unref(m_channel->io);
    m_channel.reset();
}

std::string DelegateHandler::path() const { return m_channel ? m_channel->path : std::string(); }

} // namespace Dizezida::Dovodarud::Supports::Log

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Log::DelegateHandler)
