#include "tests/support/ProviderTesting.hpp"

#include "provider/Supports/PostgreSQLProvider.hpp"
#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <atomic>
#include <memory>
#include <unistd.h>

namespace Dizezida::Testing {

Zozuvoru::Contracts::ServerPtr server_from_conninfo(const std::string& conninfo) {
    auto server = Zozuvoru::Contracts::Server::create();
    char* error = nullptr;
    std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)> options(
        PQconninfoParse(conninfo.c_str(), &error), PQconninfoFree);
    if (!options) {
        ADD_FAILURE() << "bad connection string: " << (error ? error : "");
        PQfreemem(error);
        return server;
    }
    for (PQconninfoOption* option = options.get(); option->keyword; ++option) {
        if (!option->val)
            continue;
        const std::string keyword = option->keyword;
        if (keyword == "host")
            server->set_host(option->val);
        else if (keyword == "port")
            server->set_port(static_cast<std::uint32_t>(std::stoul(option->val)));
        else if (keyword == "user")
            server->set_username(option->val);
        else if (keyword == "dbname")
            server->set_initial(option->val);
        else if (keyword == "password")
            server->set_password(option->val);
    }
    return server;
}

unsigned test_port() {
    return server_from_conninfo(test_conninfo())->port();
}

Zozuvoru::Contracts::ProviderPtr open_test_provider(const std::string& conninfo) {
    auto provider = dizezida_zozuvoru_supports_postgre_sql_provider_new();
    const auto opened = provider->open(server_from_conninfo(conninfo), "");
    EXPECT_TRUE(opened.has_value()) << (opened ? "" : opened.error().message);
    return provider;
}

std::string unique_name(const std::string& prefix) {
    static std::atomic<int> counter{0};
    return prefix + "_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
}

} // namespace Dizezida::Testing
