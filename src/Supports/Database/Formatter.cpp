#include "Supports/Database/Formatter.hpp"

#include "Supports/Database/SqlSpans.hpp"

#include "core/Properties.hpp"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <glib.h>
#include <pcre2.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

namespace Dizezida::Dovodarud::Supports::Database {
namespace {

constexpr std::string_view k_tab = "    ";
constexpr char k_line = SqlSpans::k_line_mark;
constexpr char k_span = SqlSpans::k_span_mark;

void log_platform(GLogLevelFlags level, int line, const std::string& text) {
    g_log(nullptr, level, "Formatter.cpp:%d: %s", line, text.c_str());
}

struct CodeDeleter {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataDeleter>;

std::string pcre2_message(int code) {
    PCRE2_UCHAR buffer[256];
    const int length = pcre2_get_error_message(code, buffer, sizeof buffer);
    return length < 0 ? "regular expression error " + std::to_string(code)
                      : std::string(reinterpret_cast<const char*>(buffer),
                                    static_cast<std::size_t>(length));
}

/// One compiled expression (byte mode: only ASCII letters fold case and \s is
/// ASCII white space, as in the server's own scanner).
class Expression {
public:
    Expression(std::string_view pattern, bool caseless) {
        int error = 0;
        PCRE2_SIZE offset = 0;
        m_code.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                   caseless ? PCRE2_CASELESS : 0, &error, &offset, nullptr));
        if (!m_code)
            m_error = pcre2_message(error);
        else
            pcre2_jit_compile(m_code.get(), PCRE2_JIT_COMPLETE); // else the interpreter runs
    }

    /// Calls `found(start, end)` for each match, left to right, matches not
    /// overlapping. Returns the error message when matching fails.
    template <class Found>
    std::optional<std::string> each_match(std::string_view text, pcre2_match_data* data,
                                          Found&& found) const {
        if (!m_code)
            return m_error;
        PCRE2_SIZE offset = 0;
        while (offset <= text.size()) {
            const int rc = pcre2_match(m_code.get(), reinterpret_cast<PCRE2_SPTR>(text.data()),
                                       text.size(), offset, 0, data, nullptr);
            if (rc == PCRE2_ERROR_NOMATCH)
                return std::nullopt;
            if (rc < 0)
                return pcre2_message(rc);
            const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
            found(ovector[0], ovector[1]);
            offset = ovector[1] > ovector[0] ? ovector[1] : ovector[1] + 1;
        }
        return std::nullopt;
    }

    /// Whether the expression matches somewhere in `text`.
    std::optional<std::string> search(std::string_view text, pcre2_match_data* data,
                                      bool& matched) const {
        if (!m_code)
            return m_error;
        const int rc = pcre2_match(m_code.get(), reinterpret_cast<PCRE2_SPTR>(text.data()),
                                   text.size(), 0, 0, data, nullptr);
        matched = rc >= 0;
        if (rc < 0 && rc != PCRE2_ERROR_NOMATCH)
            return pcre2_message(rc);
        return std::nullopt;
    }

    /// Match data for any of the expressions (only the whole match is read).
    static MatchData new_match_data() { return MatchData(pcre2_match_data_create(1, nullptr)); }

private:
    std::unique_ptr<pcre2_code, CodeDeleter> m_code;
    std::string m_error;
};

/// Replaces every match in `text` with what `write(start, end, out)` appends.
/// `scratch` is reused between calls; nothing is copied when nothing matches.
template <class Write>
std::optional<std::string> replace_all(const Expression& expression, std::string& text,
                                       std::string& scratch, pcre2_match_data* data,
                                       Write&& write) {
    bool replaced = false;
    std::size_t copied = 0;
    auto failure = expression.each_match(text, data, [&](std::size_t start, std::size_t end) {
        if (!replaced) {
            scratch.clear();
            scratch.reserve(text.size() + text.size() / 4);
            replaced = true;
        }
        scratch.append(text, copied, start - copied);
        write(start, end, scratch);
        copied = end;
    });
    if (failure || !replaced)
        return failure;
    scratch.append(text, copied);
    text.swap(scratch);
    return std::nullopt;
}

/// One row of the splitting step.
struct Rule {
    enum class Kind {
        Replace,     ///< the match becomes `replacement`
        UpperCase,   ///< the match becomes its upper-case self
        SelectStart, ///< "SELECT ", its blank dropped only where a line starts
    };
    Expression expression;
    Kind kind;
    std::string replacement;
};

/// Every expression of the formatter, compiled once per process.
struct Expressions {
    std::vector<Rule> split;
    Expression paren_select{R"(\s{0,}\(\s{0,}SELECT\s{0,})", false};
    Expression minify_open{R"(\s{1,}\()", false};
    Expression minify_close{R"(\s{1,}\))", false};

    Expressions() {
        const std::string line(1, k_line);
        const std::string tab(k_tab);
        const auto replace = [&](const char* pattern, std::string replacement) {
            split.push_back({Expression(pattern, true), Rule::Kind::Replace, std::move(replacement)});
        };
        const auto upper = [&](const char* pattern) {
            split.push_back({Expression(pattern, true), Rule::Kind::UpperCase, {}});
        };
        // The line mark stands where a line break goes; runs of white space
        // were folded to one blank by the scanner.
        replace(" AND ", line + tab + tab + "AND ");
        replace(" BETWEEN ", line + tab + "BETWEEN ");
        replace(" CASE ", line + tab + "CASE ");
        replace(" ELSE ", line + tab + "ELSE ");
        replace(" END ", line + tab + "END ");
        replace(" FROM ", line + "FROM ");
        replace(R"( GROUP\s{1,}BY)", line + "GROUP BY ");
        replace(" HAVING ", line + "HAVING ");
        upper(" IN ");
        replace(" JOIN ", line + "JOIN ");
        replace(R"( CROSS\x02{1,}JOIN )", line + "CROSS JOIN ");
        replace(R"( INNER\x02{1,}JOIN )", line + "INNER JOIN ");
        replace(R"( LEFT\x02{1,}JOIN )", line + "LEFT JOIN ");
        replace(R"( RIGHT\x02{1,}JOIN )", line + "RIGHT JOIN ");
        replace(" ON ", line + tab + "ON ");
        replace(" OR ", line + tab + tab + "OR ");
        replace(R"( ORDER\s{1,}BY)", line + "ORDER BY ");
        replace(" OVER ", line + tab + "OVER ");
        replace(R"(\(\s{0,}SELECT )", line + "(SELECT ");
        replace(R"(\)\s{0,}SELECT )", ")" + line + "SELECT ");
        replace(" THEN ", " THEN" + line + tab);
        replace(" UNION ", line + "UNION" + line);
        replace(" USING ", line + "USING ");
        replace(" WHEN ", line + tab + "WHEN ");
        replace(" WHERE ", line + "WHERE ");
        replace(" WITH ", line + "WITH ");
        for (const char* word : {" ALL ", " AS ", " ASC ", " DESC ", " DISTINCT ", " EXISTS ",
                                 " NOT ", " NULL ", " LIKE "})
            upper(word);
        split.push_back({Expression(R"(\s{0,}SELECT )", true), Rule::Kind::SelectStart, {}});
        split.push_back({Expression(R"(\x02{2,})", false), Rule::Kind::Replace, line});
    }
};

const Expressions& expressions() {
    static const Expressions instance; // thread-safe one-time initialisation
    return instance;
}

/// Runs the splitting rules over the folded code; the error message on failure.
std::optional<std::string> run_split_rules(std::string& code, pcre2_match_data* data) {
    std::string scratch;
    for (const Rule& rule : expressions().split) {
        std::optional<std::string> failure;
        switch (rule.kind) {
        case Rule::Kind::Replace:
            failure = replace_all(rule.expression, code, scratch, data,
                                  [&rule](std::size_t, std::size_t, std::string& out) {
                                      out.append(rule.replacement);
                                  });
            break;
        case Rule::Kind::UpperCase:
            failure = rule.expression.each_match(code, data, [&code](std::size_t start,
                                                                     std::size_t end) {
                for (std::size_t i = start; i < end; ++i)
                    code[i] = static_cast<char>(g_ascii_toupper(code[i]));
            });
            break;
        case Rule::Kind::SelectStart:
            // Dropping the blank anywhere would glue "INSERT INTO t SELECT"
            // into "tSELECT"; it goes only where the blank starts a line.
            failure = replace_all(rule.expression, code, scratch, data,
                                  [&code](std::size_t start, std::size_t end, std::string& out) {
                                      const bool blank = end - start > 7;
                                      const bool line_start = start == 0 || code[start - 1] == k_line;
                                      out.append(blank && !line_start ? " SELECT " : "SELECT ");
                                  });
            break;
        }
        if (failure)
            return failure;
    }
    return std::nullopt;
}

/// Walks the lines of the rewritten code and lays them out with the shift table.
class Layout {
public:
    Layout(const Formatter& formatter, const SqlSpans& split, pcre2_match_data* data)
        : m_formatter(formatter), m_split(split), m_data(data) {}

    std::optional<std::string> run(std::string& out) {
        std::size_t total = m_split.code.size() + m_split.code.size() / 2;
        for (const std::string_view span : m_split.spans)
            total += span.size();
        out.reserve(total);
        const std::string_view code = m_split.code;
        std::size_t next_span = 0;
        bool glued = false; // the first line after a protected span continues its line
        std::size_t pos = 0;
        for (;;) {
            std::size_t mark = pos;
            while (mark < code.size() && code[mark] != k_line && code[mark] != k_span)
                ++mark;
            if (auto failure = line(code.substr(pos, mark - pos), glued, out))
                return failure;
            if (mark == code.size())
                return std::nullopt;
            glued = code[mark] == k_span;
            if (glued) {
                if (next_span < m_split.spans.size())
                    out.append(m_split.spans[next_span++]);
                fall_back();
            }
            pos = mark + 1;
        }
    }

private:
    std::optional<std::string> line(std::string_view text, bool glued, std::string& out) {
        m_parens += std::count(text.begin(), text.end(), '(');
        m_parens -= std::count(text.begin(), text.end(), ')');
        bool paren_select = false;
        // "\s{0,}\s{0,}SELECT\s{0,}" matches exactly the lines that hold SELECT.
        // A line goes on after a protected span ('SELECT a, "b", c'), so its
        // select list does too.
        const bool has_select = text.find("SELECT") != std::string_view::npos;
        m_in_select = has_select || (glued && m_in_select);
        if (m_in_select) {
            m_expanded.clear();
            for (const char c : text) {
                m_expanded.push_back(c);
                if (c == ',') {
                    m_expanded.push_back('\n');
                    m_expanded.append(k_tab);
                    m_expanded.append(k_tab);
                }
            }
            text = m_expanded;
        }
        if (has_select) {
            if (auto failure = expressions().paren_select.search(text, m_data, paren_select))
                return failure;
        }
        if (paren_select) {
            ++m_depth;
            shift(out);
            out.append(text);
            return std::nullopt;
        }
        if (!glued)
            shift(out);
        out.append(text);
        fall_back();
        return std::nullopt;
    }

    /// A line break and the indentation; line breaks never pile up and the
    /// text never starts with one.
    void shift(std::string& out) const {
        const std::string& shift = m_formatter.shift(m_depth);
        if (out.empty() || out.back() == '\n')
            out.append(shift, 1);
        else
            out.append(shift);
    }

    void fall_back() {
        if (m_parens < 1 && m_depth > 0)
            --m_depth;
    }

    const Formatter& m_formatter;
    const SqlSpans& m_split;
    pcre2_match_data* m_data;
    std::string m_expanded;
    int m_depth = 0;
    std::ptrdiff_t m_parens = 0;
    bool m_in_select = false; ///< the current line holds SELECT before this piece
};

} // namespace

const Core::TypeInfo& Formatter::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<Formatter, Core::Object>(
        "DizezidaDovodarudSupportsDatabaseFormatter", {},
        {&Contracts::Database::IFormattable::static_type()});
    return info;
}
DIZEZIDA_REGISTER_TYPE(Formatter)

Formatter::Formatter() : m_tab(k_tab) {
    std::string shift = "\n";
    for (std::string& entry : m_shift) {
        entry = shift;
        shift += m_tab;
    }
}

void Formatter::option(std::string_view name, std::string_view value) {
    m_options.insert_or_assign(std::string(name), std::string(value));
}

std::optional<std::string> Formatter::option_value(std::string_view name) const {
    const auto found = m_options.find(name);
    if (found == m_options.end())
        return std::nullopt;
    return found->second;
}

const std::string& Formatter::shift(int depth) const {
    return m_shift[static_cast<std::size_t>(std::clamp(depth, 0, k_max_depth))];
}

std::string Formatter::beautify(std::string_view statements) const {
    try {
        SqlSpans split = split_sql(statements);
        MatchData data = Expression::new_match_data();
        std::string out;
        if (run_split_rules(split.code, data.get()) ||
            Layout(*this, split, data.get()).run(out))
            return std::string(statements);
        return out;
    } catch (const std::exception& error) {
        log_platform(G_LOG_LEVEL_CRITICAL, __LINE__,
                     std::string("Failed to beautify statements: ") + error.what());
        return {};
    }
}

std::string Formatter::minify(std::string_view statements) const {
    try {
        SqlSpans split = split_sql(statements);
        MatchData data = Expression::new_match_data();
        std::string scratch;
        for (const Expression* expression : {&expressions().minify_open, &expressions().minify_close}) {
            auto failure = replace_all(*expression, split.code, scratch, data.get(),
                                       [&split](std::size_t, std::size_t end, std::string& out) {
                                           out.push_back(split.code[end - 1]);
                                       });
            if (failure) {
                log_platform(G_LOG_LEVEL_WARNING, __LINE__,
                             "Failed to minify statements: " + *failure);
                break;
            }
        }
        std::string out;
        out.reserve(statements.size());
        join_sql(split.code, split.spans, out);
        return out;
    } catch (const std::exception& error) {
        log_platform(G_LOG_LEVEL_CRITICAL, __LINE__,
                     std::string("Failed to minify statements: ") + error.what());
        return {};
    }
}

} // namespace Dizezida::Dovodarud::Supports::Database
