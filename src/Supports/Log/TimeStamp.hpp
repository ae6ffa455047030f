// Local wall-clock stamps for log lines (internal to the log handlers).
#pragma once

#include <string>

namespace Dizezida::Dovodarud::Supports::Log {

/// The local time of one clock reading, formatted, with its millisecond.
struct LocalStamp {
    std::string text;     ///< strftime pattern applied to the local time
    int milliseconds = 0; ///< 0..999, of the same reading
};

/// The local time now. The formatted seconds are cached per thread and
/// pattern, so a busy logger formats the date once a second.
LocalStamp local_stamp(const char* pattern);

/// Appends "<stamp>.<millisecond as three digits>".
void append_stamp(std::string& line, const LocalStamp& stamp);

} // namespace Dizezida::Dovodarud::Supports::Log
