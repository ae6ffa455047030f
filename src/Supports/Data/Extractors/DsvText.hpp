// Delimiter-separated text: the marks the options set, a value written by
// them, and a reader that gives rows back exactly as they were written.
//
// Writing quotes a value that holds the column separator, a row-end
// character, CR, LF or a quote mark (or every value, "always"), and a text
// equal to the null text (the empty text, by default) so that it differs
// from NULL.
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

#include <array>


namespace Dizezida::Dovodarud::Supports::Data::Extractors {

struct DsvMarks {
    DsvMarks() { finish(); }

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

    /// Appends a text as a field, quoted when it must be (or always, or
    /// when `force` says so).
    void append_text(std::string& out, std::string_view text, bool force = false) const;
    /// The options of a `COPY ... TO STDOUT` that writes exactly what these
    /// marks write (CSV with one-byte marks, quotes doubled, "\n" row ends,
    /// no prefix or suffix, quotes where needed); nothing when none can.
    std::optional<std::string> copy_options() const;
    /// Notes the bytes that may call for quotes; after the marks change.
    void finish();

private:
    std::array<bool, 256> m_special{}; ///< first bytes of marks, CR and LF
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

    /// The first position from `at` on whose byte is one of `stops` (the
    /// size when none is).
    std::size_t skip_to(std::size_t at, const std::array<bool, 256>& stops) const;

    DsvMarks m_marks;
    bool m_line_feed_ends; ///< "\n" and "\r\n" both end rows
    std::array<bool, 256> m_plain_stops{};  ///< bytes that may end an unquoted field
    std::array<bool, 256> m_quoted_stops{}; ///< bytes that may end or escape in quotes
    std::string m_buffer;
    std::size_t m_position = 0;
    bool m_last = false;
    bool m_started = false;
    std::uint64_t m_rows = 0;
    std::size_t m_columns = 0; ///< fields of the first row
};

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors
