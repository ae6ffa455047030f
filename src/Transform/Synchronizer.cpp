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

bool Synchronizer::run_statements(const std::vector<std::string>& statements, bool go_on) {
    const auto run = [&](std::string_view sql) { return m_target->execute_no_query(sql); };
    const std::uint32_t major = m_target->get_major_version();
    const std::size_t opening = std::min(m_opening, statements.size());
    for (std::size_t i = opening; i < statements.size(); ++i) {
        const std::string& statement = statements[i];
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
        if (auto set = run(statements[i]); !set) {
            (void)m_target->rollback();
            record_step(false, set.error().message);
            return false;
        }
    for (std::size_t i = opening; i < statements.size(); ++i) {
        const std::string statement = Helpers::StringHelper::trim_blanks(statements[i]);
        if (statement.empty() || outside_transaction(statement, major))
            continue;
        if (go_on)
            (void)run(fmt::format("SAVEPOINT {}", k_savepoint));
        auto done = run(statement);
        if (done) {
            if (go_on)
                (void)run(fmt::format("RELEASE SAVEPOINT {}", k_savepoint));
            record_step(true, {});
            continue;
        }
        record_step(false, done.error().message);
        if (go_on && !Core::Interruption::requested()) {
            (void)run(fmt::format("ROLLBACK TO SAVEPOINT {}", k_savepoint));
            continue;
        }
        (void)m_target->rollback();
        return false;
    }
    // An interruption that came after the last statement still undoes them all.
    if (Core::Interruption::requested()) {
        (void)m_target->rollback();
        record_step(false, "interrupted: rolled back");
        return false;
    }
    if (auto committed = m_target->commit(); !committed) {
        record_step(false, committed.error().message);
        return false;
    }
    return true;
}

} // namespace Dizezida::Dovodarud::Transform
