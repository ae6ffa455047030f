#include "Supports/Data/Extractors/DsvText.hpp"

#include <fmt/format.h>

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

namespace {

std::string option_or(const Options& options, std::string_view key, std::string fallback) {
    const auto found = options.find(key);
    return found == options.end() ? std::move(fallback) : found->second;
}

void replace_all(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty())
        return;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

Core::Error marks_error(std::string message) {
    return extractor_error(ExtractorError::Options, std::move(message));
}

} // namespace

Core::Result<DsvMarks> DsvMarks::from_options(const Options& options) {
    DsvMarks marks;
    marks.column = option_or(options, "DELIMITER_COLUMN", ",");
    marks.row_end = option_or(options, "DELIMITER_ROWNEW", "\n");
    marks.row_prefix = option_or(options, "ROW_PREFIX", "");
    marks.row_suffix = option_or(options, "ROW_SUFFIX", "");
    marks.null_value = option_or(options, "NULL_VALUE", "");
    marks.has_header = option_or(options, "HAS_HEADER", "true") == "true";
    const std::string time = option_or(options, "QUOTATION_TIME", "ifneed");
    if (time != "ifneed" && time != "always")
        return Core::fail(marks_error(
            fmt::format("QUOTATION_TIME is \"ifneed\" or \"always\", not \"{}\"", time)));
    marks.always_quote = time == "always";
    if (marks.column.empty() || marks.row_end.empty())
        return Core::fail(marks_error("DELIMITER_COLUMN and DELIMITER_ROWNEW may not be empty"));
    if (marks.column == marks.row_end)
        return Core::fail(marks_error("DELIMITER_COLUMN and DELIMITER_ROWNEW must differ"));
    const std::string list = option_or(options, "QUOTATION_LIST", "");
    if (!list.empty()) {
        const std::string first = list.substr(0, list.find(';'));
        std::vector<std::string> parts;
        for (std::size_t start = 0;;) {
            const std::size_t dash = first.find('-', start);
            parts.push_back(first.substr(start, dash - start));
            if (dash == std::string::npos)
                break;
            start = dash + 1;
        }
        if (parts.size() != 4 || std::any_of(parts.begin(), parts.end(),
                                             [](const std::string& part) { return part.empty(); }))
            return Core::fail(marks_error(fmt::format(
                "QUOTATION_LIST takes four non-empty marks as LEFT-RIGHT-ESCLEFT-ESCRIGHT, not "
                "\"{}\"",
                first)));
        marks.quote_left = parts[0];
        marks.quote_right = parts[1];
        marks.escape_left = parts[2];
        marks.escape_right = parts[3];
    }
    marks.finish();
    return marks;
}

void DsvMarks::finish() {
    m_special.fill(false);
    for (const std::string_view mark : {std::string_view(column), std::string_view(quote_left),
                                        std::string_view(quote_right), std::string_view("\r"),
                                        std::string_view("\n")})
        m_special[static_cast<unsigned char>(mark.front())] = true;
    for (const char c : row_end)
        m_special[static_cast<unsigned char>(c)] = true;
}

void DsvMarks::append_text(std::string& out, std::string_view text, bool force) const {
    // Most values hold none of the bytes that could call for quotes.
    const bool plain = std::none_of(text.begin(), text.end(), [this](char c) {
        return m_special[static_cast<unsigned char>(c)];
    });
    const bool quote =
        force || always_quote || text == null_value ||
        (!plain && (
        text.find(column) != std::string_view::npos ||
        text.find_first_of(row_end) != std::string_view::npos ||
        text.find_first_of("\r\n") != std::string_view::npos ||
        text.find(quote_left) != std::string_view::npos ||
        text.find(quote_right) != std::string_view::npos)) ||
        (!row_prefix.empty() && text.starts_with(row_prefix)) ||
        (!row_suffix.empty() && text.ends_with(row_suffix));
    if (!quote) {
        out += text;
        return;
    }
    std::string escaped(text);
    replace_all(escaped, quote_left, escape_left);
    if (quote_right != quote_left)
        replace_all(escaped, quote_right, escape_right);
    out += quote_left;
    out += escaped;
    out += quote_right;
}

std::optional<std::string> DsvMarks::copy_options() const {
    const auto one_byte = [](const std::string& mark) {
        return mark.size() == 1 && static_cast<unsigned char>(mark[0]) < 0x80 && mark[0] != '\r' &&
               mark[0] != '\n';
    };
    if (always_quote || !row_prefix.empty() || !row_suffix.empty() || row_end != "\n" ||
        !one_byte(column) || !one_byte(quote_left) || quote_right != quote_left ||
        escape_left != quote_left + quote_left || escape_right != escape_left ||
        column == quote_left || null_value.find_first_of(column + quote_left + "\r\n") !=
                                    std::string::npos)
        return std::nullopt;
    const auto literal = [](const std::string& text) {
        std::string out = "'";
        for (const char c : text)
            out += c == '\'' ? std::string("''") : std::string(1, c);
        return out + "'";
    };
    return fmt::format("FORMAT csv, HEADER {}, DELIMITER {}, QUOTE {}, ESCAPE {}, NULL {}",
                       has_header ? "true" : "false", literal(column), literal(quote_left),
                       literal(quote_left), literal(null_value));
}

// ---- reading ----------------------------------------------------------------------------------

DsvReader::DsvReader(DsvMarks marks)
    : m_marks(std::move(marks)),
      m_line_feed_ends(m_marks.row_end == "\n" || m_marks.row_end == "\r\n") {
    const auto stop = [](std::array<bool, 256>& stops, std::string_view mark) {
        if (!mark.empty())
            stops[static_cast<unsigned char>(mark.front())] = true;
    };
    for (const std::string_view mark : {std::string_view(m_marks.column), std::string_view(m_marks.row_end),
                                        std::string_view(m_marks.row_suffix)})
        stop(m_plain_stops, mark);
    if (m_line_feed_ends) {
        stop(m_plain_stops, "\r");
        stop(m_plain_stops, "\n");
    }
    for (const std::string_view mark : {std::string_view(m_marks.quote_right), std::string_view(m_marks.escape_left),
                                        std::string_view(m_marks.escape_right)})
        stop(m_quoted_stops, mark);
}

std::size_t DsvReader::skip_to(std::size_t at, const std::array<bool, 256>& stops) const {
    const char* data = m_buffer.data();
    const std::size_t size = m_buffer.size();
    while (at < size && !stops[static_cast<unsigned char>(data[at])])
        ++at;
    return at;
}

void DsvReader::feed(std::string_view data, bool last) {
    if (m_position > 0 && m_position * 2 >= m_buffer.size()) {
        m_buffer.erase(0, m_position);
        m_position = 0;
    }
    m_buffer.append(data);
    m_last = m_last || last;
    if (!m_started && (m_buffer.size() >= 3 || m_last)) {
        m_started = true;
        if (m_buffer.starts_with("\xEF\xBB\xBF"))
            m_position = 3;
    }
}

bool DsvReader::starts_at(std::size_t at, std::string_view mark, bool& more) const {
    const std::size_t room = m_buffer.size() - at;
    if (room > 0 && m_buffer[at] != mark.front())
        return false;
    if (room >= mark.size())
        return mark.size() == 1 || std::string_view(m_buffer).substr(at, mark.size()) == mark;
    // A partial match at the end of the input read so far may still complete.
    if (!m_last && std::string_view(m_buffer).substr(at) == mark.substr(0, room))
        more = true;
    return false;
}

std::size_t DsvReader::row_end_at(std::size_t at, bool& more) const {
    std::size_t start = at;
    if (!m_marks.row_suffix.empty()) {
        if (!starts_at(at, m_marks.row_suffix, more))
            return 0;
        start += m_marks.row_suffix.size();
        if (start == m_buffer.size() && m_last)
            return start - at;
    }
    if (m_line_feed_ends) {
        if (starts_at(start, "\r\n", more))
            return start + 2 - at;
        if (starts_at(start, "\n", more))
            return start + 1 - at;
        return 0;
    }
    return starts_at(start, m_marks.row_end, more) ? start + m_marks.row_end.size() - at : 0;
}

Core::Result<DsvReader::Step> DsvReader::parse_row(std::size_t& at, std::vector<Field>& fields) {
    const std::size_t size = m_buffer.size();
    bool more = false;
    if (!m_marks.row_prefix.empty() && starts_at(at, m_marks.row_prefix, more))
        at += m_marks.row_prefix.size();
    if (more)
        return Step::More;
    const auto row_error = [&](std::string_view what) {
        return Core::fail(
            extractor_error(ExtractorError::Row, fmt::format("row {}: {}", m_rows + 1, what)));
    };
    for (;;) {
        // One field; `more` says the input read so far cannot tell.
        std::size_t i = at;
        Field field;
        if (starts_at(i, m_marks.quote_left, more)) {
            std::string text;
            i += m_marks.quote_left.size();
            for (;;) {
                if (i >= size) {
                    if (!m_last)
                        return Step::More;
                    return row_error("the input ends inside a quoted field");
                }
                if (const std::size_t plain = skip_to(i, m_quoted_stops); plain > i) {
                    text.append(m_buffer, i, plain - i);
                    i = plain;
                    continue;
                }
                if (starts_at(i, m_marks.escape_left, more)) {
                    text += m_marks.quote_left;
                    i += m_marks.escape_left.size();
                } else if (m_marks.escape_right != m_marks.escape_left &&
                           starts_at(i, m_marks.escape_right, more)) {
                    text += m_marks.quote_right;
                    i += m_marks.escape_right.size();
                } else if (starts_at(i, m_marks.quote_right, more)) {
                    if (more)
                        return Step::More;
                    i += m_marks.quote_right.size();
                    break;
                } else if (more) {
                    return Step::More;
                } else {
                    text += m_buffer[i++];
                }
            }
            field = std::move(text);
        } else if (more) {
            return Step::More;
        } else {
            // Unquoted: up to the separator, the row end or the end of the input.
            while (i < size) {
                i = skip_to(i, m_plain_stops);
                if (i >= size)
                    break;
                if (row_end_at(i, more) > 0 || starts_at(i, m_marks.column, more))
                    break;
                if (more)
                    return Step::More;
                ++i;
            }
            if (i >= size && !m_last)
                return Step::More;
            std::string text = m_buffer.substr(at, i - at);
            if (!(m_marks.null_value.empty() ? text.empty() : text == m_marks.null_value))
                field = std::move(text);
        }
        // What follows the field: the end, a row end or a separator.
        if (i >= size) {
            if (!m_last)
                return Step::More;
            fields.push_back(std::move(field));
            at = i;
            return Step::Row;
        }
        if (const std::size_t end = row_end_at(i, more); end > 0) {
            fields.push_back(std::move(field));
            at = i + end;
            return Step::Row;
        }
        if (starts_at(i, m_marks.column, more)) {
            fields.push_back(std::move(field));
            at = i + m_marks.column.size();
            if (at >= size && m_last) {
                // A separator at the very end: one more, empty field.
                fields.emplace_back(m_marks.null_value.empty() ? Field() : Field(std::string()));
                return Step::Row;
            }
            continue;
        }
        if (more)
            return Step::More;
        return row_error("text follows a closing quote mark");
    }
}

Core::Result<std::optional<std::vector<Field>>> DsvReader::next() {
    for (;;) {
        if (!m_started)
            return std::nullopt;
        if (m_position >= m_buffer.size())
            return std::nullopt;
        // An empty line: skipped, unless rows have a single column.
        bool more = false;
        if (m_marks.row_prefix.empty() && m_marks.row_suffix.empty()) {
            if (const std::size_t end = row_end_at(m_position, more); end > 0 && m_columns != 1) {
                m_position += end;
                continue;
            }
            if (more)
                return std::nullopt;
        }
        std::size_t at = m_position;
        std::vector<Field> fields;
        fields.reserve(m_columns);
        auto step = parse_row(at, fields);
        if (!step)
            return Core::fail(std::move(step).error());
        if (*step == Step::More)
            return std::nullopt;
        m_position = at;
        ++m_rows;
        if (m_columns == 0)
            m_columns = fields.size();
        return fields;
    }
}

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors
