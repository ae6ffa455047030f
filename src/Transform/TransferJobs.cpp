// How the rows travel: which tables go in COPY's binary format, and how
// many jobs copy the tables at once, each on its own pair of sessions in the
// source's one snapshot.
#include "Transform/Transfer.hpp"

#include "Contracts/Database/IExplorable.hpp"
#include "Supports/Database/SqlText.hpp"
#include "Transform/TransferLog.hpp"

#include "core/Interruption.hpp"

#include <algorithm>
#include <atomic>
#include <map>
#include <set>
#include <thread>

namespace Dizezida::Dovodarud::Transform {

namespace {

/// The fewest blocks (of 8 kB by default: 16 MB) a part of a table read by several jobs holds.
constexpr std::uint64_t k_part_blocks = 2048;

using WireTypes = std::map<std::string, Contracts::Database::ColumnWireType, std::less<>>;

/// A relation's column types by column name; none when they cannot be read.
std::optional<WireTypes> wire_types(Contracts::Database::IConnection& connection,
                                    const std::string& schema, const std::string& relation) {
    auto columns = connection.explorer()->column_wire_types(schema, relation);
    if (!columns)
        return std::nullopt;
    WireTypes types;
    for (auto& column : *columns)
        types.emplace(column.name, std::move(column));
    return types;
}

/// Whether `name`'s type in `types` may go in binary, as `oid`.
bool binary_type(const WireTypes& types, const std::string& name, std::uint32_t& oid) {
    const auto found = types.find(name);
    if (found == types.end() || !found->second.binary_safe())
        return false;
    oid = found->second.type_oid;
    return true;
}

/// The ordinary tables of the schemas, by schema and name.
std::set<std::pair<std::string, std::string>>
ordinary_tables(Contracts::Database::IConnection& connection, const std::vector<std::string>& schemas) {
    std::set<std::pair<std::string, std::string>> tables;
    if (auto relations = connection.explorer()->relations(schemas))
        for (const auto& relation : *relations)
            if (relation.kind == 'r')
                tables.emplace(relation.schema, relation.name);
    return tables;
}

} // namespace

void Transfer::choose_formats() {
    const bool same_major = m_source->get_major_version() == m_target->get_major_version();
    const std::vector<TransferTable> tables = table_results();
    std::set<std::string> schemas;
    for (const TransferTable& table : tables)
        schemas.insert(table.source_schema);
    const auto ordinary = ordinary_tables(*m_source, {schemas.begin(), schemas.end()});
    for (std::size_t position = 0; position < tables.size(); ++position) {
        const TransferTable& table = tables[position];
        // Built-in oids are only the same within a major version.
        const bool binary = m_plan.binary && same_major && table.message.empty() &&
                            !table.source_columns.empty() && binary_columns(table);
        std::lock_guard lock(m_lock);
        m_tables[position].binary = binary;
        m_tables[position].plain = ordinary.contains({table.source_schema, table.source_table});
    }
}

bool Transfer::binary_columns(const TransferTable& table) {
    const auto source = wire_types(*m_source, table.source_schema, table.source_table);
    const auto target = wire_types(*m_target, table.target_schema, table.copy_table);
    if (!source || !target || table.source_columns.size() != table.copy_columns.size())
        return false;
    for (std::size_t i = 0; i < table.source_columns.size(); ++i) {
        std::uint32_t read = 0, written = 0;
        if (!binary_type(*source, table.source_columns[i], read) ||
            !binary_type(*target, table.copy_columns[i], written) || read != written)
            return false;
    }
    return true;
}

std::size_t Transfer::job_limit() const {
    // Deferred keys hold every row in one transaction; a parents-first
    // order needs each table done before the next.
    if (!m_open_session || m_deferred || m_ordered)
        return 1;
    return m_plan.jobs == 0 ? TransferPlan::k_default_jobs : m_plan.jobs;
}

void Transfer::plan_parts(std::size_t jobs) {
    // Ranges of blocks are read by a range scan of tuple ids from 14 on;
    // before, each part would read the whole table.
    constexpr std::uint32_t k_tid_ranges = 14;
    if (jobs < 2 || m_source->get_major_version() < k_tid_ranges)
        return;
    const std::vector<TransferTable> tables = table_results();
    for (std::size_t position = 0; position < tables.size(); ++position) {
        const TransferTable& table = tables[position];
        if (!table.plain || table.conditions != std::vector<std::string>{""} ||
            table.source_columns.empty())
            continue;
        auto blocks = m_source->explorer()->table_blocks(table.source_schema, table.source_table);
        const std::uint64_t parts = blocks ? std::min<std::uint64_t>(jobs, *blocks / k_part_blocks) : 0;
        if (parts < 2)
            continue;
        std::lock_guard lock(m_lock);
        m_tables[position].parts = parts;
        m_tables[position].part_blocks = (*blocks + parts - 1) / parts;
    }
}

bool Transfer::copy_tables(bool go_on) {
    std::vector<CopyItem> items;
    {
        std::lock_guard lock(m_lock);
        m_parts_done.assign(m_tables.size(), 0);
        for (const std::size_t table : m_copy_order)
            for (std::size_t part = 0; part < m_tables[table].parts; ++part)
                items.push_back({table, part});
    }
    const std::size_t count = std::max<std::size_t>(1, std::min(job_limit(), items.size()));
    std::vector<CopySessions> jobs{{m_source, m_target}};
    if (count > 1) {
        auto more = open_jobs(count - 1);
        jobs.insert(jobs.end(), more.begin(), more.end());
    }
    TRANSFER_LOG("Rows copied by %zu jobs", jobs.size());
    std::atomic<std::size_t> next{0};
    std::atomic<bool> going{true};
    const auto work = [&](const CopySessions& sessions) {
        for (std::size_t i = next++; going && i < items.size(); i = next++)
            if (!(copy_table(items[i], go_on, sessions) || go_on) || Core::Interruption::requested())
                going = false;
    };
    std::vector<std::thread> threads;
    for (std::size_t job = 1; job < jobs.size(); ++job)
        threads.emplace_back(work, jobs[job]);
    work(jobs.front());
    for (auto& thread : threads)
        thread.join();
    close_jobs({jobs.begin() + 1, jobs.end()});
    return going;
}

std::vector<Transfer::CopySessions> Transfer::open_jobs(std::size_t count) {
    std::vector<CopySessions> jobs;
    auto snapshot = m_source->execute_as_scalar("SELECT pg_export_snapshot()", 0);
    if (!snapshot || !*snapshot) {
        TRANSFER_LOG("One job: the snapshot cannot be shared: %s",
                     snapshot ? "no snapshot" : snapshot.error().message.c_str());
        return jobs;
    }
    const std::string set_snapshot =
        "SET TRANSACTION SNAPSHOT " + Supports::Database::sql_literal((*snapshot)->to_string());
    while (jobs.size() < count) {
        auto sessions = open_job(set_snapshot);
        if (!sessions) {
            TRANSFER_LOG("No further job: %s", sessions.error().message.c_str());
            break;
        }
        jobs.push_back(std::move(*sessions));
    }
    return jobs;
}

Core::Result<Transfer::CopySessions> Transfer::open_job(const std::string& set_snapshot) {
    CopySessions sessions;
    auto source = m_open_session(m_source);
    if (!source)
        return Core::fail(std::move(source).error());
    sessions.source = *source;
    auto target = m_open_session(m_target);
    Core::Result<void> ready = target ? Core::Result<void>() : Core::fail(target.error());
    if (ready) {
        sessions.target = *target;
        auto begun = sessions.source->execute_no_query(
            "BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY", 0);
        if (begun)
            begun = sessions.source->execute_no_query(set_snapshot, 0);
        ready = begun ? prepare_sessions(sessions) : Core::fail(begun.error());
    }
    if (!ready) {
        close_jobs({sessions});
        return Core::fail(std::move(ready).error());
    }
    return sessions;
}

void Transfer::close_jobs(const std::vector<CopySessions>& jobs) {
    for (const auto& sessions : jobs) {
        if (sessions.source) {
            (void)sessions.source->execute_no_query("COMMIT", 0);
            sessions.source->close();
        }
        if (sessions.target)
            sessions.target->close();
    }
}

} // namespace Dizezida::Dovodarud::Transform
