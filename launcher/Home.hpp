// The application home: the folder two levels above the running executable.
#pragma once

#include <string>

namespace Dizezida::Launcher {

/// dirname(dirname(argv0)) by GLib's rule: a bare name gives ".".
std::string application_home(const char* argv0);

} // namespace Dizezida::Launcher
