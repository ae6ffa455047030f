#include "Transform/Transfer.hpp"

#include "Contracts/Database/IAdaptable.hpp"
#include "Contracts/Database/IBuildable.hpp"
#include "Contracts/Database/IExplorable.hpp"
#include "Foundation/LoggingService.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/SqlStatements.hpp"
#include "Supports/Database/SqlText.hpp"
#include "Transform/TransferLog.hpp"

#include "core/Interruption.hpp"

#include <fmt/format.h>

#include <optional>
#include <utility>

namespace Dizezida::Dovodarud::Transform {

using namespace MetaModel;
using Supports::Database::sql_literal;
using Supports::Database::sql_name;
using Supports::Database::sql_qualified;

Transfer::Transfer(Options options) {
    auto plan = transfer_plan(options);
    if (plan)
        m_plan = std::move(*plan);
    else
        m_plan_error = plan.error().message;
}

Transfer::Transfer(TransferPlan plan) : m_plan(std::move(plan)) {}

void Transfer::set_plan(TransferPlan plan) {
    m_plan = std::move(plan);
    m_plan_error.clear();
}

std::vector<TransferTable> Transfer::table_results() const {
    std::lock_guard lock(m_lock);
    return m_tables;
}

std::uint64_t Transfer::rows_copied() const {
    std::lock_guard lock(m_lock);
    std::uint64_t rows = 0;
    for (const auto& table : m_tables)
        rows += table.copied;
    return rows;
}

TransferPhase Transfer::phase() const {
    std::lock_guard lock(m_lock);
    return m_phase;
}

void Transfer::set_phase(TransferPhase phase) {
    std::lock_guard lock(m_lock);
    m_phase = phase;
}

bool Transfer::enter(TransferPhase phase) {
    if (Core::Interruption::requested())
        return false;
    set_phase(phase);
    return true;
}

Core::Result<std::shared_ptr<MetaDatabase>> Transfer::load_meta_data() {
    auto database = std::make_shared<MetaDatabase>();
    database->set_name(m_plan.source_database);
    auto adapter = m_source->adapter();
    DIZEZIDA_TRY(adapter->fill_meta_database(database, 0));
    // Only the schemas taking part are read in full.
    auto& schemas = database->get_schemas();
    std::erase_if(
        schemas, [&](const auto& schema) { return m_plan.schemas.count(schema->get_name()) == 0; });
    DIZEZIDA_TRY(adapter->fill_meta_schemas(schemas, 1));
    return database;
}

bool Transfer::run_script(const std::string& script, std::string_view what, bool go_on) {
    for (const auto& statement : Supports::Database::split_statements(script)) {
        if (Core::Interruption::requested())
            return false;
        TRANSFER_LOG("transfer_structure: %s", statement.text.c_str());
        auto done = m_target->execute_no_query(statement.text);
        if (done) {
            record_step(true, {});
            continue;
        }
        record_step(false, fmt::format("{}......{}\n{}", what, done.error().message, statement.text));
        if (!go_on)
            return false;
    }
    return true;
}

void Transfer::handle() {
    start_run();
    {
        std::lock_guard lock(m_lock);
        m_tables.clear();
    }
    m_view_renames.clear();
    m_schema_names.clear();
    set_phase(TransferPhase::reading);
    const bool go_on = m_plan.go_on;
    TRANSFER_LOG("Process continue: %s", go_on ? "true" : "false");
    const auto broken = [this](const std::string& why) {
        TRANSFER_LOG("Process is broken: %s", why.c_str());
        finish_run();
    };
    if (!m_plan_error.empty()) {
        record_step(false, m_plan_error);
        return broken(m_plan_error);
    }
    if (!m_source || !m_target) {
        record_step(false, "connection != NULL");
        return broken("connection != NULL");
    }

    auto loaded = load_meta_data();
    if (!loaded) {
        record_step(false, "Load meta data......\n" + loaded.error().message);
        return broken(loaded.error().message);
    }
    record_step(true, {});
    MetaDatabase& database = **loaded;
    trim(database);
    if (auto kept = keep_existing(database); !kept) {
        record_step(false, kept.error().message);
        return broken(kept.error().message);
    }
    if (auto ordered = order_copies(); !ordered) {
        record_step(false, ordered.error().message);
        return broken(ordered.error().message);
    }

    auto builder = m_target->builder();
    if (!builder) {
        record_step(false, "the target has no script builder");
        return broken("no builder");
    }
    if (!enter(TransferPhase::structure))
        return broken("interrupted");
    if (m_plan.drop)
        for (const auto& schema : database.get_schemas())
            if (!run_script("DROP SCHEMA IF EXISTS " + sql_name(schema->get_name()) + " CASCADE;",
                            "drop object", go_on))
                return broken("a drop failed");
    // One script for every schema, so objects that use another schema's
    // objects come after them.
    for (const auto& schema : database.get_schemas())
        TRANSFER_LOG("Transfer schema: %s.%s......", database.get_name().c_str(),
                     schema->get_name().c_str());
    const auto [before_rows, after_rows] = builder->schemas_around_rows(database.get_schemas(), true);
    if (!run_script(before_rows, "create table", go_on))
        return broken("a create statement failed");
    TRANSFER_LOG("Call transfer_structure...[done]");

    if (!enter(TransferPhase::rows) || !copy_rows(go_on))
        return broken("a table failed");

    if (!enter(TransferPhase::after_rows))
        return broken("interrupted");
    if (!run_script(after_rows, "create index and key", go_on))
        return broken("a statement after the rows failed");
    if (!enter(TransferPhase::sequences) || !set_sequences(database, go_on) ||
        !enter(TransferPhase::renames) || !rename_objects(go_on))
        return broken("a statement after the rows failed");
    set_phase(TransferPhase::finished);
    TRANSFER_LOG("Handle finished.");
    finish_run();
}

namespace {

/// The text of a one-value query ("" for NULL).
Core::Result<std::string> scalar_text(Contracts::Database::IConnection& connection,
                                      const std::string& sql) {
    auto value = connection.execute_as_scalar(sql, 0);
    if (!value)
        return Core::fail(std::move(value).error());
    return *value ? (*value)->to_string() : std::string();
}

/// A column that owns a sequence: schema, table and column.
struct SequenceOwner {
    std::string schema, table, column;
};

/// The sequence a column owns on a connection ("" for none).
Core::Result<std::string> owned_sequence(Contracts::Database::IConnection& connection,
                                         const SequenceOwner& owner) {
    const auto explorer = connection.explorer();
    if (!explorer)
        return Core::fail(Core::Error{"Transform", 0, "the connection has no explorer"});
    return explorer->owned_sequence(owner.schema, owner.table, owner.column);
}

} // namespace

/// A sequence on both sides: by name, or by the columns that own them.
struct Transfer::SequencePair {
    std::string source, target;
    std::optional<std::pair<SequenceOwner, SequenceOwner>> owners;
};

Core::Result<std::string> Transfer::copy_sequence(const SequencePair& sequence) {
    std::string source_name = sequence.source, target_name = sequence.target;
    if (sequence.owners) {
        auto found_source = owned_sequence(*m_source, sequence.owners->first);
        if (!found_source)
            return Core::fail(std::move(found_source).error());
        auto found_target = owned_sequence(*m_target, sequence.owners->second);
        if (!found_target)
            return Core::fail(std::move(found_target).error());
        if (found_source->empty() || found_target->empty())
            return std::string();
        source_name = *found_source;
        target_name = *found_target;
    }
    auto read = scalar_text(*m_source, "SELECT last_value::text || ' ' || is_called::text FROM " +
                                           source_name);
    if (!read)
        return Core::fail(std::move(read).error());
    const std::string& state = *read;
    const std::size_t space = state.find(' ');
    const std::string statement = fmt::format(
        "SELECT pg_catalog.setval({}, {}, {})", sql_literal(target_name), state.substr(0, space),
        space != std::string::npos && state.substr(space + 1) == "true" ? "true" : "false");
    DIZEZIDA_TRY(m_target->execute_no_query(statement, 0));
    return statement;
}

bool Transfer::set_sequences(const MetaDatabase& database, bool go_on) {
    std::vector<SequencePair> sequences;
    for (const auto& schema : database.get_schemas())
        for (const auto& sequence : schema->get_sequences())
            sequences.push_back(
                {sql_qualified(source_schema_of(schema->get_name()), sequence->get_name()),
                 sql_qualified(schema->get_name(), sequence->get_name()), std::nullopt});
    for (const auto& table : table_results())
        for (const auto& [source_column, copy_column] : table.identity_columns) {
            SequenceOwner source{table.source_schema, table.source_table, source_column};
            SequenceOwner target{table.target_schema, table.copy_table, copy_column};
            sequences.push_back({sql_qualified(source.schema, source.table) + "." + source.column,
                                 sql_qualified(target.schema, target.table) + "." + target.column,
                                 std::pair{std::move(source), std::move(target)}});
        }
    for (const auto& sequence : sequences) {
        if (Core::Interruption::requested())
            return false;
        auto done = copy_sequence(sequence);
        if (done) {
            TRANSFER_LOG("Sequence: %s", done->c_str());
            record_step(true, {});
            continue;
        }
        record_step(false, "set sequence......" + done.error().message + "\n" + sequence.target);
        if (!go_on)
            return false;
    }
    return true;
}

std::string Transfer::source_schema_of(const std::string& target_schema) const {
    for (const auto& [source, target] : m_schema_names)
        if (target == target_schema)
            return source;
    return target_schema;
}

bool Transfer::rename_objects(bool go_on) {
    std::string script;
    for (const auto& table : table_results()) {
        if (table.existing)
            continue;
        const std::string name = sql_qualified(table.target_schema, table.copy_table);
        for (const auto& [from, to] : table.column_renames)
            script += fmt::format("ALTER TABLE {} RENAME COLUMN {} TO {};\n", name, sql_name(from),
                                  sql_name(to));
        if (table.copy_table != table.target_table)
            script += fmt::format("ALTER TABLE {} RENAME TO {};\n", name, sql_name(table.target_table));
    }
    for (const auto& view : m_view_renames)
        script += fmt::format("ALTER {}VIEW {} RENAME TO {};\n", view.materialized ? "MATERIALIZED " : "",
                              sql_qualified(view.schema, view.from), sql_name(view.to));
    return run_script(script, "rename", go_on);
}

} // namespace Dizezida::Dovodarud::Transform
