#include "Supports/Database/SqlSpans.hpp"

#include <array>
#include <cstdint>
#include <cstring>

namespace Dizezida::Dovodarud::Supports::Database {
namespace {

// What the scanner must look at; everything else is copied as it stands.
enum ByteClass : std::uint8_t { Plain, Space, Special };

constexpr std::array<std::uint8_t, 256> make_classes() {
    std::array<std::uint8_t, 256> classes{};
    for (const unsigned char c : {' ', '\t', '\n', '\r', '\f', '\v'})
        classes[c] = Space;
    for (const unsigned char c : {'\'', '"', '$', '-', '/', '\x01', '\x02'})
        classes[c] = Special;
    return classes;
}

constexpr std::array<std::uint8_t, 256> k_classes = make_classes();

static_assert(SqlSpans::k_span_mark == '\x01' && SqlSpans::k_line_mark == '\x02',
              "the byte classes list the mark bytes");

/// A letter of a dollar-quote tag or an unquoted name (bytes of multi-byte
/// characters included, as the server's scanner takes them).
constexpr bool is_tag_start(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}

constexpr bool is_name_char(unsigned char c) {
    return is_tag_start(c) || (c >= '0' && c <= '9') || c == '$';
}

class Scanner {
public:
    explicit Scanner(std::string_view text) : m_text(text) {
        m_result.code.reserve(text.size());
    }

    SqlSpans run() {
        const std::size_t n = m_text.size();
        while (m_pos < n) {
            const auto c = static_cast<unsigned char>(m_text[m_pos]);
            if (k_classes[c] == Plain)
                copy_plain();
            else if (k_classes[c] == Space)
                fold_space();
            else
                special(c);
        }
        return std::move(m_result);
    }

private:
    unsigned char at(std::size_t pos) const {
        return pos < m_text.size() ? static_cast<unsigned char>(m_text[pos]) : 0;
    }

    void copy_plain() {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() &&
               k_classes[static_cast<unsigned char>(m_text[m_pos])] == Plain)
            ++m_pos;
        m_result.code.append(m_text, start, m_pos - start);
        m_after_literal = false;
    }

    void fold_space() {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() &&
               k_classes[static_cast<unsigned char>(m_text[m_pos])] == Space)
            ++m_pos;
        // 'a'<line break>'b' is the one string 'ab': keep the break.
        if (m_after_literal && at(m_pos) == '\'') {
            const std::string_view run = m_text.substr(start, m_pos - start);
            const std::size_t line_end = run.find_first_of("\n\r");
            if (line_end != std::string_view::npos) {
                push_span(start + line_end, start + line_end + 1);
                m_continues_literal = true;
                return;
            }
        }
        m_result.code.push_back(' ');
    }

    void special(unsigned char c) {
        switch (c) {
        case '\'':
            return literal();
        case '"':
            return quoted_identifier();
        case '$':
            if (dollar_quote())
                return;
            break;
        case '-':
            if (at(m_pos + 1) == '-')
                return line_comment();
            break;
        case '/':
            if (at(m_pos + 1) == '*')
                return block_comment();
            break;
        default: // a mark byte in the input
            push_span(m_pos, m_pos + 1);
            m_after_literal = false;
            return;
        }
        m_result.code.push_back(static_cast<char>(c));
        ++m_pos;
        m_after_literal = false;
    }

    void literal() {
        std::size_t start = m_pos;
        bool escapes = m_continues_literal && m_literal_escapes;
        const unsigned char before = m_pos > 0 ? at(m_pos - 1) : 0;
        if ((before == 'E' || before == 'e') && (m_pos < 2 || !is_name_char(at(m_pos - 2)))) {
            escapes = true; // E'...': the prefix was copied as code just before
            m_result.code.pop_back();
            --start;
        }
        std::size_t pos = m_pos + 1;
        const char* stops = escapes ? "'\\" : "'";
        for (;;) {
            pos = m_text.find_first_of(stops, pos);
            if (pos == std::string_view::npos) {
                pos = m_text.size();
                break;
            }
            if (m_text[pos] == '\\') {
                pos += 2;
                continue;
            }
            if (at(pos + 1) == '\'') {
                pos += 2;
                continue;
            }
            ++pos;
            break;
        }
        push_span(start, std::min(pos, m_text.size()));
        m_after_literal = true;
        m_literal_escapes = escapes;
    }

    void quoted_identifier() {
        std::size_t pos = m_pos + 1;
        for (;;) {
            pos = m_text.find('"', pos);
            if (pos == std::string_view::npos) {
                pos = m_text.size();
                break;
            }
            if (at(pos + 1) != '"') {
                ++pos;
                break;
            }
            pos += 2;
        }
        push_span(m_pos, pos);
        m_after_literal = false;
    }

    /// A dollar-quoted string, unless the '$' is part of a name or a parameter.
    bool dollar_quote() {
        if (m_pos > 0 && is_name_char(at(m_pos - 1)))
            return false;
        std::size_t pos = m_pos + 1;
        if (is_tag_start(at(pos))) {
            while (is_name_char(at(pos)) && at(pos) != '$')
                ++pos;
        }
        if (at(pos) != '$')
            return false;
        const std::string_view delimiter = m_text.substr(m_pos, pos + 1 - m_pos);
        const std::size_t close = m_text.find(delimiter, pos + 1);
        const std::size_t end =
            close == std::string_view::npos ? m_text.size() : close + delimiter.size();
        push_span(m_pos, end);
        m_after_literal = false;
        return true;
    }

    void line_comment() {
        std::size_t pos = m_text.find_first_of("\n\r", m_pos + 2);
        if (pos == std::string_view::npos)
            pos = m_text.size();
        else if (m_text[pos] == '\r' && at(pos + 1) == '\n')
            pos += 2;
        else
            ++pos;
        // A line comment counts as white space between two parts of a literal.
        const bool after_literal = m_after_literal;
        push_span(m_pos, pos);
        m_after_literal = after_literal;
    }

    void block_comment() {
        std::size_t pos = m_pos + 2;
        int depth = 1;
        while (pos < m_text.size() && depth > 0) {
            if (m_text[pos] == '/' && at(pos + 1) == '*') {
                ++depth;
                pos += 2;
            } else if (m_text[pos] == '*' && at(pos + 1) == '/') {
                --depth;
                pos += 2;
            } else {
                ++pos;
            }
        }
        push_span(m_pos, pos);
        m_after_literal = false;
    }

    void push_span(std::size_t start, std::size_t end) {
        m_result.spans.push_back(m_text.substr(start, end - start));
        m_result.code.push_back(SqlSpans::k_span_mark);
        m_pos = std::max(m_pos, end);
        m_continues_literal = false;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    SqlSpans m_result;
    bool m_after_literal = false;     ///< only white space and line comments since a literal
    bool m_continues_literal = false; ///< the next literal continues the previous one
    bool m_literal_escapes = false;   ///< the previous literal was an E-string
};

} // namespace

SqlSpans split_sql(std::string_view text) { return Scanner(text).run(); }

void join_sql(std::string_view code, const std::vector<std::string_view>& spans,
              std::string& out) {
    std::size_t next = 0;
    while (!code.empty()) {
        const void* found = std::memchr(code.data(), SqlSpans::k_span_mark, code.size());
        if (!found) {
            out.append(code);
            return;
        }
        const auto length = static_cast<std::size_t>(static_cast<const char*>(found) - code.data());
        out.append(code.substr(0, length));
        if (next < spans.size())
            out.append(spans[next++]);
        code.remove_prefix(length + 1);
    }
}

} // namespace Dizezida::Dovodarud::Supports::Database
