// The provider library's version.
#pragma once

namespace Dizezida::Zozuvoru {

/// The version of libzozuvoru, e.g. "0.1.0".
const char* version();

} // namespace Dizezida::Zozuvoru
