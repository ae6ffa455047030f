#include "core/Enum.hpp"

namespace Dizezida::Core {

const EnumEntry* EnumInfo::find(std::int64_t value) const {
    for (const auto& entry : entries)
        if (entry.value == value)
            return &entry;
    return nullptr;
}

const EnumEntry* EnumInfo::find_nick(std::string_view wanted) const {
    for (const auto& entry : entries)
        if (entry.nick == wanted)
            return &entry;
    return nullptr;
}

const EnumEntry* EnumInfo::find_name(std::string_view wanted) const {
    for (const auto& entry : entries)
        if (entry.name == wanted)
            return &entry;
    return nullptr;
}

std::string_view EnumInfo::nick(std::int64_t value) const {
    const EnumEntry* entry = find(value);
    return entry ? entry->nick : std::string_view{};
}

} // namespace Dizezida::Core
