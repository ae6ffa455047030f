#include "Supports/Data/Extractors/RowImport.hpp"

#include "core/Interruption.hpp"

#include "Contracts/Database/IConnection.hpp"
#include "Foundation/LoggingService.hpp"
#include "Model/MetaTable.hpp"
#include "Supports/Database/SqlText.hpp"

#include "provider/Contracts/IProvider.hpp"
#include "provider/Contracts/ValueObject.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <future>

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

using Supports::Database::sql_literal;
using Supports::Database::sql_qualified;

namespace {

constexpr std::size_t k_copy_rows = 20000;
// The first COPY batches are small, so the server starts early, and each
// one doubles up to `k_copy_rows`.
constexpr std::size_t k_first_copy_rows = 1000;
constexpr std::size_t k_copy_bytes = std::size_t{8} << 20;
constexpr std::size_t k_statement_rows = 500;
constexpr std::size_t k_statement_bytes = std::size_t{1} << 20;

} // namespace

struct RowImport::Impl {
    enum class Batch { None, Copy, Statements };
    struct PendingRow {
        std::uint64_t number;
        std::shared_ptr<const RowPlan> plan;
        PreparedRow prepared; ///< empty for a row sent as a COPY line
        std::size_t line_begin = 0;
        std::size_t line_end = 0; ///< the COPY line in the batch's data, its LF included
    };
    /// A COPY batch the worker runs while the next one is read.
    struct InFlight {
        std::future<Core::Result<std::int64_t>> done;
        std::vector<PendingRow> rows;
        std::string data;
    };

    const BaseExtractor& rules;
    Contracts::Database::IConnection& connection;
    const MetaModel::MetaTable& table;
    RowErrorHandler on_error;
    ImportCounts& counts;

    ImportAction action = ImportAction::Insert;
    bool continue_on_error = true;
    bool copy_allowed = false;
    bool open = false; ///< the transaction is open
    std::string quoted_table;

    std::vector<std::string> plan_sources; ///< the source columns `plan` was made for
    const std::string* plan_sources_seen = nullptr; ///< where they were last given
    std::shared_ptr<const RowPlan> plan;

    Batch batch = Batch::None;
    std::size_t copy_rows = k_first_copy_rows; ///< rows of the next COPY batch
    std::vector<PendingRow> pending;
    std::string text; ///< COPY data or statements of the batch
    std::optional<InFlight> in_flight;
    // The buffers of the last batch, kept for the next one (no fresh pages).
    std::vector<PendingRow> spare_rows;
    std::string spare_text;

    Impl(const BaseExtractor& rules_, Contracts::Database::IConnection& connection_,
         const MetaModel::MetaTable& table_, RowErrorHandler on_error_, ImportCounts& counts_)
        : rules(rules_), connection(connection_), table(table_), on_error(std::move(on_error_)),
          counts(counts_) {}

    ~Impl() {
        if (in_flight)
            in_flight->done.wait();
    }

    Core::Result<std::int64_t> execute(const std::string& sql) {
        return connection.execute_no_query(sql);
    }

    void rollback() {
        if (in_flight) {
            in_flight->done.wait();
            in_flight.reset();
        }
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

    /// The plan for rows with these source columns (the last one when they repeat).
    Core::Result<std::shared_ptr<const RowPlan>> plan_for(TextList sources) {
        // Readers mostly hand the same list each time: known by its place.
        const bool same = plan && sources.data() == plan_sources_seen &&
                          sources.size() == plan_sources.size();
        if (!same && (!plan || !std::equal(sources.begin(), sources.end(), plan_sources.begin(),
                                           plan_sources.end()))) {
            auto made = rules.plan_row(table, sources);
            if (!made)
                return Core::fail(std::move(made).error());
            plan = std::make_shared<const RowPlan>(std::move(*made));
            plan_sources.assign(sources.begin(), sources.end());
        }
        plan_sources_seen = sources.data();
        return plan;
    }

    std::string statement_for(PendingRow& row, ImportAction kind) const {
        if (row.prepared.names.empty())
            BaseExtractor::add_sql(*row.plan, row.prepared);
        return row_statement(connection, table, row.prepared, kind);
    }

    /// Counts a failed row and reports it; an error when the import must end.
    Core::Result<void> row_failed(std::uint64_t number, const Core::Error& error) {
        ++counts.failed;
        Foundation::LoggingService::error(nullptr, "create row failed:%llu -> %s",
                                          static_cast<unsigned long long>(number),
                                          error.message.c_str());
        // An interrupted import ends at its first failure, whatever the options.
        if (Core::Interruption::requested())
            return Core::fail(fatal(error));
        if (on_error)
            on_error(number, error);
        if (!continue_on_error)
            return Core::fail(fatal(error));
        return {};
    }

    /// One row by the rule, inside its own savepoint.
    Core::Result<void> run_row(PendingRow& row) {
        const auto statements = [&]() -> Core::Result<std::int64_t> {
            if (action != ImportAction::Merge)
                return execute("SAVEPOINT dizezida_row; " + statement_for(row, action) +
                               " RELEASE SAVEPOINT dizezida_row");
            auto updated = execute("SAVEPOINT dizezida_row; " + statement_for(row, ImportAction::Update));
            if (updated && *updated == 0)
                updated = execute(statement_for(row, ImportAction::Insert));
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
    /// Rows sent as COPY lines are read back from the batch's `data`.
    Core::Result<bool> replay(std::vector<PendingRow>& rows, std::string_view data) {
        const std::uint64_t failed_before = counts.failed;
        for (PendingRow& row : rows) {
            if (row.line_end > row.line_begin)
                row.prepared.values = read_copy_line(
                    data.substr(row.line_begin, row.line_end - row.line_begin - 1));
            DIZEZIDA_TRY(run_row(row));
        }
        return counts.failed == failed_before;
    }

    /// A batch inside its savepoint: released when it went through, rolled
    /// back (and its error given) when it did not.
    Core::Result<std::int64_t> run_batch(const std::function<Core::Result<std::int64_t>()>& work) {
        DIZEZIDA_TRY(execute("SAVEPOINT dizezida_batch"));
        auto done = work();
        const std::string end = done ? "RELEASE SAVEPOINT dizezida_batch"
                                     : "ROLLBACK TO SAVEPOINT dizezida_batch;"
                                       " RELEASE SAVEPOINT dizezida_batch";
        if (auto ended = execute(end); !ended) {
            Core::Error error = ended.error();
            error.domain = "dizezida-import-connection";
            return Core::fail(std::move(error));
        }
        return done;
    }

    /// Settles a batch: counted when it went through, else run again row by row.
    Core::Result<void> settle(Core::Result<std::int64_t> done, std::vector<PendingRow>& rows,
                              std::string_view data, bool by_copy) {
        if (done) {
            counts.imported += rows.size();
            return {};
        }
        if (done.error().domain == "dizezida-import-connection")
            return Core::fail(fatal(done.error()));
        auto clean = replay(rows, data);
        if (!clean)
            return Core::fail(std::move(clean).error());
        // Every row went in alone: COPY itself is what this table refuses.
        if (by_copy && *clean)
            copy_allowed = false;
        return {};
    }

    /// Waits for the COPY batch the worker runs and settles it.
    Core::Result<void> wait_in_flight() {
        if (!in_flight)
            return {};
        auto done = in_flight->done.get();
        InFlight job = std::move(*in_flight);
        in_flight.reset();
        auto settled = settle(std::move(done), job.rows, job.data, true);
        spare_rows = std::move(job.rows);
        spare_rows.clear();
        spare_text = std::move(job.data);
        spare_text.clear();
        return settled;
    }

    Core::Result<void> flush() {
        DIZEZIDA_TRY(wait_in_flight());
        const Batch kind = std::exchange(batch, Batch::None);
        if (kind == Batch::None || pending.empty())
            return {};
        if (kind == Batch::Statements) {
            auto done = run_batch([&] { return execute(text); });
            auto settled = settle(std::move(done), pending, text, false);
            pending.clear();
            text.clear();
            return settled;
        }
        std::string columns;
        for (const RowPlan::Column& column : pending.front().plan->columns)
            columns += (columns.empty() ? "" : ", ") + column.name;
        const std::string copy = "COPY " + quoted_table + " (" + columns + ") FROM STDIN";
        InFlight& job = in_flight.emplace();
        job.rows = std::exchange(pending, std::move(spare_rows));
        job.data = std::exchange(text, std::move(spare_text));
        copy_rows = std::min(copy_rows * 2, k_copy_rows);
        pending.reserve(copy_rows);
        job.done = std::async(std::launch::async, [this, copy, data = &job.data] {
            return run_batch([&] { return connection.get_provider()->copy_in(copy, *data); });
        });
        return {};
    }

    /// Makes the batch the kind a row needs, flushing another one. An empty
    /// batch is not flushed: that would wait for the COPY in flight, which
    /// the next rows are meant to be read during.
    Core::Result<void> enter(Batch kind, const std::shared_ptr<const RowPlan>& plan) {
        if (!pending.empty() && (batch != kind || pending.front().plan != plan))
            DIZEZIDA_TRY(flush());
        batch = kind;
        return {};
    }

    Core::Result<void> flush_when_full() {
        const bool full =
            batch == Batch::Copy
                ? pending.size() >= copy_rows || text.size() >= k_copy_bytes
                : pending.size() >= k_statement_rows || text.size() >= k_statement_bytes;
        return full ? flush() : Core::Result<void>();
    }

    /// A row to insert as a COPY line; false when COPY would store another
    /// value than the rule (the row goes by statement then).
    Core::Result<bool> add_line(std::uint64_t number, const std::shared_ptr<const RowPlan>& row_plan,
                                FieldList fields, bool empty_is_null) {
        DIZEZIDA_TRY(enter(Batch::Copy, row_plan));
        const std::size_t begin = text.size();
        auto added = BaseExtractor::append_copy_row(*row_plan, fields, empty_is_null, text);
        if (!added) {
            DIZEZIDA_TRY(row_failed(number, added.error()));
            return true;
        }
        if (!*added)
            return false;
        PendingRow& row = pending.emplace_back();
        row.number = number;
        row.plan = row_plan;
        row.line_begin = begin;
        row.line_end = text.size();
        DIZEZIDA_TRY(flush_when_full());
        return true;
    }

    Core::Result<void> add(PendingRow row) {
        if (action == ImportAction::Merge) {
            DIZEZIDA_TRY(flush());
            DIZEZIDA_TRY(wait_in_flight());
            return run_row(row);
        }
        DIZEZIDA_TRY(enter(Batch::Statements, row.plan));
        text += statement_for(row, action);
        text += '\n';
        pending.push_back(std::move(row));
        return flush_when_full();
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
    m_impl->action = *import_action(m_impl->rules.option("ACTION"));
    m_impl->continue_on_error = m_impl->rules.get_continue_on_error();
    m_impl->quoted_table = sql_qualified(m_impl->table.get_schema(), m_impl->table.get_name());
    m_impl->copy_allowed = m_impl->action == ImportAction::Insert && m_impl->table_takes_copy();
    DIZEZIDA_TRY(m_impl->execute("BEGIN"));
    m_impl->open = true;
    return {};
}

Core::Result<void> RowImport::add(std::uint64_t number, TextList source_columns, FieldSpan fields,
                                  bool empty_is_null) {
    if (!m_impl->open)
        return Core::fail(extractor_error(ExtractorError::Options, "the import is not running"));
    auto plan = m_impl->plan_for(source_columns);
    if (!plan)
        return m_impl->row_failed(number, plan.error());
    if (m_impl->action == ImportAction::Insert && m_impl->copy_allowed) {
        auto added = m_impl->add_line(number, *plan, fields, empty_is_null);
        if (!added)
            return Core::fail(std::move(added).error());
        if (*added)
            return {};
    }
    auto prepared = m_impl->rules.prepare_row(**plan, fields, m_impl->action != ImportAction::Insert,
                                              empty_is_null, true);
    if (!prepared)
        return m_impl->row_failed(number, prepared.error());
    return m_impl->add({number, std::move(*plan), std::move(*prepared)});
}

Core::Result<ImportCounts> RowImport::finish() {
    if (!m_impl->open)
        return Core::fail(extractor_error(ExtractorError::Options, "the import is not running"));
    DIZEZIDA_TRY(m_impl->flush());
    DIZEZIDA_TRY(m_impl->wait_in_flight());
    if (auto committed = m_impl->execute("COMMIT"); !committed) {
        m_impl->open = false;
        return Core::fail(committed.error());
    }
    m_impl->open = false;
    return m_counts;
}

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors
