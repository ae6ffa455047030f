// A transfer run to its end between two sessions of its own, for the
// transfer tests.
#pragma once

#include "Transform/Transfer.hpp"
#include "tests/Transform/TransformTesting.hpp"

#include <memory>

namespace Dizezida::Testing {

/// Opens the parallel copy jobs' sessions as the front end does: another
/// connection on the server of the one given.
inline void open_jobs_like_the_front_end(Dovodarud::Transform::Transfer& job) {
    job.set_session_opener([](const Dovodarud::Transform::ConnectionPtr& like)
                               -> Core::Result<Dovodarud::Transform::ConnectionPtr> {
        auto connection = Dovodarud::Supports::Database::PostgreSQLConnection::create();
        DIZEZIDA_TRY(connection->open(like->get_server(), nullptr));
        return connection;
    });
}

/// Runs the job of `map` from the server of `source` to that of `target`
/// (connection strings); both sessions are closed when it has ended.
inline std::unique_ptr<Dovodarud::Transform::Transfer>
run_transfer(Dovodarud::Transform::Transfer::Options map, const std::string& source,
             const std::string& target) {
    auto from = open_postgresql(source, "transfer");
    auto to = open_postgresql(target, "transfer");
    auto job = std::make_unique<Dovodarud::Transform::Transfer>(std::move(map));
    job->set_server_source(from);
    job->set_server_target(to);
    open_jobs_like_the_front_end(*job);
    job->set_progress(Dovodarud::Contracts::ThreadProgress::create());
    job->handle();
    from->close();
    to->close();
    EXPECT_EQ(job->get_progress()->state, Dovodarud::Contracts::JobState::ended);
    return job;
}

} // namespace Dizezida::Testing
