// Delimiter-separated text: the marks the options set, a value written by
// them, and a reader that gives rows back exactly as they were written.
//
// Writing quotes a value that holds the column separator, a row-end
// character, CR, LF or a quote mark (or every value, "always"); an empty
// text is written as an empty quoted field so that it differs from NULL;
// a text equal to a non-empty null text is quoted for the same reason.
//
// Reading goes character by character by the usual rules with the
// configured marks: inside quotes the escapes stand for the quote marks and
// separators are text; an unquoted field is taken as it stands (quote marks
// inside it are text). "\r\n" ends a row where the setting is "\n" (and
// "\n" where it is "\r\n"); empty lines are skipped unless rows have one
// column (where an empty line is a NULL). A UTF-8 byte-order mark is
// dropped; a row prefix is dropped at the start of a row and a row suffix
// before its end. The end of the input ends the last row; inside an open
// quote it is an error. An unquoted empty field, or one equal to the
// non-empty null text, is NULL; a quoted field is always a text.
#pragma once

#include "Supports/Data/Extractors/BaseExtractor.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

struct DsvMarks {
    std::string column = ",";
    std::string row_end = "\n";
    std::string row_prefix;
    std::string row_suffix;
    std::string null_value;
    std::string quote_left = "\"";
    std::string quote_right = "\"";
    std::string escape_left = "\"\"";
    std::string escape_right = "\"\"";
    bool always_quote = false;
    bool has_header = true;

    /// The marks the options give; an error for an empty separator or row
    /// end, a QUOTATION_LIST without four non-empty marks, or an unknown
    /// QUOTATION_TIME.
    [[nodiscard]] static Core::Result<DsvMarks> from_options(const Options& options);

    /// Appends a text as a field, quoted when it must be (or always).
    void append_text(std::string& out, std::string_view text) const;
};

class DsvReader {
public:
    explicit DsvReader(DsvMarks marks);

    /// Adds input; `last` says that nothing follows.
    void feed(std::string_view data, bool last);
    /// The next row; nothing when more input is needed or the input has
    /// ended. An error for a quote open at the end or text after a closing
    /// quote.
    [[nodiscard]] Core::Result<std::optional<std::vector<Field>>> next();
    /// The number of the row `next` gave last (rows counted from 1).
    std::uint64_t row_number() const { return m_rows; }

private:
    enum class Step { Row, More };
    [[nodiscard]] Core::Result<Step> parse_row(std::size_t& at, std::vector<Field>& fields);
    /// The length of the row end (with the row suffix before it) at `at`; 0
    /// for none. `more` is set when the input so far cannot tell.
    std::size_t row_end_at(std::size_t at, bool& more) const;
    bool starts_at(std::size_t at, std::string_view mark, bool& more) const;

    DsvMarks m_marks;
    bool m_line_feed_ends; ///< "\n" and "\r\n" both end rows
    std::string m_buffer;
    std::size_t m_position = 0;
    bool m_last = false;
    bool m_started = false;
    std::uint64_t m_rows = 0;
    std::size_t m_columns = 0; ///< fields of the first row
};

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors
