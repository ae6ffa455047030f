// Enumeration tables: value, full name and nick of every member.
//
// Each `enum class` of the project has fixed numbers and one constant table of
// EnumEntry rows; `enum_info(E{})`, found by argument-dependent lookup in the
// enum's own namespace, returns its EnumInfo. Tables are immutable statics and
// safe to read from any thread.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace Dizezida::Core {

/// One member of an enumeration.
struct EnumEntry {
    std::int64_t value;
    std::string_view name; ///< full value name, e.g. "DIZEZIDA_..._BUSY"
    std::string_view nick; ///< lower-case nick, e.g. "busy"
};

/// The run-time record of an enumeration or flags type.
struct EnumInfo {
    std::string_view type_name;
    std::span<const EnumEntry> entries;
    bool is_flags = false;

    /// The entry with this value, or nullptr.
    const EnumEntry* find(std::int64_t value) const;
    /// The entry with this nick, or nullptr.
    const EnumEntry* find_nick(std::string_view nick) const;
    /// The entry with this full name, or nullptr.
    const EnumEntry* find_name(std::string_view name) const;
    /// The nick of a value, or "" when the value is not a member.
    std::string_view nick(std::int64_t value) const;
};

/// Whether `enum_info(E{})` is declared for the enumeration E.
template <class E>
concept RegisteredEnum = std::is_enum_v<E> && requires(E e) {
    { enum_info(e) } -> std::same_as<const EnumInfo&>;
};

/// The nick of an enumeration value ("" for a value outside the table).
template <RegisteredEnum E> std::string_view nick_of(E value) {
    return enum_info(E{}).nick(static_cast<std::int64_t>(value));
}

} // namespace Dizezida::Core

/// Declares `enum_info(E)` for an enumeration; define it with
/// DIZEZIDA_DEFINE_ENUM in one source file.
#define DIZEZIDA_DECLARE_ENUM(E) const ::Dizezida::Core::EnumInfo& enum_info(E)

/// Defines `enum_info(E)` over a table of EnumEntry rows and checks that the
/// table has one row per member (`count` members numbered as the table says).
#define DIZEZIDA_DEFINE_ENUM(E, type_name_text, table, count, flags)                               \
    static_assert(std::size(table) == (count), "enum table of " #E " has the wrong length");       \
    const ::Dizezida::Core::EnumInfo& enum_info(E) {                                               \
        static const ::Dizezida::Core::EnumInfo info{type_name_text, table, flags};                \
        return info;                                                                               \
    }
