// The generic ICachable: a map of texts guarded by one recursive lock, so
// that any thread may use it.
#pragma once

#include "Contracts/Database/ICachable.hpp"

#include <mutex>
#include <unordered_map>

namespace Dizezida::Dovodarud::Supports::Database {

class DataCache : public Core::Object, public Contracts::Database::ICachable {
    DIZEZIDA_OBJECT(DataCache)
public:
    void append(const std::string& key, const std::string& value) override;
    std::optional<std::string> lookup(const std::string& key) const override;
    void clear() override;

private:
    mutable std::recursive_mutex m_lock;
    std::unordered_map<std::string, std::string> m_entries;
};

} // namespace Dizezida::Dovodarud::Supports::Database
