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

std::string server_endpoint(const Contracts::Server& server) {
    std::string host = server.host();
    std::string port = server.port() ? std::to_string(server.port()) : std::string();
    std::string user = server.username();
    std::string database = server.initial();
    std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> defaults(PQconndefaults(),
                                                                          PQconninfoFree);
    for (const PQconninfoOption* option = defaults.get(); option && option->keyword; ++option) {
        const std::string_view keyword = option->keyword;
        const char* fallback = option->val ? option->val : option->compiled;
        if (!fallback)
            continue;
        if (keyword == "host" && host.empty())
            host = fallback;
        else if (keyword == "port" && port.empty())
            port = fallback;
        else if (keyword == "user" && user.empty())
            user = fallback;
        else if (keyword == "dbname" && database.empty())
            database = fallback;
    }
    if (database.empty())
        database = user;
    return user + '@' + host + ':' + port + '/' + database;
}

} // namespace Dizezida::Zozuvoru::Supports
