#include "provider/Contracts/DataVersion.hpp"

#include <iterator>

namespace Dizezida::Zozuvoru::Contracts {
namespace {

constexpr Core::EnumEntry k_entries[] = {
    {0, "DIZEZIDA_ZOZUVORU_CONTRACTS_DATA_VERSION_NONE", "none"},
    {1, "DIZEZIDA_ZOZUVORU_CONTRACTS_DATA_VERSION_EQUAL", "equal"},
    {2, "DIZEZIDA_ZOZUVORU_CONTRACTS_DATA_VERSION_REMOVE", "remove"},
    {4, "DIZEZIDA_ZOZUVORU_CONTRACTS_DATA_VERSION_APPEND", "append"},
    {8, "DIZEZIDA_ZOZUVORU_CONTRACTS_DATA_VERSION_CHANGE", "change"},
};

} // namespace

DIZEZIDA_DEFINE_ENUM(DataVersion, "DizezidaZozuvoruContractsDataVersion", k_entries, 5, true)

} // namespace Dizezida::Zozuvoru::Contracts
