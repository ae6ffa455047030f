#include "provider/Supports/ConnInfo.hpp"

#include "provider/Contracts/IProvider.hpp"

#include <libpq-fe.h>

#include <charconv>
#include <memory>

namespace Dizezida::Zozuvoru::Supports {

Core::Result<Contracts::ServerPtr> server_from_conninfo(std::string_view conninfo) {
    const std::string text(conninfo);
    char* message = nullptr;
    std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> options(
        PQconninfoParse(text.c_str(), &message), PQconninfoFree);
    if (!options) {
        std::string reason = message ? message : "out of memory";
        PQfreemem(message);
        while (!reason.empty() && reason.back() == '\n')
            reason.pop_back();
        return Core::fail(Core::Error{Contracts::k_provider_error_domain, 20000,
                                      "invalid connection string: " + reason});
    }
    auto server = Contracts::Server::create();
    server->set_host("");
    server->set_port(0);
    for (const PQconninfoOption* option = options.get(); option->keyword; ++option) {
        if (!option->val)
            continue;
        const std::string_view keyword = option->keyword;
        const std::string_view value = option->val;
        if (keyword == "host" || keyword == "hostaddr") {
            if (server->host().empty() || keyword == "host")
                server->set_host(std::string(value));
        } else if (keyword == "port") {
            std::uint32_t port = 0;
            std::from_chars(value.data(), value.data() + value.size(), port);
            server->set_port(port);
        } else if (keyword == "user") {
            server->set_username(std::string(value));
        } else if (keyword == "password") {
            server->set_password(std::string(value));
        } else if (keyword == "dbname") {
            server->set_initial(std::string(value));
        } else if (keyword == "sslmode") {
            server->set_ssl_using(value != "disable" && value != "allow" && value != "prefer");
        }
    }
    return server;
}

} // namespace Dizezida::Zozuvoru::Supports
