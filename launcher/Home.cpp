#include "launcher/Home.hpp"

#include <glib.h>

namespace Dizezida::Launcher {

std::string application_home(const char* argv0) {
    gchar* bin_folder = g_path_get_dirname(argv0 ? argv0 : "");
    gchar* home = g_path_get_dirname(bin_folder);
    g_free(bin_folder);
    std::string result(home);
    g_free(home);
    return result;
}

} // namespace Dizezida::Launcher
