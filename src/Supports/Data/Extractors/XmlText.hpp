// Names and values made safe for an XML 1.0 document, reversibly.
//
// A character that may not stand where it is (in a name: anything outside
// the XML name characters, ':' included, and a digit, '-' or '.' first; in a
// value: the C0 controls other than TAB, LF and CR, and U+FFFE, U+FFFF) is
// written as `_xHHHH_`, the upper-case hexadecimal code point (eight digits
// beyond U+FFFF). An underscore that would otherwise begin such a sequence
// in the written text is itself written `_x005F_`, so that decoding gives
// back exactly the original. Names beginning with "xml" (reserved by XML,
// "xmlns" an attribute no parser reports as one) have their first letter
// encoded. Bytes that are not UTF-8 become U+FFFD.
//
// Plain functions without state; safe on any thread.
#pragma once

#include "core/Error.hpp"

#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

/// Appends `name` as an element or attribute name; an error for an empty
/// name or one holding a control character.
[[nodiscard]] Core::Result<void> append_xml_name(std::string& out, std::string_view name);

/**
 * Appends `text` as the content of an element or attribute (the XML writer
 * still escapes & < > " and CR). With `mark_first` the first character is
 * encoded in the eight-digit form whatever it is, so that the written text
 * differs from that of any other value (a value equal to the null text).
 */
void append_xml_text(std::string& out, std::string_view text, bool mark_first = false);

/// The text a written name or value stands for: each `_xHHHH_` or
/// `_xHHHHHHHH_` that names a character replaced by it.
std::string decode_xml_text(std::string_view text);

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors
