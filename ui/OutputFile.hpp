// What the commands that write a file share: the check of an output option
// (a folder, or a path in a missing folder, is a usage error before any work
// starts) and the writing of a whole text by the rule every written file
// follows (core/AtomicFile.hpp: links followed, FIFOs and devices
// streamed, "-" for standard output).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace CLI {
class Validator;
}

namespace Dizezida::Rezizida {

/// The check of an option naming a file to write.
CLI::Validator output_path();

/// Writes text to stdout (no file, or "-"), or to the file by the rule;
/// false after printing why ("<command>: ...").
bool write_output(const std::string& text, const std::string& file, const std::string& command);

/// Takes a piece of the output; false when it cannot be written.
using OutputSink = std::function<bool(std::string_view)>;
/// The same for output made in pieces: `produce` hands them to the sink and
/// says whether it made the whole output; the file is committed only then.
bool write_output_pieces(const std::string& file, const std::string& command,
                         const std::function<bool(const OutputSink&)>& produce);

} // namespace Dizezida::Rezizida
