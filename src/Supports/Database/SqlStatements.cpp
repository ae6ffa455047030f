#include "Supports/Database/SqlStatements.hpp"

#include "Supports/Database/SqlSpans.hpp"

#include <algorithm>
#include <cctype>
#include <strings.h>

namespace Dizezida::Dovodarud::Supports::Database {
namespace {

bool is_word_start(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool is_word_char(unsigned char c) { return is_word_start(c) || std::isdigit(c) || c == '$'; }

bool same_word(std::string_view word, const char* keyword) {
    return word.size() == std::char_traits<char>::length(keyword) &&
           strncasecmp(word.data(), keyword, word.size()) == 0;
}

/// Walks the script's code (outside protected spans) and cuts statements.
class StatementCutter {
public:
    explicit StatementCutter(std::string_view script) : m_script(script) {}

    /// Code between spans: [from, to).
    void code(std::size_t from, std::size_t to) {
        std::size_t at = from;
        while (at < to) {
            const auto c = static_cast<unsigned char>(m_script[at]);
            if (std::isspace(c)) {
                ++at;
                continue;
            }
            mark_start(at);
            if (is_word_start(c)) {
                const std::size_t start = at;
                while (at < to && is_word_char(static_cast<unsigned char>(m_script[at])))
                    ++at;
                mark_content(start);
                word(m_script.substr(start, at - start));
            } else if (std::isdigit(c)) { // a number, which may run into letters (1e5)
                mark_content(at);
                while (at < to && is_word_char(static_cast<unsigned char>(m_script[at])))
                    ++at;
            } else if (c == ';' && m_parens == 0 && m_begin_depth == 0) {
                end_statement(at++); // a lone semicolon is no statement
            } else {
                mark_content(at);
                ++at;
                if (c == '(')
                    ++m_parens;
                else if (c == ')' && m_parens > 0)
                    --m_parens;
            }
        }
    }

    /// A protected span: a comment or a lone line break joining two literals
    /// counts as white space, anything else as part of the statement.
    void span(std::string_view text) {
        if (text == "\n" || text == "\r")
            return;
        const auto at = static_cast<std::size_t>(text.data() - m_script.data());
        mark_start(at);
        if (!text.starts_with("--") && !text.starts_with("/*"))
            mark_content(at);
    }

    std::vector<SqlStatement> finish() {
        end_statement(m_script.size());
        return std::move(m_statements);
    }

private:
    void mark_start(std::size_t at) {
        if (m_start == std::string_view::npos)
            m_start = at;
    }

    void mark_content(std::size_t at) {
        if (m_first == std::string_view::npos)
            m_first = at;
    }

    /// CREATE [OR REPLACE] FUNCTION | PROCEDURE bodies in BEGIN ... END hold
    /// semicolons; CASE ... END inside them nests.
    void word(std::string_view word) {
        if (m_header == Header::Open)
            read_header(word);
        if (m_header != Header::Routine || m_parens != 0)
            return;
        if (same_word(word, "begin"))
            ++m_begin_depth;
        else if (same_word(word, "case") && m_begin_depth > 0)
            ++m_begin_depth;
        else if (same_word(word, "end") && m_begin_depth > 0)
            --m_begin_depth;
    }

    /// Reads the first words: CREATE [OR REPLACE] FUNCTION | PROCEDURE.
    void read_header(std::string_view word) {
        const bool routine = same_word(word, "function") || same_word(word, "procedure");
        switch (++m_words) {
        case 1: m_header = same_word(word, "create") ? Header::Open : Header::Other; break;
        case 2:
            m_header = routine ? Header::Routine : same_word(word, "or") ? Header::Open : Header::Other;
            break;
        case 3: m_header = same_word(word, "replace") ? Header::Open : Header::Other; break;
        default: m_header = routine ? Header::Routine : Header::Other; break;
        }
    }

    void end_statement(std::size_t end) {
        if (m_first != std::string_view::npos) {
            m_line += static_cast<std::size_t>(
                std::count(m_script.begin() + static_cast<std::ptrdiff_t>(m_counted),
                           m_script.begin() + static_cast<std::ptrdiff_t>(m_first), '\n'));
            m_counted = m_first;
            std::string_view text = m_script.substr(m_start, end - m_start);
            while (std::isspace(static_cast<unsigned char>(text.back())))
                text.remove_suffix(1);
            m_statements.push_back({std::string(text), m_line});
        }
        m_start = std::string_view::npos;
        m_first = std::string_view::npos;
        m_parens = 0;
        m_begin_depth = 0;
        m_words = 0;
        m_header = Header::Open;
    }

    std::string_view m_script;
    std::vector<SqlStatement> m_statements;
    std::size_t m_start = std::string_view::npos; ///< its first byte that is no white space
    std::size_t m_first = std::string_view::npos; ///< first token of the current statement
    std::size_t m_counted = 0;                    ///< line ends counted up to here
    std::size_t m_line = 1;
    int m_parens = 0;
    int m_begin_depth = 0;
    /// Whether the statement creates a function or procedure: Open while its
    /// first words may still say so.
    enum class Header { Open, Routine, Other } m_header = Header::Open;
    std::size_t m_words = 0; ///< words read by read_header
};

} // namespace

std::vector<SqlStatement> split_statements(std::string_view script) {
    const SqlSpans scanned = split_sql(script);
    StatementCutter cutter(script);
    std::size_t at = 0;
    for (const std::string_view span : scanned.spans) {
        const auto start = static_cast<std::size_t>(span.data() - script.data());
        cutter.code(at, start);
        cutter.span(span);
        at = start + span.size();
    }
    cutter.code(at, script.size());
    return cutter.finish();
}

} // namespace Dizezida::Dovodarud::Supports::Database
