// Imports file rows into a table by the row import rule, fast and exactly.
//
// The whole import is one transaction. Rows to insert go to the server in
// batches (COPY when the table takes it the way an INSERT would: a plain
// table without rules, triggers or row security; else one text of INSERT
// statements); updates and deletes go in batches of statements; merges row
// by row. Each batch stands inside a savepoint: when it fails, it is rolled
// back and its rows are run again one by one, each inside its own
// savepoint, so the rows counted and the errors reported are exactly those
// of running the rule row by row. With continue-on-error off the first
// failing row rolls the whole import back and ends it with that row's error;
// with it on, failing rows are reported and skipped and the rest is
// committed. Destroyed before `finish`, an import rolls back.
//
// One thread at a time; the connection is used by nobody else meanwhile.
#pragma once

#include "Supports/Data/Extractors/BaseExtractor.hpp"

#include <functional>
#include <memory>

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

/// A failed row: its number (as the importer counts rows) and the error.
using RowErrorHandler = std::function<void(std::uint64_t number, const Core::Error& error)>;

struct ImportCounts {
    std::uint64_t imported = 0; ///< rows whose statements succeeded
    std::uint64_t failed = 0;   ///< rows reported to the error handler
};

class RowImport {
public:
    /// `rules` gives the options ("ACTION", "continue-on-error") and the
    /// row preparation; it must outlive the import.
    RowImport(const BaseExtractor& rules, Contracts::Database::IConnection& connection,
              const MetaModel::MetaTable& table, RowErrorHandler on_error);
    ~RowImport();
    RowImport(const RowImport&) = delete;
    RowImport& operator=(const RowImport&) = delete;

    /// Checks the options against the table and opens the transaction.
    [[nodiscard]] Core::Result<void> begin();
    /// One file row (its texts are moved out); `number` names it in errors. With `empty_is_null` every
    /// empty or blank field is NULL, else only missing values are. An error
    /// ends the import (continue-on-error off, or the connection failed).
    [[nodiscard]] Core::Result<void> add(std::uint64_t number, TextList source_columns,
                                         FieldSpan fields, bool empty_is_null = false);
    /// Runs what is left and commits.
    [[nodiscard]] Core::Result<ImportCounts> finish();

    const ImportCounts& counts() const { return m_counts; }

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    ImportCounts m_counts;
};


} // namespace Dizezida::Dovodarud::Supports::Data::Extractors
