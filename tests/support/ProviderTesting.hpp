// Shared helpers of the provider tests: servers and providers for the test cluster.
#pragma once

#include "provider/Contracts/IProvider.hpp"

#include <string>

namespace Dizezida::Testing {

/// A server record with the fields of a libpq connection string.
Zozuvoru::Contracts::ServerPtr server_from_conninfo(const std::string& conninfo);
/// The TCP port of the test cluster.
unsigned test_port();
/// A PostgreSQL provider opened on the test server (fails the test otherwise).
Zozuvoru::Contracts::ProviderPtr open_test_provider(const std::string& conninfo);
/// A name no other test process uses ("<prefix>_<pid>_<n>").
std::string unique_name(const std::string& prefix);

} // namespace Dizezida::Testing
