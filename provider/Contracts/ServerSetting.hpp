// The saved server list, a process-wide service (registered in the service
// registry under this type). Its file form belongs to the settings layer.
//
// Ownership: shares its servers. Not synchronised: one thread at a time.
#pragma once

#include "provider/Contracts/Server.hpp"

#include <string_view>
#include <vector>

namespace Dizezida::Zozuvoru::Contracts {

class ServerSetting : public Core::Object {
    DIZEZIDA_OBJECT(ServerSetting)
public:
    const std::vector<ServerPtr>& get_servers() const { return m_servers; }
    /// Adds a server, or replaces the one with the same uuid; a null server is
    /// refused ("server != NULL").
    void add(ServerPtr server);
    /// Removes the server with this uuid; false when there is none.
    bool remove(std::string_view uuid);
    /// The server with this uuid, or nullptr.
    ServerPtr find(std::string_view uuid) const;
    /// The first server with this name, or nullptr.
    ServerPtr find_by_name(std::string_view name) const;
    void clear();

private:
    std::vector<ServerPtr> m_servers;
};

} // namespace Dizezida::Zozuvoru::Contracts
