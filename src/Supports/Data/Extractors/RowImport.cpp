#include "Supports/Data/Extractors/RowImport.hpp"

#include "Contracts/Database/IConnection.hpp"
#include "Contracts/Database/IStatement.hpp"
#include "Foundation/LoggingService.hpp"
#include "Model/MetaTable.hpp"
#include "Supports/Database/SqlText.hpp"

#include "provider/Contracts/IProvider.hpp"
#include "provider/Contracts/ValueObject.hpp"

#include <fmt/format.h>

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

using Supports::Database::sql_literal;
using Supports::Database::sql_qualified;

namespace {

constexpr std::size_t k_copy_rows = 5000;
constexpr std::size_t k_copy_bytes = std::size_t{4} << 20;
constexpr std::size_t k_statement_rows = 500;
constexpr std::size_t k_statement_bytes = std::size_t{1} << 20;

enum class Action { Insert, Update, Merge, Delete };

Action action_named(std::string_view name) {
    if (name == "update")
        return Action::Update;
    if (name == "merge")
        return Action::Merge;
    if (name == "delete")
        return Action::Delete;
    return Action::Insert; // append and replace; check_import refused anything else
}

} // namespace

void append_copy_text(std::string& out, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char escaped = 0;
        switch (text[i]) {
        case '\\': escaped = '\\'; break;
        case '\t': escaped = 't'; break;
        case '\n': escaped = 'n'; break;
        case '\r': escaped = 'r'; break;
        default: continue;
        }
        out.append(text.substr(start, i - start));
        out += '\\';
        out += escaped;
        start = i + 1;
    }
    out.append(text.substr(start));
}

struct RowImport::Impl {
    enum class Batch { None, Copy, Statements };
    struct PendingRow {
        std::uint64_t number;
        PreparedRow prepared;
    };

    const BaseExtractor& rules;
    Contracts::Database::IConnection& connection;
    const MetaModel::MetaTable& table;
    RowErrorHandler on_error;
    ImportCounts& counts;

    Action action = Action::Insert;
    bool continue_on_error = true;
    bool copy_allowed = false;
    bool open = false; ///< the transaction is open
    std::string quoted_table;

    Batch batch = Batch::None;
    std::vector<PendingRow> pending;
    std::vector<std::string> copy_names; ///< the columns of the copy batch
    std::string text;                    ///< COPY data or statements of the batch

    Impl(const BaseExtractor& rules_, Contracts::Database::IConnection& connection_,
         const MetaModel::MetaTable& table_, RowErrorHandler on_error_, ImportCounts& counts_)
        : rules(rules_), connection(connection_), table(table_), on_error(std::move(on_error_)),
          counts(counts_) {}

    Core::Result<std::int64_t> execute(const std::string& sql) {
        return connection.execute_no_query(sql);
    }

    void rollback() {
        if (!open)
            return;
        open = false;
        (void)execute("ROLLBACK");
    }

    /// Ends the import with an error, rolled back.
    Core::Error fatal(Core::Error error) {
        rollback();
        return error;
    }

    /// A table COPY fills as INSERT statements would: a plain or partitioned
    /// table without rules, row security or triggers of its own.
    bool table_takes_copy() {
        auto answer = connection.execute_as_scalar(
            "SELECT c.relkind IN ('r', 'p') AND NOT c.relhasrules AND NOT c.relrowsecurity"
            " AND NOT EXISTS (SELECT 1 FROM pg_catalog.pg_trigger t"
            " WHERE t.tgrelid = c.oid AND NOT t.tgisinternal)"
            " FROM pg_catalog.pg_class c WHERE c.oid = " + sql_literal(quoted_table) +
            "::regclass");
        return answer && *answer && (*answer)->to_string() == "t";
    }

    std::string statement_for(const PreparedRow& row, Action kind) const {
        auto dialect = connection.statement();
        switch (kind) {
        case Action::Update:
            return dialect->build_sql_update(table.get_schema(), table.get_name(), row.names,
                                             row.texts, row.keys, row.key_texts);
        case Action::Delete:
            return dialect->build_sql_delete(table.get_schema(), table.get_name(), row.keys,
                                             row.key_texts);
        default:
            return dialect->build_sql_insert(table.get_schema(), table.get_name(), row.names,
                                             row.texts);
        }
    }

    /// Counts a failed row and reports it; an error when the import must end.
    Core::Result<void> row_failed(std::uint64_t number, const Core::Error& error) {
        ++counts.failed;
        Foundation::LoggingService::error(nullptr, "create row failed:%llu -> %s",
                                          static_cast<unsigned long long>(number),
                                          error.message.c_str());
        if (on_error)
            on_error(number, error);
        if (!continue_on_error)
            return Core::fail(fatal(error));
        return {};
    }

    /// One row by the rule, inside its own savepoint.
    Core::Result<void> run_row(const PendingRow& row) {
        const auto statements = [&]() -> Core::Result<std::int64_t> {
            if (action != Action::Merge)
                return execute("SAVEPOINT dizezida_row; " + statement_for(row.prepared, action) +
                               " RELEASE SAVEPOINT dizezida_row");
            auto updated =
                execute("SAVEPOINT dizezida_row; " + statement_for(row.prepared, Action::Update));
            if (updated && *updated == 0)
                updated = execute(statement_for(row.prepared, Action::Insert));
            if (updated)
                DIZEZIDA_TRY(execute("RELEASE SAVEPOINT dizezida_row"));
            return updated;
        };
        if (auto done = statements(); done) {
            ++counts.imported;
            return {};
        } else if (auto undone = execute(
                       "ROLLBACK TO SAVEPOINT dizezida_row; RELEASE SAVEPOINT dizezida_row");
                   !undone) {
            return Core::fail(fatal(undone.error()));
        } else {
            return row_failed(row.number, done.error());
        }
    }

    /// Runs the rows of a failed batch one by one; whether all succeeded.
    Core::Result<bool> replay() {
        const std::uint64_t failed_before = counts.failed;
        for (const PendingRow& row : pending)
            DIZEZIDA_TRY(run_row(row));
        return counts.failed == failed_before;
    }

    Core::Result<void> flush() {
        if (batch == Batch::None || pending.empty()) {
            batch = Batch::None;
            return {};
        }
        const Batch kind = std::exchange(batch, Batch::None);
        DIZEZIDA_TRY(execute("SAVEPOINT dizezida_batch"));
        Core::Result<std::int64_t> done;
        if (kind == Batch::Copy) {
            std::string columns;
            for (const std::string& name : copy_names)
                columns += (columns.empty() ? "" : ", ") + name;
            done = connection.get_provider()->copy_in(
                "COPY " + quoted_table + " (" + columns + ") FROM STDIN", text);
        } else {
            done = execute(text);
        }
        if (done) {
            if (auto released = execute("RELEASE SAVEPOINT dizezida_batch"); !released)
                return Core::fail(fatal(released.error()));
            counts.imported += pending.size();
        } else {
            if (auto undone = execute(
                    "ROLLBACK TO SAVEPOINT dizezida_batch; RELEASE SAVEPOINT dizezida_batch");
                !undone)
                return Core::fail(fatal(undone.error()));
            auto clean = replay();
            if (!clean)
                return Core::fail(std::move(clean).error());
            // Every row went in alone: COPY itself is what this table refuses.
            if (kind == Batch::Copy && *clean)
                copy_allowed = false;
        }
        pending.clear();
        text.clear();
        return {};
    }

    Core::Result<void> add(std::uint64_t number, PreparedRow prepared) {
        if (action == Action::Merge) {
            DIZEZIDA_TRY(flush());
            return run_row({number, std::move(prepared)});
        }
        const bool by_copy = action == Action::Insert && copy_allowed && prepared.copy_safe;
        const Batch kind = by_copy ? Batch::Copy : Batch::Statements;
        if (batch != kind || (by_copy && prepared.names != copy_names))
            DIZEZIDA_TRY(flush());
        batch = kind;
        if (by_copy) {
            if (pending.empty())
                copy_names = prepared.names;
            for (std::size_t i = 0; i < prepared.copy_values.size(); ++i) {
                if (i > 0)
                    text += '\t';
                if (prepared.copy_values[i])
                    append_copy_text(text, *prepared.copy_values[i]);
                else
                    text += "\\N";
            }
            text += '\n';
        } else {
            text += statement_for(prepared, action);
            text += '\n';
        }
        pending.push_back({number, std::move(prepared)});
        const bool full = by_copy ? pending.size() >= k_copy_rows || text.size() >= k_copy_bytes
                                  : pending.size() >= k_statement_rows ||
                                        text.size() >= k_statement_bytes;
        return full ? flush() : Core::Result<void>();
    }
};

RowImport::RowImport(const BaseExtractor& rules, Contracts::Database::IConnection& connection,
                     const MetaModel::MetaTable& table, RowErrorHandler on_error)
    : m_impl(std::make_unique<Impl>(rules, connection, table, std::move(on_error), m_counts)) {}

RowImport::~RowImport() {
    m_impl->rollback();
}

Core::Result<void> RowImport::begin() {
    DIZEZIDA_TRY(m_impl->rules.check_import(m_impl->table));
    m_impl->action = action_named(m_impl->rules.option("ACTION"));
    m_impl->continue_on_error = m_impl->rules.get_continue_on_error();
    m_impl->quoted_table = sql_qualified(m_impl->table.get_schema(), m_impl->table.get_name());
    m_impl->copy_allowed = m_impl->action == Action::Insert && m_impl->table_takes_copy();
    DIZEZIDA_TRY(m_impl->execute("BEGIN"));
    m_impl->open = true;
    return {};
}

Core::Result<void> RowImport::add(std::uint64_t number, TextList source_columns, FieldList fields,
                                  bool empty_is_null) {
    if (!m_impl->open)
        return Core::fail(extractor_error(ExtractorError::Options, "the import is not running"));
    auto prepared = m_impl->rules.prepare_row(m_impl->table, source_columns, fields,
                                              m_impl->action != Action::Insert, empty_is_null);
    if (!prepared)
        return m_impl->row_failed(number, prepared.error());
    return m_impl->add(number, std::move(*prepared));
}

Core::Result<ImportCounts> RowImport::finish() {
    if (!m_impl->open)
        return Core::fail(extractor_error(ExtractorError::Options, "the import is not running"));
    DIZEZIDA_TRY(m_impl->flush());
    if (auto committed = m_impl->execute("COMMIT"); !committed) {
        m_impl->open = false;
        return Core::fail(committed.error());
    }
    m_impl->open = false;
    return m_counts;
}

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors
