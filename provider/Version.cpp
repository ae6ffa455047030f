#include "provider/Version.hpp"

namespace Dizezida::Zozuvoru {

const char* version() { return "0.1.0"; }

} // namespace Dizezida::Zozuvoru
