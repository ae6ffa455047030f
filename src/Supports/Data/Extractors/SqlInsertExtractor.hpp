// A result as INSERT statements, one line per row:
//   INSERT INTO "s"."t"("id","name") VALUES(1, 'O''Neil');
// The table is the option "TABLENAME" (required); names are in double
// quotes, or in backquotes when "QUOTE_NAMES" is "backquote".
#pragma once

#include "Supports/Data/Extractors/BaseExtractor.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

class SqlInsertExtractor : public BaseExtractor {
    DIZEZIDA_OBJECT(SqlInsertExtractor)
public:
    SqlInsertExtractor() : BaseExtractor("sql") {}

    [[nodiscard]] Core::Result<std::uint64_t>
    export_to_text(const TableModel& model, std::string& buffer,
                   const RowProgressCallback& progress) override;
    [[nodiscard]] Core::Result<std::string> begin_rows(const TableModel& model) override;
    void append_row(const TableModel& model, std::size_t index, std::uint64_t number,
                    std::string& out) override;

private:
    std::string m_head; ///< the statement up to its values
    std::string m_scratch;
};

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors
