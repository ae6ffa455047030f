// The three formatters. Each line is built from plain text: the message was
// formatted before it got here, so a "%" in a server name, logger name or
// message is written as it stands.
#include "Supports/Log/ColorFormatter.hpp"
#include "Supports/Log/DefaultFormatter.hpp"
#include "Supports/Log/SimpleFormatter.hpp"
#include "Supports/Log/TimeStamp.hpp"

#include "core/Precondition.hpp"

namespace Dizezida::Dovodarud::Supports::Log {

using Contracts::Log::LogLevel;

namespace {

/// Appends `text` and blanks up to `width` bytes (left-aligned, like "%-12s").
void append_padded(std::string& line, std::string_view text, std::size_t width) {
    line += text;
    if (text.size() < width)
        line.append(width - text.size(), ' ');
}

} // namespace

const Core::TypeInfo& DefaultFormatter::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<DefaultFormatter, Core::Object>(
        "DizezidaDovodarudSupportsLogDefaultFormatter", {}, {&IFormatter::static_type()});
    return info;
}

const Core::TypeInfo& ColorFormatter::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<ColorFormatter, DefaultFormatter>(
        "DizezidaDovodarudSupportsLogColorFormatter");
    return info;
}

const Core::TypeInfo& SimpleFormatter::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_class<SimpleFormatter, DefaultFormatter>(
            "DizezidaDovodarudSupportsLogSimpleFormatter");
    return info;
}

std::string DefaultFormatter::get_level_name(LogLevel level) const {
    switch (level) {
    case LogLevel::Risky:
        return "RISKY";
    case LogLevel::Plain:
        return "PLAIN";
    case LogLevel::Debug:
        return "DEBUG";
    }
    Core::precondition_failed(__func__, "level is RISKY, PLAIN or DEBUG");
    return {};
}

std::string DefaultFormatter::format(LogLevel level, std::string_view server,
                                     std::string_view name, std::string_view message) const {
    std::string line;
    line.reserve(48 + server.size() + name.size() + message.size());
    append_stamp(line, local_stamp("%Y%m%d %H:%M:%S"));
    line += " [";
    line += server;
    line += "][";
    line += name;
    line += "][";
    line += get_level_name(level);
    line += "] ";
    line += message;
    line += '\n';
    return line;
}

std::string ColorFormatter::get_level_name(LogLevel level) const {
    std::string_view open = "\033[1;37m";
    switch (level) {
    case LogLevel::Risky:
        open = "\033[1;31m";
        break;
    case LogLevel::Plain:
        open = "\033[1;34m";
        break;
    case LogLevel::Debug:
        open = "\033[1;32m";
        break;
    }
    std::string name(open);
    name += DefaultFormatter::get_level_name(level);
    name += "\033[00m";
    return name;
}

std::string ColorFormatter::format(LogLevel level, std::string_view server, std::string_view name,
                                   std::string_view message) const {
    std::string line;
    line.reserve(72 + message.size());
    append_stamp(line, local_stamp("%H:%M:%S"));
    line += " [";
    append_padded(line, server, 12);
    line += "][";
    append_padded(line, name, 12);
    line += "][";
    append_padded(line, get_level_name(level), 20);
    line += "] ";
    line += message;
    line += '\n';
    return line;
}

std::string SimpleFormatter::format(LogLevel, std::string_view, std::string_view,
                                    std::string_view message) const {
    std::string line;
    line.reserve(16 + message.size());
    append_stamp(line, local_stamp("%H:%M:%S"));
    line += ' ';
    line += message;
    line += '\n';
    return line;
}

} // namespace Dizezida::Dovodarud::Supports::Log

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Log::DefaultFormatter)
DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Log::ColorFormatter)
DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Log::SimpleFormatter)
