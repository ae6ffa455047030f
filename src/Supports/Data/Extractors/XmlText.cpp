#include "Supports/Data/Extractors/XmlText.hpp"

#include "Supports/Data/Extractors/BaseExtractor.hpp"

#include <fmt/format.h>
#include <glib.h>

#include <iterator>

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

namespace {

constexpr std::string_view k_replacement_utf8 = "\xEF\xBF\xBD";

enum class Place { Name, Value };

/// The code point at `i`, which is moved past it; U+FFFD for a byte that
/// does not begin valid UTF-8 (moved one byte).
char32_t next_code_point(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    const gunichar c =
        g_utf8_get_char_validated(text.data() + i, static_cast<gssize>(text.size() - i));
    if (c > 0x10FFFF) { // (gunichar)-1 or -2: not UTF-8
        ++i;
        return 0xFFFD;
    }
    i += static_cast<std::size_t>(g_utf8_skip[lead]);
    return c;
}

bool is_xml_char(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

/// XML's name start characters, without ':' (a namespace prefix to readers).
bool is_name_start(char32_t c) {
    return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
           (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) ||
           (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
           (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0xEFFFF);
}

bool is_name_char(char32_t c) {
    return is_name_start(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

bool is_control(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

/// Whether the character, the `position`-th of the text, is written as it is.
bool stands(char32_t c, std::size_t position, Place place) {
    if (place == Place::Value)
        return is_xml_char(c);
    return position == 0 ? is_name_start(c) : is_name_char(c);
}

std::size_t hex_run(std::string_view text, std::size_t from) {
    std::size_t end = from;
    while (end < text.size() && g_ascii_isxdigit(text[end]))
        ++end;
    return end - from;
}

void append_escape(std::string& out, char32_t c, bool eight_digits) {
    const auto code = static_cast<std::uint32_t>(c);
    if (eight_digits || c > 0xFFFF)
        fmt::format_to(std::back_inserter(out), "_x{:08X}_", code);
    else
        fmt::format_to(std::back_inserter(out), "_x{:04X}_", code);
}

/// Whether the underscore at byte `i` would be read as the start of an
/// escape: "_x", a run of exactly four or eight hexadecimal digits, then a
/// character that is written beginning with an underscore.
bool underscore_needs_escape(std::string_view text, std::size_t i, Place place) {
    if (i + 1 >= text.size() || text[i + 1] != 'x')
        return false;
    const std::size_t digits = hex_run(text, i + 2);
    std::size_t next = i + 2 + digits;
    if ((digits != 4 && digits != 8) || next >= text.size())
        return false;
    const char32_t c = next_code_point(text, next);
    return c == '_' || !stands(c, 1, place);
}

/// A byte a value keeps without a closer look (ASCII, not a control, not '_').
bool plain_value_byte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x20 && byte < 0x80 && c != '_';
}

void append_encoded(std::string& out, std::string_view text, Place place, bool mark_first) {
    const bool reserved =
        place == Place::Name && text.size() >= 3 && g_ascii_strncasecmp(text.data(), "xml", 3) == 0;
    std::size_t position = 0;
    for (std::size_t i = 0; i < text.size(); ++position) {
        if (place == Place::Value && position > 0 && plain_value_byte(text[i])) {
            std::size_t end = i + 1;
            while (end < text.size() && plain_value_byte(text[end]))
                ++end;
            out.append(text.substr(i, end - i));
            i = end;
            continue;
        }
        const std::size_t start = i;
        const char32_t c = next_code_point(text, i);
        if (position == 0 && (mark_first || reserved))
            append_escape(out, c, mark_first);
        else if (c == '_' ? underscore_needs_escape(text, start, place)
                          : !stands(c, position, place))
            append_escape(out, c, false);
        else if (i - start == 1 && static_cast<unsigned char>(text[start]) >= 0x80)
            out.append(k_replacement_utf8);
        else
            out.append(text.substr(start, i - start));
    }
}

} // namespace

Core::Result<void> append_xml_name(std::string& out, std::string_view name) {
    if (name.empty())
        return Core::fail(extractor_error(ExtractorError::Model,
                                          "a column without a name cannot be written as XML"));
    for (std::size_t i = 0; i < name.size();) {
        const char32_t c = next_code_point(name, i);
        if (!is_control(c))
            continue;
        std::string shown;
        for (const char n : name)
            shown += static_cast<unsigned char>(n) < 0x20 || n == 0x7F ? '?' : n;
        return Core::fail(extractor_error(
            ExtractorError::Model,
            fmt::format("the column name \"{}\" holds the control character U+{:04X}, which an "
                        "XML name cannot carry",
                        shown, static_cast<std::uint32_t>(c))));
    }
    append_encoded(out, name, Place::Name, false);
    return {};
}

void append_xml_text(std::string& out, std::string_view text, bool mark_first) {
    append_encoded(out, text, Place::Value, mark_first);
}

std::string decode_xml_text(std::string_view text) {
    std::string out;
    std::size_t copied = 0;
    for (std::size_t i = text.find('_'); i != std::string_view::npos; i = text.find('_', i)) {
        const std::size_t digits =
            i + 1 < text.size() && text[i + 1] == 'x' ? hex_run(text, i + 2) : 0;
        const std::size_t end = i + 2 + digits;
        if ((digits == 4 || digits == 8) && end < text.size() && text[end] == '_') {
            const auto code = static_cast<char32_t>(
                std::stoul(std::string(text.substr(i + 2, digits)), nullptr, 16));
            if (code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
                out.append(text.substr(copied, i - copied));
                char utf8[6];
                out.append(utf8, static_cast<std::size_t>(g_unichar_to_utf8(code, utf8)));
                i = end + 1;
                copied = i;
                continue;
            }
        }
        ++i;
    }
    if (copied == 0)
        return std::string(text);
    out.append(text.substr(copied));
    return out;
}

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors
