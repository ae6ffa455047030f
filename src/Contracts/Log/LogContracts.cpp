#include "Contracts/Log/ILogManager.hpp"
#include "Contracts/Log/LogLevel.hpp"
#include "Contracts/Log/Printf.hpp"

#include "core/Precondition.hpp"

#include <cstdio>
#include <iterator>

namespace Dizezida::Dovodarud::Contracts::Log {
namespace {

constexpr Core::EnumEntry k_level_entries[] = {
    {0, "DIZEZIDA_DOVODARUD_CONTRACTS_LOG_LOG_LEVEL_RISKY", "risky"},
    {1, "DIZEZIDA_DOVODARUD_CONTRACTS_LOG_LOG_LEVEL_PLAIN", "plain"},
    {2, "DIZEZIDA_DOVODARUD_CONTRACTS_LOG_LOG_LEVEL_DEBUG", "debug"},
};

} // namespace

DIZEZIDA_DEFINE_ENUM(LogLevel, "DizezidaDovodarudContractsLogLogLevel", k_level_entries, 3, false)

std::string_view to_color(LogLevel level) {
    switch (level) {
    case LogLevel::Risky:
        return "red";
    case LogLevel::Plain:
        return "blue";
    case LogLevel::Debug:
        return "green";
    }
    return "black";
}

std::string_view to_string(LogLevel level) { return Core::nick_of(level); }

std::string to_number(LogLevel level) { return std::to_string(static_cast<int>(level)); }

std::string vprintf_text(const char* format, va_list args) {
    char small[512];
    va_list first;
    va_copy(first, args);
    const int length = std::vsnprintf(small, sizeof small, format, first);
    va_end(first);
    if (length < 0)
        return {};
    if (static_cast<std::size_t>(length) < sizeof small)
        return std::string(small, static_cast<std::size_t>(length));
    std::string text(static_cast<std::size_t>(length), '\0');
    va_list second;
    va_copy(second, args);
    std::vsnprintf(text.data(), text.size() + 1, format, second);
    va_end(second);
    return text;
}

std::string printf_text(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = vprintf_text(format, args);
    va_end(args);
    return text;
}

const Core::TypeInfo& IFormatter::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsLogIFormatter");
    return info;
}

const Core::TypeInfo& ILogHandler::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsLogILogHandler");
    return info;
}

const Core::TypeInfo& ILogger::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsLogILogger");
    return info;
}

const Core::TypeInfo& ILogManager::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsLogILogManager");
    return info;
}

void ILogger::vlog(LogLevel level, std::string_view server, std::string_view name,
                   const char* format, va_list args) {
    DIZEZIDA_RETURN_IF_NULL(format);
    log_full(level, server, name, vprintf_text(format, args));
}

// The six message operations differ only in their level.
#define DIZEZIDA_LOGGER_OPERATION(operation, level)                                                \
    void ILogger::operation(std::string_view server, std::string_view name, const char* format,   \
                            ...) {                                                                 \
        va_list args;                                                                              \
        va_start(args, format);                                                                    \
        vlog(level, server, name, format, args);                                                   \
        va_end(args);                                                                              \
    }

DIZEZIDA_LOGGER_OPERATION(error, LogLevel::Risky)
DIZEZIDA_LOGGER_OPERATION(critical, LogLevel::Risky)
DIZEZIDA_LOGGER_OPERATION(warning, LogLevel::Risky)
DIZEZIDA_LOGGER_OPERATION(message, LogLevel::Plain)
DIZEZIDA_LOGGER_OPERATION(info, LogLevel::Plain)
DIZEZIDA_LOGGER_OPERATION(debug, LogLevel::Debug)

#undef DIZEZIDA_LOGGER_OPERATION

} // namespace Dizezida::Dovodarud::Contracts::Log
