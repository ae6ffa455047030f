// Separates the code of an SQL text from its protected spans.
//
// A protected span is text whose every byte is data to PostgreSQL: a
// single-quoted literal (with its E prefix; backslash escapes honoured in
// E-strings), a double-quoted identifier, a dollar-quoted string, a block
// comment (nested ones included) or a line comment with its line end. The
// formatter rewrites the code between them and puts them back unchanged.
//
// `split_sql` copies the code into one buffer with every run of white space
// folded to one blank, and stands one k_span_mark byte in for each span. Two
// literals separated by white space holding a line break are one string to
// the server; that line break is kept as a span of its own so that folding
// never joins them into a syntax error. Mark bytes that occur in the input
// itself become one-byte spans, so a mark in the buffer is always ours.
//
// The spans are views into the scanned text, which must outlive them.
// Stateless functions; safe from any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::Supports::Database {

struct SqlSpans {
    /// Stands for one protected span in `code`.
    static constexpr char k_span_mark = '\x01';
    /// Reserved for the formatter's line breaks inside `code`.
    static constexpr char k_line_mark = '\x02';

    /// The code with folded white space and one k_span_mark per span.
    std::string code;
    /// The protected spans in text order.
    std::vector<std::string_view> spans;
};

/// Splits `text` into folded code and protected spans.
SqlSpans split_sql(std::string_view text);

/// Appends `code` to `out` with each k_span_mark replaced by the next span.
void join_sql(std::string_view code, const std::vector<std::string_view>& spans,
              std::string& out);

} // namespace Dizezida::Dovodarud::Supports::Database
