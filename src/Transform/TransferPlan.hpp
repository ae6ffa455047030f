// What a transfer copies, typed: the schemas and tables that take part,
// each table's target name, columns, row conditions and page size, and the
// job-wide flags. The front end builds it directly; an option map
// (JobOptions.hpp) converts to it and back here, and nowhere else.
//
// Option keys of a transfer:
//   OPTION|SOURCE|DATABASE      the source database's name
//   OPTION|RESULT|DROP_OBJECT   "true": drop the target schemas first (CASCADE)
//   OPTION|RESULT|CONTINUE      "true": go on after failed statements and rows
//   OPTION|RESULT|BINARY        "false": rows always go as COPY text
//   OPTION|RESULT|JOBS          tables copied at once, each on its own pair of
//                               sessions (not a number or below 1: the default)
//   schema|<schema>|MODE        the schema takes part; with "true" its NAME applies
//   schema|<schema>|NAME        its name on the target
//   table|<schema.table>|MODE   the table or view takes part ("table|<table>|..."
//                               for that name in any schema); with "true" the
//                               fields below apply
//   table|<...>|NAME            its name on the target
//   table|<...>|BATCH           rows per page (not a number or below 1: the default)
//   table|<...>|FIELDS          "ALL", or a JSON array of the columns copied, in
//                               order: ["id", ["name", "title"]] copies id as it
//                               is and name as title ("view|<...>|FIELDS" for a
//                               view when the table key is absent)
//   table|<...>|RECORDS         a JSON array of row conditions, copied one after another
//   table|<...>|VIEW2TABLE      "true": a view becomes a table of its columns
#pragma once

#include "Transform/JobOptions.hpp"
#include "core/Error.hpp"

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Dizezida::Dovodarud::Transform {

/// A column copied: its name on the source and on the target.
struct ColumnPair {
    std::string source, target;
    bool operator==(const ColumnPair&) const = default;
};

/// How one table or view is copied.
struct TransferObjectPlan {
    /// Rows per page when the plan gives none.
    static constexpr std::size_t k_default_batch = 1000;

    std::string target_name;         ///< its name on the target; "" keeps the source's
    std::vector<ColumnPair> columns; ///< copied, in order; none: every column
    /// Row conditions (SQL), copied one after another; none: every row.
    std::vector<std::string> conditions;
    std::size_t batch = 0;      ///< rows per page; 0: k_default_batch
    bool view_to_table = false; ///< a view becomes a table of its columns

    std::size_t page_rows() const { return batch == 0 ? k_default_batch : batch; }
    bool operator==(const TransferObjectPlan&) const = default;
};

/// A table or view by its source schema ("" for that name in every schema) and name.
using ObjectName = std::pair<std::string, std::string>;

struct TransferPlan {
    TransferPlan() = default;

    std::string source_database;
    bool drop = false;  ///< drop the target schemas first (CASCADE)
    bool go_on = false; ///< go on after failed statements and rows
    /// Rows in COPY's binary format where both servers allow it; false: always text.
    bool binary = true;
    /// Tables copied at once; 0: as many as there are tables, at most k_default_jobs.
    std::size_t jobs = 0;
    static constexpr std::size_t k_default_jobs = 4;
    /// The schemas that take part: source name to target name ("" keeps the name).
    std::map<std::string, std::string, std::less<>> schemas;
    /// The tables and views that take part.
    std::map<ObjectName, TransferObjectPlan> objects;

    /// A schema's name on the target.
    std::string target_schema(const std::string& schema) const;
    /// The plan of a table or view: by schema and name, else by its name
    /// alone; nullptr when it takes no part.
    const TransferObjectPlan* object(const std::string& schema, const std::string& name) const;

    bool operator==(const TransferPlan&) const = default;
};

/// The plan an option map describes; an error for a key or value it cannot read.
[[nodiscard]] Core::Result<TransferPlan> transfer_plan(const JobOptions& options);
/// The option map of a plan (`transfer_plan` reads the same plan back).
JobOptions transfer_options(const TransferPlan& plan);

} // namespace Dizezida::Dovodarud::Transform
