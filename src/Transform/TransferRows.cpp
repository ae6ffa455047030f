// Copying the rows: one snapshot of the source for every table, COPY
// streams in pages of BATCH rows, a failing page replayed row by row.
#include "Transform/Transfer.hpp"

#include "Supports/Database/SqlText.hpp"
#include "Transform/CopyStream.hpp"
#include "Transform/DataComparison.hpp"
#include "Transform/ForeignKeyOrder.hpp"
#include "Transform/TransferLog.hpp"
#include "provider/Contracts/IProvider.hpp"

#include "core/Interruption.hpp"

#include <fmt/format.h>

#include <map>
#include <numeric>
#include <set>

namespace Dizezida::Dovodarud::Transform {

using Supports::Database::sql_literal;
using Supports::Database::sql_name;
using Supports::Database::sql_qualified;

namespace {

std::string quoted_list(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : ", ") + sql_name(name);
    return list;
}

/// Whether an error is about the rows written (bad data, a broken
/// constraint), so that writing them one by one finds the bad ones; any
/// other error (a missing table, a lost connection) fails the table whole.
bool row_error(const Core::Error& error) {
    const std::string_view state_class = std::string_view(error.sqlstate).substr(0, 2);
    return state_class == "22" || state_class == "23";
}

/// A page goes out at BATCH rows or at this size, whichever comes first.
constexpr std::size_t k_page_bytes = std::size_t{32} << 20;

/// A row as the failure message shows it, cut when long.
std::string shortened(const std::string& row) {
    constexpr std::size_t k_shown = 300;
    return row.size() <= k_shown ? row : row.substr(0, k_shown) + "...";
}

} // namespace

Core::Result<void> Transfer::order_copies() {
    const auto tables = table_results();
    m_copy_order.resize(tables.size());
    std::iota(m_copy_order.begin(), m_copy_order.end(), std::size_t{0});
    m_deferred = false;
    m_ordered = false;
    std::map<TableName, std::vector<std::size_t>> existing;
    std::set<std::string> schemas;
    for (std::size_t i = 0; i < tables.size(); ++i)
        if (tables[i].existing && tables[i].message.empty()) {
            existing[{tables[i].target_schema, tables[i].copy_table}].push_back(i);
            schemas.insert(tables[i].target_schema);
        }
    if (existing.empty())
        return {};
    auto may = may_set_replication_role(*m_target);
    if (!may)
        return Core::fail(std::move(may).error());
    if (*may)
        return {}; // copy_rows turns the keys off
    auto keys = read_foreign_keys(*m_target, {schemas.begin(), schemas.end()});
    if (!keys)
        return Core::fail(std::move(keys).error());
    // A page's rows are checked at its end, so a key of a table to itself
    // only fails rows that refer to a later page; a deferrable one is
    // deferred with the cycles, any other is left as it is.
    std::erase_if(*keys, [](const ForeignKeyLink& key) {
        return key.child == key.parent && !key.deferrable;
    });
    std::vector<TableName> names;
    for (const auto& [name, positions] : existing)
        names.push_back(name);
    const auto groups = order_by_foreign_keys(names, *keys, KeyOrder::parents_first);
    auto setting = cycle_setting(*m_target, groups, "nothing was copied");
    if (!setting)
        return Core::fail(std::move(setting).error());
    m_deferred = setting->way == CycleSetting::Way::deferred;
    m_ordered = true;
    // The tables that existed take the places they had among the others, parents first.
    std::vector<std::size_t> places, ordered;
    for (const auto& [name, positions] : existing)
        places.insert(places.end(), positions.begin(), positions.end());
    std::sort(places.begin(), places.end());
    for (const TableGroup& group : groups)
        for (const TableName& name : group.tables)
            ordered.insert(ordered.end(), existing[name].begin(), existing[name].end());
    for (std::size_t i = 0; i < places.size(); ++i)
        m_copy_order[places[i]] = ordered[i];
    if (m_deferred)
        TRANSFER_LOG(
            "Rows go in one transaction: the keys of the tables that existed form a cycle");
    return {};
}

Core::Result<void> Transfer::prepare_sessions(const CopySessions& sessions) {
    for (auto* connection : {sessions.source.get(), sessions.target.get()})
        DIZEZIDA_TRY(set_exact_texts(*connection));
    // Money prints by the source's locale; the target reads it the same way.
    if (auto money = sessions.source->execute_as_scalar("SHOW lc_monetary", 0); money && *money)
        (void)sessions.target->execute_no_query(
            "SELECT pg_catalog.set_config('lc_monetary', " + sql_literal((*money)->to_string()) +
                ", false)",
            0);
    // Triggers and keys of tables that existed stay quiet while their rows
    // go in, where the role may do so (new tables get theirs afterwards).
    if (auto quiet = sessions.target->execute_no_query("SET session_replication_role = replica", 0);
        !quiet)
        TRANSFER_LOG("Triggers stay on: %s", quiet.error().message.c_str());
    // Pages commit without waiting for their flush; one flushed commit at
    // the end makes every page durable before the job says it is done.
    (void)sessions.target->execute_no_query("SET synchronous_commit = off", 0);
    return {};
}

bool Transfer::copy_rows(bool go_on) {
    TRANSFER_LOG("Call transfer_user_data...");
    if (auto prepared = prepare_sessions({m_source, m_target}); !prepared) {
        record_step(false, "transfer data......" + prepared.error().message);
        return false;
    }
    choose_formats();
    plan_parts(job_limit());
    auto begun = m_source->execute_no_query(
        "BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY", 0);
    if (!begun) {
        record_step(false, "transfer data......" + begun.error().message);
        return false;
    }
    if (m_deferred) {
        // One transaction for every row, the keys checked at its commit.
        auto deferred = m_target->execute_no_query("BEGIN", 0);
        if (deferred)
            deferred = m_target->execute_no_query("SET CONSTRAINTS ALL DEFERRED", 0);
        if (!deferred) {
            (void)m_target->execute_no_query("ROLLBACK", 0);
            (void)m_source->execute_no_query("COMMIT", 0);
            record_step(false, "transfer data......" + deferred.error().message);
            return false;
        }
    }
    bool going = empty_existing_tables(go_on) && copy_tables(go_on);
    (void)m_source->execute_no_query("COMMIT", 0);
    if (m_deferred)
        going = end_deferred_copy(going);
    (void)m_target->execute_no_query("SET session_replication_role = DEFAULT", 0);
    if (!Core::Interruption::requested() && !flush_target()) {
        record_step(false, "transfer data......the target did not confirm its writes");
        going = false;
    }
    TRANSFER_LOG("Call transfer_user_data...[done]");
    return going;
}

bool Transfer::end_deferred_copy(bool going) {
    std::string lost = "interrupted: rolled back";
    if (Core::Interruption::requested()) {
        (void)m_target->execute_no_query("ROLLBACK", 0);
    } else {
        auto committed = m_target->execute_no_query("COMMIT", 0);
        if (committed)
            return going;
        lost = "rolled back at the commit: " + committed.error().message;
        record_step(false, "transfer data......" + committed.error().message);
    }
    // The transaction held every table's rows.
    std::lock_guard lock(m_lock);
    for (auto& table : m_tables) {
        table.copied = 0;
        table.done = false;
        if (table.message.empty())
            table.message = lost;
    }
    return false;
}

bool Transfer::flush_target() {
    // A transaction with an id commits with a flush of the log up to it,
    // and so of every page before it.
    bool flushed = m_target->execute_no_query("SET synchronous_commit = on", 0) &&
                   m_target->execute_no_query("BEGIN", 0) &&
                   m_target->execute_no_query("SELECT pg_catalog.txid_current()", 0);
    flushed = m_target->execute_no_query(flushed ? "COMMIT" : "ROLLBACK", 0) && flushed;
    return flushed;
}

bool Transfer::empty_existing_tables(bool go_on) {
    std::string names;
    for (const auto& table : table_results())
        if (table.existing && table.message.empty())
            names += (names.empty() ? "" : ", ") + sql_qualified(table.target_schema, table.copy_table);
    if (names.empty())
        return true;
    // One statement, so keys between the tables do not stop it.
    const std::string statement = "TRUNCATE TABLE " + names;
    auto done = m_target->execute_no_query(statement, 0);
    if (done) {
        TRANSFER_LOG("truncate table: %s......[done]", names.c_str());
        return true;
    }
    std::lock_guard lock(m_lock);
    for (auto& table : m_tables)
        if (table.existing && table.message.empty())
            table.message = "truncate table......" + done.error().message;
    record_step(false, "truncate table......" + done.error().message + "\n" + statement);
    // A deferred copy's transaction is lost with the failure.
    return go_on && !m_deferred;
}

std::string Transfer::table_label(const TransferTable& table) const {
    return fmt::format("{}.{}.{}", m_plan.source_database, table.source_schema, table.source_table);
}

bool Transfer::fail_table_rows(std::size_t index, const std::string& why) {
    std::string name;
    {
        std::lock_guard lock(m_lock);
        m_tables[index].message = why;
        name = table_label(m_tables[index]);
    }
    record_step(false, "transfer table data " + name + "......\n" + why);
    TRANSFER_LOG("Transfer table: %s......[failed]", name.c_str());
    return false;
}

bool Transfer::check_no_rows(std::size_t index, const std::string& select,
                             Contracts::Database::IConnection& source) {
    const TransferTable table = [&] {
        std::lock_guard lock(m_lock);
        return m_tables[index];
    }();
    for (const std::string& condition : table.conditions) {
        auto rows = source.execute_as_scalar(
            "SELECT count(*) FROM (" + (condition.empty() ? select : select + " WHERE " + condition) +
                ") t",
            0);
        if (!rows)
            return fail_table_rows(index, rows.error().message);
        if (*rows && (*rows)->to_string() != "0")
            return fail_table_rows(index, "the table has rows but no column that can be copied");
    }
    return true;
}

bool Transfer::copy_table(const CopyItem& item, bool go_on, const CopySessions& sessions) {
    const bool copied = copy_part(item, go_on, sessions);
    finish_part(item.table);
    return copied;
}

void Transfer::finish_part(std::size_t index) {
    std::lock_guard lock(m_lock);
    TransferTable& result = m_tables[index];
    if (++m_parts_done[index] < result.parts)
        return;
    if (result.message.empty() && result.failed != 0)
        result.message = fmt::format("{} of {} rows failed", result.failed, result.failed + result.copied);
    result.done = result.message.empty();
    TRANSFER_LOG("Transfer table: %s......[%s]", table_label(result).c_str(),
                 result.done ? "done" : "failed");
}

std::string Transfer::copy_out_sql(const TransferTable& table, const CopyItem& item,
                                   const std::string& condition, const std::string& format) const {
    const std::string name = sql_qualified(table.source_schema, table.source_table);
    const std::string columns = quoted_list(table.source_columns);
    if (table.parts > 1) {
        // Each part its range of blocks; the last one to the end, however
        // far the table has grown.
        const auto tid = [&](std::size_t part) {
            return sql_literal(fmt::format("({},0)", part * table.part_blocks)) + "::pg_catalog.tid";
        };
        std::string range = item.part == 0 ? "" : "ctid >= " + tid(item.part);
        if (item.part + 1 < table.parts)
            range += (range.empty() ? "" : " AND ") + ("ctid < " + tid(item.part + 1));
        return fmt::format("COPY (SELECT {} FROM ONLY {} WHERE {}) TO STDOUT{}", columns, name,
                           range, format);
    }
    if (table.plain && condition.empty())
        return fmt::format("COPY {} ({}) TO STDOUT{}", name, columns, format);
    return fmt::format("COPY (SELECT {} FROM ONLY {}{}) TO STDOUT{}", columns, name,
                       condition.empty() ? "" : " WHERE " + condition, format);
}

bool Transfer::copy_part(const CopyItem& item, bool go_on, const CopySessions& sessions) {
    const std::size_t index = item.table;
    const TransferTable table = [&] {
        std::lock_guard lock(m_lock);
        return m_tables[index];
    }();
    TRANSFER_LOG("Transfer table: %s (part %zu of %zu)", table_label(table).c_str(), item.part + 1,
                 table.parts);
    if (!table.message.empty())
        return fail_table_rows(index, table.message);
    if (table.source_columns.empty())
        return check_no_rows(index,
                             fmt::format("SELECT FROM ONLY {}",
                                         sql_qualified(table.source_schema, table.source_table)),
                             *sessions.source);
    const std::string format = table.binary ? " (FORMAT binary)" : "";
    const std::string copy_in = fmt::format("COPY {} ({}) FROM STDIN{}",
                                            sql_qualified(table.target_schema, table.copy_table),
                                            quoted_list(table.copy_columns), format);
    CopyPage page(table.binary ? CopyFormat::binary : CopyFormat::text);
    bool clean = true; // no row failed
    for (const std::string& condition : table.conditions) {
        const std::string copy_out = copy_out_sql(table, item, condition, format);
        TRANSFER_LOG("Handle recordset: %s", copy_out.c_str());
        CopyStream stream(*sessions.source, copy_out);
        std::string broken;
        // Writes the page; whether to read on.
        const auto flush = [&] {
            const Page outcome = write_page(index, *sessions.target, copy_in, page, go_on, broken);
            page.clear();
            clean = clean && outcome == Page::written;
            return outcome == Page::written || (outcome == Page::rows_failed && go_on);
        };
        bool going = true;
        while (going) {
            const auto row = table.binary ? stream.next_tuple() : stream.next_line();
            if (!row)
                break;
            page.add(*row);
            if (page.rows() == table.batch || page.size() >= k_page_bytes)
                going = flush();
        }
        if (going && page.rows() != 0)
            going = flush();
        if (auto read = stream.finish(); !read && going)
            return fail_table_rows(index, read.error().message);
        if (!broken.empty())
            return fail_table_rows(index, broken);
        if (!going)
            break;
    }
    return clean;
}

Transfer::Page Transfer::write_page(std::size_t index, Contracts::Database::IConnection& target,
                                    const std::string& copy_in, CopyPage& page, bool go_on,
                                    std::string& broken) {
    const std::size_t rows = page.rows();
    const auto run = [&](std::string_view sql) { return target.execute_no_query(sql, 0); };
    // In a deferred copy's one transaction, a savepoint stands for the
    // transaction a page has otherwise.
    if (m_deferred)
        (void)run("SAVEPOINT dizezida_page");
    auto written = target.get_provider()->copy_in(copy_in, page.data());
    if (written) {
        if (m_deferred)
            (void)run("RELEASE SAVEPOINT dizezida_page");
        {
            std::lock_guard lock(m_lock);
            m_tables[index].copied += rows;
        }
        record_steps(rows, 0, {});
        return Page::written;
    }
    if (!row_error(written.error())) {
        if (m_deferred) {
            (void)run("ROLLBACK TO SAVEPOINT dizezida_page");
            (void)run("RELEASE SAVEPOINT dizezida_page");
        }
        // An interrupted page was not rejected: its rows are only not copied.
        if (!Core::Interruption::requested()) {
            std::lock_guard lock(m_lock);
            m_tables[index].failed += rows;
        }
        record_steps(0, Core::Interruption::requested() ? 0 : rows, {});
        broken = written.error().message;
        return Page::broken;
    }
    return write_rows(index, target, copy_in, page, go_on, broken);
}

Transfer::Page Transfer::write_rows(std::size_t index, Contracts::Database::IConnection& target,
                                    const std::string& copy_in, const CopyPage& page, bool go_on,
                                    std::string& broken) {
    const auto run = [&](std::string_view sql) { return target.execute_no_query(sql, 0); };
    const auto undo_page = [&] {
        if (!m_deferred)
            return (void)run("ROLLBACK");
        (void)run("ROLLBACK TO SAVEPOINT dizezida_page");
        (void)run("RELEASE SAVEPOINT dizezida_page");
    };
    // Again row by row, so that exactly the rows the target rejects fail.
    const std::string name = [&] {
        std::lock_guard lock(m_lock);
        return sql_qualified(m_tables[index].target_schema, m_tables[index].target_table);
    }();
    if (auto begun = run(m_deferred ? "ROLLBACK TO SAVEPOINT dizezida_page" : "BEGIN"); !begun) {
        record_steps(0, page.rows(), {});
        broken = begun.error().message;
        return Page::broken;
    }
    auto provider = target.get_provider();
    std::uint64_t good = 0, bad = 0;
    for (std::size_t row = 0; row < page.rows(); ++row) {
        (void)run("SAVEPOINT dizezida_row");
        auto written = provider->copy_in(copy_in, page.row_data(row));
        if (written) {
            (void)run("RELEASE SAVEPOINT dizezida_row");
            ++good;
            continue;
        }
        (void)run("ROLLBACK TO SAVEPOINT dizezida_row");
        ++bad;
        record_steps(0, 1, fmt::format("transfer data {}......{}\n{}", name, written.error().message,
                                       shortened(page.row_text(row))));
        if (!go_on) {
            undo_page();
            std::lock_guard lock(m_lock);
            m_tables[index].failed += bad;
            return Page::rows_failed;
        }
    }
    auto committed = run(m_deferred ? "RELEASE SAVEPOINT dizezida_page" : "COMMIT");
    std::lock_guard lock(m_lock);
    if (!committed) {
        m_tables[index].failed += good + bad;
        record_steps(0, good, {});
        broken = committed.error().message;
        return Page::broken;
    }
    m_tables[index].copied += good;
    m_tables[index].failed += bad;
    record_steps(good, 0, {});
    return bad == 0 ? Page::written : Page::rows_failed;
}

} // namespace Dizezida::Dovodarud::Transform
