// A PostgreSQL connection of the engine on a scratch database, for the
// transform jobs' tests (each job takes two sessions).
#pragma once

#include "Supports/Database/PostgreSQL/Dialect/PostgreSQLConnection.hpp"
#include "Transform/ITransform.hpp"
#include "tests/support/ProviderTesting.hpp"
#include "tests/support/TestServer.hpp"

#include <gtest/gtest.h>

namespace Dizezida::Testing {

inline std::shared_ptr<Dovodarud::Supports::Database::PostgreSQLConnection>
open_postgresql(const std::string& conninfo, const std::string& prefix) {
    auto server = server_from_conninfo(conninfo);
    server->set_uuid(unique_name(prefix));
    auto connection = Dovodarud::Supports::Database::PostgreSQLConnection::create();
    const auto opened = connection->open(server, nullptr);
    EXPECT_TRUE(opened.has_value()) << (opened ? "" : opened.error().message);
    return connection;
}

/// The messages a job queued, one a line.
inline std::string job_messages(const Dovodarud::Transform::ITransform& job) {
    std::string text;
    for (const auto& message : job.get_progress()->messages)
        text += message + "\n";
    return text;
}

} // namespace Dizezida::Testing
