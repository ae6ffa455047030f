// A result as UPDATE statements, one line per row:
//   UPDATE "s"."t" SET "id" = 1, "name" = 'x' WHERE "id" = 1;
// The table is the option "TABLENAME" (required). The row is found by the
// columns the option "KEYS" names (comma-separated, SQL-quoted where
// needed; callers set it to the table's primary key), or by the first
// column when "KEYS" is empty. A NULL key is matched with IS NULL.
#pragma once

#include "Supports/Data/Extractors/BaseExtractor.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

class SqlUpdateExtractor : public BaseExtractor {
    DIZEZIDA_OBJECT(SqlUpdateExtractor)
public:
    SqlUpdateExtractor() : BaseExtractor("sql") {}

    [[nodiscard]] Core::Result<std::uint64_t>
    export_to_text(const TableModel& model, std::string& buffer,
                   const RowProgressCallback& progress) override;
    [[nodiscard]] Core::Result<std::string> begin_rows(const TableModel& model) override;
    void append_row(const TableModel& model, std::size_t index, std::uint64_t number,
                    std::string& out) override;

private:
    std::string m_head;                     ///< "UPDATE <table> SET "
    std::vector<std::string> m_names;       ///< quoted column names
    std::vector<std::size_t> m_key_columns; ///< positions of the key columns
    std::string m_scratch;
};

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors
