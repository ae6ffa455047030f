#include "Helpers/StringHelper.hpp"

#include <glib.h>

#include <algorithm>
#include <cstdint>
#include <set>

namespace Dizezida::Dovodarud::Helpers {

namespace {

/// Length in bytes of the code point at `pos`; 1 for a byte that does not
/// start a valid UTF-8 sequence (such a byte stands for itself).
std::size_t code_point_length(std::string_view text, std::size_t pos) {
    const auto c = static_cast<unsigned char>(text[pos]);
    if (c < 0x80)
        return 1;
    const gunichar ch =
        g_utf8_get_char_validated(text.data() + pos, static_cast<gssize>(text.size() - pos));
    if (ch == static_cast<gunichar>(-1) || ch == static_cast<gunichar>(-2))
        return 1;
    return static_cast<std::size_t>(g_utf8_next_char(text.data() + pos) - (text.data() + pos));
}

/// Upper-cases one code point (possibly into several, "ﬁ" -> "FI").
void append_upper(std::string& out, std::string_view cp) {
    if (cp.size() == 1) {
        out.push_back(static_cast<char>(g_ascii_toupper(cp[0])));
        return;
    }
    gchar* up = g_utf8_strup(cp.data(), static_cast<gssize>(cp.size()));
    out += up;
    g_free(up);
}

/// The upper-cased copy of `text`; `origin`, when given, receives for each
/// byte of the copy the offset in `text` of the code point it came from.
std::string upper(std::string_view text, std::vector<std::size_t>* origin = nullptr) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t len = code_point_length(text, pos);
        const std::size_t before = out.size();
        append_upper(out, text.substr(pos, len));
        if (origin)
            origin->insert(origin->end(), out.size() - before, pos);
        pos += len;
    }
    return out;
}

bool ascii_equal(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return g_ascii_tolower(x) == g_ascii_tolower(y);
           });
}

template <class Test>
int first_index(const StringHelper::Strings& values, std::string_view needle, bool case_sensitive,
                Test test) {
    const std::string key = case_sensitive ? std::string(needle) : upper(needle);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string value = case_sensitive ? values[i] : upper(values[i]);
        if (test(std::string_view(value), std::string_view(key)))
            return static_cast<int>(i);
    }
    return -1;
}

template <class Test>
int count_matching(const StringHelper::Strings& values, std::string_view needle,
                   bool case_sensitive, Test test) {
    const std::string key = case_sensitive ? std::string(needle) : upper(needle);
    int count = 0;
    for (const auto& v : values) {
        const std::string value = case_sensitive ? v : upper(v);
        if (test(std::string_view(value), std::string_view(key)))
            ++count;
    }
    return count;
}

template <class Test>
bool any_value(std::string_view text, const StringHelper::Strings& values, bool case_sensitive,
               Test test) {
    const std::string subject = case_sensitive ? std::string(text) : upper(text);
    for (const auto& v : values) {
        const std::string value = case_sensitive ? v : upper(v);
        if (test(std::string_view(subject), std::string_view(value)))
            return true;
    }
    return false;
}

std::string_view trim_space(std::string_view s) {
    const auto space = [](char c) { return g_ascii_isspace(c); };
    while (!s.empty() && space(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && space(s.back()))
        s.remove_suffix(1);
    return s;
}

bool is_word_char(std::string_view cp) {
    if (cp.size() == 1) {
        const char c = cp[0];
        return g_ascii_isalnum(c) || c == '_' || c == '\'';
    }
    const gunichar ch = g_utf8_get_char_validated(cp.data(), static_cast<gssize>(cp.size()));
    if (ch == static_cast<gunichar>(-1) || ch == static_cast<gunichar>(-2))
        return false;
    return g_unichar_isalnum(ch) || g_unichar_ismark(ch);
}

void append_lower(std::string& out, std::string_view cp) {
    if (cp.size() == 1) {
        out.push_back(static_cast<char>(g_ascii_tolower(cp[0])));
        return;
    }
    gchar* low = g_utf8_strdown(cp.data(), static_cast<gssize>(cp.size()));
    out += low;
    g_free(low);
}

/// The title-case form of one code point ("ǆ" -> "ǅ", "ß" stays one letter).
void append_title(std::string& out, std::string_view cp) {
    if (cp.size() == 1) {
        out.push_back(static_cast<char>(g_ascii_toupper(cp[0])));
        return;
    }
    const gunichar title = g_unichar_totitle(g_utf8_get_char(cp.data()));
    gchar buffer[8];
    out.append(buffer, static_cast<std::size_t>(g_unichar_to_utf8(title, buffer)));
}

} // namespace

int StringHelper::search_array(const Strings& values, std::string_view needle,
                               bool case_sensitive) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (case_sensitive ? values[i] == needle : ascii_equal(values[i], needle))
            return static_cast<int>(i);
    }
    return -1;
}

int StringHelper::search_array_prefix(const Strings& values, std::string_view needle,
                                      bool case_sensitive) {
    return first_index(values, needle, case_sensitive,
                       [](std::string_view v, std::string_view n) { return v.starts_with(n); });
}

int StringHelper::search_array_prefix_count(const Strings& values, std::string_view needle,
                                            bool case_sensitive) {
    return count_matching(values, needle, case_sensitive,
                          [](std::string_view v, std::string_view n) { return v.starts_with(n); });
}

int StringHelper::search_array_suffix(const Strings& values, std::string_view needle,
                                      bool case_sensitive) {
    return first_index(values, needle, case_sensitive,
                       [](std::string_view v, std::string_view n) { return v.ends_with(n); });
}

int StringHelper::search_array_suffix_count(const Strings& values, std::string_view needle,
                                            bool case_sensitive) {
    return count_matching(values, needle, case_sensitive,
                          [](std::string_view v, std::string_view n) { return v.ends_with(n); });
}

bool StringHelper::prefix_with_array(std::string_view content, const Strings& values,
                                     bool case_sensitive) {
    return any_value(content, values, case_sensitive,
                     [](std::string_view t, std::string_view v) { return t.starts_with(v); });
}

bool StringHelper::suffix_with_array(std::string_view content, const Strings& values,
                                     bool case_sensitive) {
    return any_value(content, values, case_sensitive,
                     [](std::string_view t, std::string_view v) { return t.ends_with(v); });
}

bool StringHelper::contains_array(std::string_view text, const Strings& values,
                                  bool case_sensitive) {
    return any_value(text, values, case_sensitive, [](std::string_view t, std::string_view v) {
        return t.find(v) != std::string_view::npos;
    });
}

long StringHelper::index_with_array(std::string_view text, const Strings& values,
                                    bool case_sensitive) {
    if (case_sensitive) {
        for (const auto& v : values) {
            const auto pos = text.find(v);
            if (pos != std::string_view::npos)
                return static_cast<long>(pos);
        }
        return -1;
    }
    std::vector<std::size_t> origin;
    const std::string subject = upper(text, &origin);
    for (const auto& v : values) {
        const auto pos = subject.find(upper(v));
        if (pos == std::string::npos)
            continue;
        return static_cast<long>(pos < origin.size() ? origin[pos] : text.size());
    }
    return -1;
}

std::optional<std::string> StringHelper::replace_array(std::string_view plain,
                                                       const Strings& old_texts,
                                                       const Strings& new_texts) {
    if (old_texts.size() != new_texts.size())
        return std::nullopt;
    std::string running(plain);
    for (std::size_t i = 0; i < old_texts.size(); ++i) {
        const std::string& from = old_texts[i];
        const std::string& to = new_texts[i];
        if (running.empty() || from.empty() || from == to)
            continue;
        std::string next;
        std::size_t start = 0;
        for (std::size_t pos; (pos = running.find(from, start)) != std::string::npos;
             start = pos + from.size()) {
            next.append(running, start, pos - start);
            next += to;
        }
        next.append(running, start);
        running = std::move(next);
    }
    return running;
}

StringHelper::Diff StringHelper::diff_array(const Strings& first, const Strings& second) {
    Diff diff;
    const auto contains = [](const Strings& list, std::string_view item) {
        return std::find(list.begin(), list.end(), item) != list.end();
    };
    for (const auto& raw : second) {
        const std::string_view item = trim_space(raw);
        if (item.empty())
            continue;
        (contains(first, item) ? diff.both : diff.second_only).emplace_back(item);
    }
    for (const auto& raw : first) {
        const std::string_view item = trim_space(raw);
        if (item.empty())
            continue;
        if (!contains(second, item))
            diff.first_only.emplace_back(item);
    }
    return diff;
}

std::string StringHelper::trim_blanks(std::string_view text) {
    return std::string(blanks_trimmed(text));
}

std::string_view StringHelper::blanks_trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string StringHelper::trim_chars(std::string_view text, std::string_view chars) {
    std::set<std::string_view> set;
    for (std::size_t pos = 0; pos < chars.size();) {
        const std::size_t len = code_point_length(chars, pos);
        set.insert(chars.substr(pos, len));
        pos += len;
    }
    if (set.empty())
        return std::string(text);

    // Code point boundaries of the text, so a multi-byte character is only
    // ever trimmed whole.
    std::vector<std::size_t> starts;
    for (std::size_t pos = 0; pos < text.size(); pos += code_point_length(text, pos))
        starts.push_back(pos);
    starts.push_back(text.size());

    std::size_t first = 0;
    std::size_t last = starts.size() - 1; // index of the end boundary
    while (first < last &&
           set.contains(text.substr(starts[first], starts[first + 1] - starts[first])))
        ++first;
    while (last > first &&
           set.contains(text.substr(starts[last - 1], starts[last] - starts[last - 1])))
        --last;
    return std::string(text.substr(starts[first], starts[last] - starts[first]));
}

std::string StringHelper::proper_case(std::string_view str) {
    std::string out;
    out.reserve(str.size());
    bool in_word = false;
    for (std::size_t pos = 0; pos < str.size();) {
        const std::size_t len = code_point_length(str, pos);
        const std::string_view cp = str.substr(pos, len);
        if (!is_word_char(cp)) {
            out += cp;
            in_word = false;
        } else if (!in_word) {
            append_title(out, cp);
            in_word = true;
        } else {
            append_lower(out, cp);
        }
        pos += len;
    }
    return out;
}

std::string StringHelper::stringify_data(const Data& data, std::string_view delimiter) {
    std::string out;
    bool first = true;
    for (const auto& [key, value] : data) {
        if (!first)
            out += delimiter;
        first = false;
        out += key;
        if (value) {
            out += '=';
            out += *value;
        }
    }
    return out;
}

StringHelper::Data StringHelper::arraify_data(std::string_view text, std::string_view delimiter) {
    Data data;
    const auto add = [&data](std::string_view piece) {
        if (piece.empty())
            return;
        const auto eq = piece.find('=');
        if (eq == std::string_view::npos)
            data[std::string(piece)] = std::nullopt;
        else
            data[std::string(piece.substr(0, eq))] = std::string(piece.substr(eq + 1));
    };
    if (delimiter.empty()) {
        add(text);
        return data;
    }
    std::size_t start = 0;
    for (std::size_t pos; (pos = text.find(delimiter, start)) != std::string_view::npos;
         start = pos + delimiter.size())
        add(text.substr(start, pos - start));
    add(text.substr(start));
    return data;
}

bool StringHelper::is_json_number(std::string_view text) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        return i - start;
    };
    if (i < text.size() && text[i] == '-')
        ++i;
    const std::size_t start = i;
    const std::size_t whole = digits();
    if (whole == 0 || (whole > 1 && text[start] == '0'))
        return false;
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (digits() == 0)
            return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == text.size();
}

} // namespace Dizezida::Dovodarud::Helpers
