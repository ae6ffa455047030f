#include "Supports/Database/SqlStatements.hpp"

#include <cctype>

namespace Dizezida::Dovodarud::Supports::Database {

namespace {

bool is_word_letter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

/// Whether `word` (upper case) stands at `at` as a whole word, any case.
bool word_at(std::string_view text, std::size_t at, std::string_view word) {
    if (at + word.size() > text.size() || (at > 0 && is_word_letter(text[at - 1])))
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[at + i])) != word[i])
            return false;
    return at + word.size() == text.size() || !is_word_letter(text[at + word.size()]);
}

/// The end (one past) of the protected span opening at `at`, or `at` when none opens there.
std::size_t span_end(std::string_view text, std::size_t at) {
    const char c = text[at];
    const auto quoted = [&](std::size_t from, char quote, bool backslashes) {
        for (std::size_t i = from; i < text.size(); ++i) {
            if (backslashes && text[i] == '\\') {
                ++i;
            } else if (text[i] == quote) {
                if (i + 1 < text.size() && text[i + 1] == quote)
                    ++i;
                else
                    return i + 1;
            }
        }
        return text.size();
    };
    if (c == '\'') {
        const bool escapes = at > 0 && (text[at - 1] == 'E' || text[at - 1] == 'e') &&
                             (at == 1 || !is_word_letter(text[at - 2]));
        return quoted(at + 1, '\'', escapes);
    }
    if (c == '"')
        return quoted(at + 1, '"', false);
    if (c == '-' && at + 1 < text.size() && text[at + 1] == '-') {
        const std::size_t end = text.find('\n', at);
        return end == std::string_view::npos ? text.size() : end + 1;
    }
    if (c == '/' && at + 1 < text.size() && text[at + 1] == '*') {
        int depth = 0;
        for (std::size_t i = at; i + 1 < text.size(); ++i) {
            if (text[i] == '/' && text[i + 1] == '*') {
                ++depth;
                ++i;
            } else if (text[i] == '*' && text[i + 1] == '/') {
                ++i;
                if (--depth == 0)
                    return i + 1;
            }
        }
        return text.size();
    }
    if (c == '$' && (at == 0 || !is_word_letter(text[at - 1]))) {
        std::size_t close = at + 1;
        while (close < text.size() && (is_word_letter(text[close])) &&
               !(close == at + 1 && std::isdigit(static_cast<unsigned char>(text[close]))))
            ++close;
        if (close < text.size() && text[close] == '$') {
            const std::string_view tag = text.substr(at, close - at + 1);
            const std::size_t end = text.find(tag, close + 1);
            return end == std::string_view::npos ? text.size() : end + tag.size();
        }
    }
    return at;
}

bool only_blank_or_comments(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        const std::size_t end = span_end(text, i);
        if (end == i || (text[i] != '-' && text[i] != '/'))
            return false;
        i = end;
    }
    return true;
}

} // namespace

std::vector<SqlStatement> split_statements(std::string_view script) {
    std::vector<SqlStatement> statements;
    std::size_t start = 0;
    std::size_t line = 1;
    std::size_t start_line = 1;
    int atomic = 0; // open BEGIN ATOMIC bodies and the BEGIN/CASE blocks inside them
    const auto close = [&](std::size_t end) {
        std::string_view text = script.substr(start, end - start);
        if (!only_blank_or_comments(text)) {
            std::size_t first = 0;
            std::size_t first_line = start_line;
            while (first < text.size() && std::isspace(static_cast<unsigned char>(text[first]))) {
                if (text[first] == '\n')
                    ++first_line;
                ++first;
            }
            std::size_t last = text.size();
            while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1])))
                --last;
            statements.push_back({std::string(text.substr(first, last - first)), first_line});
        }
    };
    for (std::size_t i = 0; i < script.size();) {
        const std::size_t end = span_end(script, i);
        if (end != i) {
            for (std::size_t j = i; j < end; ++j)
                line += script[j] == '\n';
            i = end;
            continue;
        }
        const char c = script[i];
        if (c == '\n')
            ++line;
        if (word_at(script, i, "BEGIN")) {
            std::size_t next = i + 5;
            while (next < script.size() && std::isspace(static_cast<unsigned char>(script[next])))
                ++next;
            if (atomic > 0 || word_at(script, next, "ATOMIC"))
                ++atomic;
        } else if (atomic > 0 && word_at(script, i, "CASE")) {
            ++atomic;
        } else if (atomic > 0 && word_at(script, i, "END")) {
            --atomic;
        } else if (c == ';' && atomic == 0) {
            close(i);
            start = i + 1;
            start_line = line;
        }
        ++i;
    }
    close(script.size());
    return statements;
}

} // namespace Dizezida::Dovodarud::Supports::Database
