#include "Model/JsonTextWriter.hpp"

#include <charconv>
#include <cmath>

namespace Dizezida::Dovodarud::MetaModel {
namespace {

constexpr std::string_view k_replacement = "\xEF\xBF\xBD"; // U+FFFD

/// The length of the valid UTF-8 sequence at the start of `text`, or 0.
std::size_t utf8_sequence(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const auto continuation = [&](std::size_t i) {
        return i < text.size() && (byte(i) & 0xC0) == 0x80;
    };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80; // the range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!continuation(i))
            return 0;
    return length;
}

bool plain(unsigned char c) { return c >= 0x20 && c != '"' && c != '\\' && c < 0x80; }

template <class Number> void append_number(std::string& out, Number value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

} // namespace

void JsonTextWriter::append_string(std::string& out, std::string_view text) {
    static constexpr char k_hex[] = "0123456789abcdef";
    out += '"';
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t run = i;
        while (run < text.size() && plain(static_cast<unsigned char>(text[run])))
            ++run;
        out.append(text.data() + i, run - i);
        i = run;
        if (i == text.size())
            break;
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t length = utf8_sequence(text.substr(i));
            out.append(length ? text.substr(i, length) : k_replacement);
            i += length ? length : 1;
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            out += "\\u00";
            out += k_hex[c >> 4];
            out += k_hex[c & 0xF];
        }
        ++i;
    }
    out += '"';
}

void JsonTextWriter::new_line() {
    if (m_indent < 0)
        return;
    m_out += '\n';
    m_out.append(m_empty.size() * static_cast<std::size_t>(m_indent), ' ');
}

void JsonTextWriter::before_value() {
    if (m_after_key) {
        m_after_key = false;
        return;
    }
    if (m_empty.empty())
        return;
    if (!m_empty.back())
        m_out += ',';
    m_empty.back() = false;
    new_line();
}

void JsonTextWriter::open(char bracket) {
    before_value();
    m_out += bracket;
    m_empty.push_back(true);
}

void JsonTextWriter::close(char bracket) {
    const bool empty = m_empty.empty() || m_empty.back();
    if (!m_empty.empty())
        m_empty.pop_back();
    if (!empty)
        new_line();
    m_out += bracket;
    flush_when_full();
}

bool JsonTextWriter::flush() {
    if (m_sink && !m_sink_failed && !m_out.empty())
        m_sink_failed = !m_sink(m_out);
    if (m_sink)
        m_out.clear();
    return !m_sink_failed;
}

void JsonTextWriter::key(std::string_view name) {
    before_value();
    append_string(m_out, name);
    m_out += m_indent < 0 ? ":" : ": ";
    m_after_key = true;
}

void JsonTextWriter::null_value() {
    before_value();
    m_out += "null";
}

void JsonTextWriter::bool_value(bool value) {
    before_value();
    m_out += value ? "true" : "false";
}

void JsonTextWriter::int_value(std::int64_t value) {
    before_value();
    append_number(m_out, value);
}

void JsonTextWriter::uint_value(std::uint64_t value) {
    before_value();
    append_number(m_out, value);
}

void JsonTextWriter::double_value(double value) {
    before_value();
    if (std::isfinite(value))
        append_number(m_out, value);
    else
        m_out += "null";
}

void JsonTextWriter::string_value(std::string_view text) {
    before_value();
    append_string(m_out, text);
}

} // namespace Dizezida::Dovodarud::MetaModel
