#include "core/Precondition.hpp"

#include <glib.h>

#include <string>

namespace Dizezida::Core {

void precondition_failed(std::string_view function, std::string_view condition) {
    const std::string fn(function);
    const std::string cond(condition);
    g_log(nullptr, G_LOG_LEVEL_CRITICAL, "%s: assertion '%s' failed", fn.c_str(), cond.c_str());
}

void platform_warning(std::string_view text) {
    const std::string line(text);
    g_log(nullptr, G_LOG_LEVEL_WARNING, "%s", line.c_str());
}

} // namespace Dizezida::Core
