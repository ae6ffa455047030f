// The proxy used for network access. "proxy-password" is kept in the settings file, which is
// private to the user (0600).
//
// One group of the user's settings (see UserSetting). Every property is
// readable and writable; setting a different value notifies observers.
// Not synchronised: one thread at a time.
#pragma once

#include "core/DateTime.hpp"
#include "core/Object.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace Dizezida::Dovodarud::Setting {

class NetworkSetting : public Core::Object {
    DIZEZIDA_OBJECT(NetworkSetting)
public:
    /// The JSON member of the settings file that holds this group.
    static constexpr const char* k_key = "network";

    bool proxy_using() const { return m_proxy_using; }
    void set_proxy_using(bool value) { assign_and_notify(m_proxy_using, value, "proxy-using"); }
    std::uint32_t proxy_type() const { return m_proxy_type; }
    void set_proxy_type(std::uint32_t value) {
        assign_and_notify(m_proxy_type, value, "proxy-type");
    }
    std::string proxy_host() const { return m_proxy_host; }
    void set_proxy_host(std::string value) {
        assign_and_notify(m_proxy_host, std::move(value), "proxy-host");
    }
    std::uint16_t proxy_port() const { return m_proxy_port; }
    void set_proxy_port(std::uint16_t value) {
        assign_and_notify(m_proxy_port, value, "proxy-port");
    }
    std::string proxy_username() const { return m_proxy_username; }
    void set_proxy_username(std::string value) {
        assign_and_notify(m_proxy_username, std::move(value), "proxy-username");
    }
    std::string proxy_password() const { return m_proxy_password; }
    void set_proxy_password(std::string value) {
        assign_and_notify(m_proxy_password, std::move(value), "proxy-password");
    }

private:
    bool m_proxy_using = false;
    std::uint32_t m_proxy_type = 0;
    std::string m_proxy_host = "";
    std::uint16_t m_proxy_port = 8080;
    std::string m_proxy_username = "";
    std::string m_proxy_password = "";
};

} // namespace Dizezida::Dovodarud::Setting
