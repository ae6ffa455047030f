#include "Transform/Synchronizer.hpp"

#include "Helpers/StringHelper.hpp"
#include "Supports/Database/DatabaseIdentity.hpp"

#include "core/Interruption.hpp"

#include "Foundation/LoggingService.hpp"

#include <fmt/format.h>

#include <algorithm>

namespace Dizezida::Dovodarud::Transform {

namespace {

constexpr std::string_view k_savepoint = "dizezida_sync_step";
constexpr std::string_view k_batch_savepoint = "dizezida_sync_batch";
// Statements sent in one text: a round trip per batch instead of one each.
constexpr std::size_t k_batch_statements = 1000;
constexpr std::size_t k_batch_bytes = std::size_t{1} << 20;

} // namespace

Core::Result<void> Synchronizer::refuse_same_schema() const {
    if (!m_source || !m_target || m_plan.source_schema != m_plan.target_schema)
        return {};
    auto shared = Supports::Database::shared_database(*m_source, *m_target);
    if (!shared)
        return Core::fail(std::move(shared).error());
    if (!*shared)
        return {};
    return Core::fail(Core::Error{
        "Transform", 0,
        fmt::format("the source and the target are the same schema {} of the same database {} "
                    "(whatever their connection texts say); nothing to synchronise",
                    m_plan.source_schema, (*shared)->database)});
}

void Synchronizer::handle() {
    m_started = std::chrono::steady_clock::now();
    auto statements = generate();
    if (!statements) {
        Foundation::LoggingService::critical(nullptr, "synchronisation: %s",
                                             statements.error().message.c_str());
        record_step(false, statements.error().message);
    } else if (!statements->empty()) {
        if (!m_target)
            record_step(false, "no target connection");
        else
            run_statements(*statements, m_plan.go_on);
    }
    finish_run();
}

/// Whether a statement cannot run inside a transaction block on this
/// server: new enum labels before PostgreSQL 12 (they only add, so running
/// them first and alone is safe).
static bool outside_transaction(std::string_view statement, std::uint32_t major) {
    return major < 12 && statement.starts_with("ALTER TYPE ") &&
           statement.find(" ADD VALUE ") != std::string_view::npos;
}

bool Synchronizer::abandon(const std::string& message) {
    (void)m_target->rollback();
    record_step(false, message);
    return false;
}

bool Synchronizer::run_one(std::string_view statement, bool go_on) {
    const auto run = [&](std::string_view sql) { return m_target->execute_no_query(sql); };
    if (go_on)
        (void)run(fmt::format("SAVEPOINT {}", k_savepoint));
    auto done = run(statement);
    if (done) {
        if (go_on)
            (void)run(fmt::format("RELEASE SAVEPOINT {}", k_savepoint));
        record_step(true, {});
        return true;
    }
    if (!go_on || Core::Interruption::requested())
        return abandon(done.error().message);
    record_step(false, done.error().message);
    (void)run(fmt::format("ROLLBACK TO SAVEPOINT {}", k_savepoint));
    return true;
}

bool Synchronizer::run_batch(const std::vector<std::string_view>& batch, bool go_on) {
    if (batch.size() > 1 && !Core::Interruption::requested()) {
        // Each statement ends on a line of its own, so a closing comment
        // cannot hide the semicolon after it.
        std::string text = fmt::format("SAVEPOINT {};\n", k_batch_savepoint);
        for (const std::string_view statement : batch)
            text.append(statement).append("\n;\n");
        text += fmt::format("RELEASE SAVEPOINT {}", k_batch_savepoint);
        auto done = m_target->execute_no_query(text);
        if (done) {
            record_steps(batch.size(), 0, {});
            return true;
        }
        if (Core::Interruption::requested())
            return abandon(done.error().message);
        if (auto undone = m_target->execute_no_query(
                fmt::format("ROLLBACK TO SAVEPOINT {0}; RELEASE SAVEPOINT {0}", k_batch_savepoint));
            !undone)
            return abandon(undone.error().message);
    }
    // One by one: each failure counted and reported as the statement's own.
    for (const std::string_view statement : batch)
        if (!run_one(statement, go_on))
            return false;
    return true;
}

bool Synchronizer::run_statements(const std::vector<std::string>& statements, bool go_on) {
    const auto run = [&](std::string_view sql) { return m_target->execute_no_query(sql); };
    const std::uint32_t major = m_target->get_major_version();
    const std::size_t opening = std::min(m_opening, statements.size());
    for (std::size_t i = opening; i < statements.size(); ++i) {
        const std::string_view statement = Helpers::StringHelper::blanks_trimmed(statements[i]);
        if (!outside_transaction(statement, major))
            continue;
        auto done = run(statement);
        record_step(done.has_value(), done ? std::string() : done.error().message);
        if (!done && !go_on)
            return false;
    }
    if (auto begun = m_target->transaction(); !begun) {
        record_step(false, begun.error().message);
        return false;
    }
    for (std::size_t i = 0; i < opening; ++i)
        if (auto set = run(statements[i]); !set)
            return abandon(set.error().message);
    std::vector<std::string_view> batch;
    std::size_t batch_bytes = 0;
    for (std::size_t i = opening; i < statements.size(); ++i) {
        const std::string_view statement = Helpers::StringHelper::blanks_trimmed(statements[i]);
        if (statement.empty() || outside_transaction(statement, major))
            continue;
        batch.push_back(statement);
        batch_bytes += statement.size();
        if (batch.size() < k_batch_statements && batch_bytes < k_batch_bytes)
            continue;
        if (!run_batch(batch, go_on))
            return false;
        batch.clear();
        batch_bytes = 0;
    }
    if (!batch.empty() && !run_batch(batch, go_on))
        return false;
    // An interruption that came after the last statement still undoes them all.
    if (Core::Interruption::requested())
        return abandon("interrupted: rolled back");
    if (auto committed = m_target->commit(); !committed) {
        record_step(false, committed.error().message);
        return false;
    }
    return true;
}

} // namespace Dizezida::Dovodarud::Transform
