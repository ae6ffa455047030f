#include "Supports/Database/DataCache.hpp"

namespace Dizezida::Dovodarud::Contracts::Database {

const Core::TypeInfo& ICachable::static_type() {
    static const Core::TypeInfo info =
        Core::TypeInfo::make_interface("DizezidaDovodarudContractsDatabaseICachable");
    return info;
}

} // namespace Dizezida::Dovodarud::Contracts::Database

namespace Dizezida::Dovodarud::Supports::Database {

const Core::TypeInfo& DataCache::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<DataCache, Core::Object>(
        "DizezidaDovodarudSupportsDatabaseDataCache", {},
        {&Contracts::Database::ICachable::static_type()});
    return info;
}

void DataCache::append(const std::string& key, const std::string& value) {
    std::lock_guard lock(m_lock);
    m_entries.insert_or_assign(key, value);
}

std::optional<std::string> DataCache::lookup(const std::string& key) const {
    std::lock_guard lock(m_lock);
    const auto found = m_entries.find(key);
    if (found == m_entries.end())
        return std::nullopt;
    return found->second;
}

void DataCache::clear() {
    std::lock_guard lock(m_lock);
    m_entries.clear();
}

} // namespace Dizezida::Dovodarud::Supports::Database

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Database::DataCache)
