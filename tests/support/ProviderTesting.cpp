#include "tests/support/ProviderTesting.hpp"

#include "provider/Supports/ConnInfo.hpp"
#include "provider/Supports/PostgreSQLProvider.hpp"
#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <atomic>
#include <memory>
#include <unistd.h>

namespace Dizezida::Testing {

Zozuvoru::Contracts::ServerPtr server_from_conninfo(const std::string& conninfo) {
    auto server = Zozuvoru::Supports::server_from_conninfo(conninfo);
    if (!server) {
        ADD_FAILURE() << server.error().message;
        return Zozuvoru::Contracts::Server::create();
    }
    return *server;
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
