// The framing of COPY's binary format: an 11-byte signature, a 32-bit flags
// field and a 32-bit header extension length (19 bytes with no extension),
// then tuples (a 16-bit field count, each field a 32-bit length, -1 for
// NULL, and its bytes), then a 16-bit -1. Integers are big-endian.
#pragma once

#include <cstdint>
#include <string_view>

namespace Dizezida::Dovodarud::Transform::CopyBinary {

inline constexpr std::string_view k_signature{"PGCOPY\n\377\r\n\0", 11};
/// The header a writer sends: the signature, no flags, no extension.
inline constexpr std::string_view k_header{"PGCOPY\n\377\r\n\0\0\0\0\0\0\0\0\0", 19};
inline constexpr std::string_view k_trailer{"\377\377", 2};

inline std::uint32_t read_u32(const char* at) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(at);
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

inline std::int16_t read_i16(const char* at) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(at);
    return static_cast<std::int16_t>((bytes[0] << 8) | bytes[1]);
}

inline std::int32_t read_i32(const char* at) {
    return static_cast<std::int32_t>(read_u32(at));
}

} // namespace Dizezida::Dovodarud::Transform::CopyBinary
