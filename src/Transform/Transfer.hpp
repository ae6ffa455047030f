// Copies schemas, or some of their tables and views, from a source server
// to a target server: reads the source's catalog, trims the model to the
// chosen objects, optionally drops the target schemas (CASCADE), creates
// the structure, copies the rows, then adds what would slow the copy or
// fire on it.
//
// Order, as a restore tool would do it: schemas, types, sequences and
// routines, then the tables without indexes, foreign keys and triggers;
// the rows; then indexes, triggers, foreign keys, rules and views; every
// sequence set to the source's value; last the renames the options ask for
// (tables and columns are created under their source names and renamed on
// the target, so the server carries each new name into the constraints,
// indexes, foreign keys and views that use it). Objects that exist on the
// target already (by their final name) are kept; their rows are emptied
// and copied.
//
// Rows: each table is read by one `COPY (SELECT ...) TO STDOUT` inside one
// REPEATABLE READ transaction on the source (one snapshot for every table),
// and written by `COPY ... FROM STDIN` in pages of BATCH rows, one
// transaction each. Between servers of one major version, a table whose
// columns are all of built-in types with binary send and receive functions
// (the same type on both sides) goes in COPY's binary format; any other
// table, and every table between major versions, goes as text. A page that
// fails is replayed row by row under a savepoint per row, so exactly the bad
// rows fail and are reported.
//
// Several tables are copied at once (the plan's `jobs`), each job on its
// own source session that shares the first one's snapshot (exported and
// set on the others) and its own target session, when a session opener is
// given and the copy order leaves the tables free (no deferred keys, no
// parents-first order). From PostgreSQL 14 on, a big table read whole is cut
// into ranges of blocks that several jobs read at once.
//
// Tables that existed keep their foreign keys while their rows go in. Where
// the role may, the rows are written with session_replication_role =
// replica, so no key fires; otherwise the tables are copied parents first
// (by the target's keys; ForeignKeyOrder.hpp), and when their keys form a
// cycle that is all DEFERRABLE (a table's key to itself included) the whole
// copy is one transaction with the keys deferred to its commit, each page
// under a savepoint. Any other cycle is refused before anything changes.
//
// What to copy: a TransferPlan, given as it is or read from an option map
// (TransferPlan.hpp lists the keys; a map it cannot read fails the run as
// its first step). A table takes its plan by schema and name first, then by
// its bare name. Progress: every structure statement and every row is a
// step; failures queue their messages. The record's `state` ends at
// `JobState::ended` on every path.
//
// Interruption (core/Interruption.hpp): the run stops at the next statement,
// page or table and records no failure for what it did not start; `phase`
// and `table_results` tell what is complete.
//
// Threads: `handle` runs on one worker thread and is the only user of both
// connections (copying rows, it starts a thread per further job, each the
// only user of the sessions it opened); `table_results`, `phase` and the progress record may be read
// from any thread (all under `progress_lock()`).
#pragma once

#include "Transform/CopyPage.hpp"
#include "Transform/Job.hpp"
#include "Transform/TransferPlan.hpp"

#include <functional>
#include <memory>
#include <vector>

namespace Dizezida::Dovodarud::MetaModel {
class MetaDatabase;
class MetaSchema;
class MetaTable;
} // namespace Dizezida::Dovodarud::MetaModel

namespace Dizezida::Dovodarud::Transform {

/// One table's copy: where from, where to, and how it went.
struct TransferTable {
    std::string source_schema, source_table;
    std::string target_schema, target_table; ///< the final names
    /// The table's name on the target while rows are copied (its source
    /// name, or the final one when it existed already).
    std::string copy_table;
    std::vector<std::string> source_columns; ///< read, in order (generated ones left out)
    std::vector<std::string> copy_columns;   ///< written, in the same order
    /// Column renames still to make on the target (source name, final name).
    std::vector<std::pair<std::string, std::string>> column_renames;
    /// Identity columns (their names while copying), whose sequences follow the source's.
    std::vector<std::pair<std::string, std::string>> identity_columns;
    std::vector<std::string> conditions; ///< row filters; one empty for every row
    std::size_t batch = 1000;
    bool existing = false; ///< on the target before the run: emptied, not created
    bool binary = false;   ///< rows go in COPY's binary format
    /// An ordinary table on the source: read by `COPY table TO` (no query
    /// to plan and project) when no condition filters it.
    bool plain = false;
    /// Read in this many ranges of blocks at once, each by its own job (a
    /// big table read whole, with jobs to spare), `part_blocks` blocks each
    /// (the last range open to the table's end).
    std::size_t parts = 1;
    std::uint64_t part_blocks = 0;

    std::uint64_t copied = 0; ///< rows written
    std::uint64_t failed = 0; ///< rows rejected
    bool done = false;        ///< every row copied
    std::string message;      ///< why the table failed, when it did
};

/// Where a run is: each step starts when the one before it ended.
enum class TransferPhase { reading, structure, rows, after_rows, sequences, renames, finished };

class Transfer : public Job<ITransform> {
public:
    explicit Transfer(Options options);
    explicit Transfer(TransferPlan plan);

    /// Opens another session on the server `like` is open on; for the
    /// parallel copy jobs.
    using SessionOpener = std::function<Core::Result<ConnectionPtr>(const ConnectionPtr& like)>;
    /// Without an opener (the default) tables are copied one at a time.
    void set_session_opener(SessionOpener opener) { m_open_session = std::move(opener); }

    /// What the next run copies; not while one runs.
    void set_plan(TransferPlan plan);
    const TransferPlan& plan() const { return m_plan; }

    /// Nothing to prepare: everything happens in `handle`.
    Core::Result<void> initialize() override { return {}; }
    void handle() override;

    /// The tables of the last (or current) run, with their results.
    std::vector<TransferTable> table_results() const;
    /// Rows written so far in the current run.
    std::uint64_t rows_copied() const;
    /// The step the current (or last) run is at, or ended in.
    TransferPhase phase() const;

    /// Rows per page when BATCH is missing, not a number or below 1.
    static constexpr std::size_t k_default_batch = TransferObjectPlan::k_default_batch;

private:
    Core::Result<std::shared_ptr<MetaModel::MetaDatabase>> load_meta_data();
    /// Removes what takes no part, renames schemas, applies column maps
    /// and VIEW2TABLE; fills the table plans.
    void trim(MetaModel::MetaDatabase& database);
    void trim_tables(MetaModel::MetaSchema& schema, const std::string& source_schema);
    /// How a table of the plan is copied; its columns not copied go out of `table`.
    TransferTable table_copy(MetaModel::MetaTable& table, const std::string& source_schema,
                             const TransferObjectPlan& object);
    void trim_views(MetaModel::MetaSchema& schema, const std::string& source_schema);
    /// Leaves out what exists on the target already (by final name).
    Core::Result<void> keep_existing(MetaModel::MetaDatabase& database);
    /// Within one database: refuses tables copied onto themselves, and
    /// dropping a schema that is also a source.
    Core::Result<void> refuse_self_copies(MetaModel::MetaDatabase& database);
    /// Sequences owned by tables taken out of the model are owned by nothing there.
    void release_sequences(MetaModel::MetaDatabase& database);

    /// Runs each statement of `script` whole; false when the run must stop.
    bool run_script(const std::string& script, std::string_view what, bool go_on);
    /// Plans the copy order of the tables that existed, and whether their
    /// keys are deferred; an error for a cycle the run cannot copy.
    Core::Result<void> order_copies();
    bool copy_rows(bool go_on);
    /// Commits (or, when interrupted, rolls back) the transaction of a
    /// deferred copy; false when its rows are lost.
    bool end_deferred_copy(bool going);

    /// The sessions one copy job reads and writes on.
    struct CopySessions {
        ConnectionPtr source, target;
    };
    /// Texts exact on both sessions, money read alike, triggers quiet and
    /// commits unflushed on the target; an error when the texts cannot be
    /// made exact.
    Core::Result<void> prepare_sessions(const CopySessions& sessions);
    /// Which tables go in the binary format and which are read whole
    /// without a query (TransferJobs.cpp).
    void choose_formats();
    bool binary_columns(const TransferTable& table);
    /// How many jobs may copy at once: 1 without a session opener or when
    /// the copy order binds the tables.
    std::size_t job_limit() const;
    /// Cuts big tables read whole into block ranges for `jobs` jobs.
    void plan_parts(std::size_t jobs);
    /// Copies the tables in m_copy_order (each part of each), on up to
    /// `job_limit` jobs; false when the run must stop.
    bool copy_tables(bool go_on);
    /// Opens `count` more session pairs in the source's exported snapshot;
    /// as many as it could.
    std::vector<CopySessions> open_jobs(std::size_t count);
    /// One more session pair, the source's transaction in the snapshot `set_snapshot` sets.
    Core::Result<CopySessions> open_job(const std::string& set_snapshot);
    static void close_jobs(const std::vector<CopySessions>& jobs);

    /// "database.schema.table" of the source, as messages name a table.
    std::string table_label(const TransferTable& table) const;
    /// Records why table `index` failed; false.
    bool fail_table_rows(std::size_t index, const std::string& why);
    /// One part of one table's copy.
    struct CopyItem {
        std::size_t table = 0, part = 0;
    };
    /// Copies the rows of one part of a table; the last part to end tells
    /// how the table went. False when rows failed.
    bool copy_table(const CopyItem& item, bool go_on, const CopySessions& sessions);
    bool copy_part(const CopyItem& item, bool go_on, const CopySessions& sessions);
    /// The COPY TO that reads a part with `condition`.
    std::string copy_out_sql(const TransferTable& table, const CopyItem& item,
                             const std::string& condition, const std::string& format) const;
    void finish_part(std::size_t index);
    /// A table with only generated columns: copied when it has no rows.
    bool check_no_rows(std::size_t index, const std::string& select,
                       Contracts::Database::IConnection& source);
    /// How a page went: written whole, some rows rejected (each counted and
    /// reported), or the table cannot take rows at all.
    enum class Page { written, rows_failed, broken };
    /// Writes one page; for a broken page, `broken` gets why.
    Page write_page(std::size_t index, Contracts::Database::IConnection& target, const std::string& copy_in,
                    CopyPage& page, bool go_on, std::string& broken);
    /// Writes a rejected page again one row at a time.
    Page write_rows(std::size_t index, Contracts::Database::IConnection& target, const std::string& copy_in,
                    const CopyPage& page, bool go_on, std::string& broken);
    bool empty_existing_tables(bool go_on);
    /// Waits until the target has flushed every page written.
    bool flush_target();
    bool set_sequences(const MetaModel::MetaDatabase& database, bool go_on);
    /// A sequence on both sides (Transfer.cpp).
    struct SequencePair;
    /// Sets the target's sequence to the source's state; the setval run
    /// ("" when a column that owns a sequence on one side owns none).
    Core::Result<std::string> copy_sequence(const SequencePair& sequence);
    /// The source name of a (possibly renamed) target schema.
    std::string source_schema_of(const std::string& target_schema) const;
    bool rename_objects(bool go_on);

    /// Enters a step; false when the run was interrupted, and must stop.
    bool enter(TransferPhase phase);
    void set_phase(TransferPhase phase);

    TransferPlan m_plan;
    /// Why the option map given could not be read ("" when it could).
    std::string m_plan_error;
    std::vector<TransferTable> m_tables; ///< guarded by m_lock
    /// The order the tables' rows are copied in (positions in m_tables).
    std::vector<std::size_t> m_copy_order;
    /// The rows go in one transaction with the keys deferred.
    bool m_deferred = false;
    /// The tables that existed go parents first, one after another.
    bool m_ordered = false;
    SessionOpener m_open_session;
    /// Parts of each table copied so far (guarded by m_lock).
    std::vector<std::size_t> m_parts_done;
    TransferPhase m_phase = TransferPhase::reading; ///< guarded by m_lock
    /// Views renamed on the target at the end: (target schema, source name, final name, materialized).
    struct ViewRename {
        std::string schema, from, to;
        bool materialized = false;
    };
    std::vector<ViewRename> m_view_renames;
    /// Schema renames: source name to target name.
    std::map<std::string, std::string, std::less<>> m_schema_names;
};

} // namespace Dizezida::Dovodarud::Transform
