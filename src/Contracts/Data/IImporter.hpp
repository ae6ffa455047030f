// What an importer offers: a file or text read into a result model, or
// imported row by row into a table through a connection (asynchronously:
// the callback runs on the main loop and `*_finish` gives the number of rows
// imported or the error that stopped the import).
//
// The file is named by the option "FILENAME"; "COLUMNS" and "ACTION" drive
// the row import. One operation at a time per importer.
#pragma once

#include "Contracts/Data/IExporter.hpp"
#include "Contracts/Database/AsyncResult.hpp"

namespace Dizezida::Dovodarud::Contracts::Database {
class IConnection;
}
namespace Dizezida::Dovodarud::MetaModel {
class MetaTable;
}

namespace Dizezida::Dovodarud::Contracts::Data {

class IImporter {
    DIZEZIDA_INTERFACE(IImporter)
public:
    virtual ~IImporter() = default;

    virtual void import_from_file(std::shared_ptr<Database::IConnection> connection,
                                  std::shared_ptr<MetaModel::MetaTable> table,
                                  RowProgressCallback progress, Database::AsyncCallback callback) = 0;
    [[nodiscard]] virtual Core::Result<std::int64_t>
    import_from_file_finish(const Database::AsyncResultPtr& result) = 0;
    virtual void import_from_text(std::string textbuffer,
                                  std::shared_ptr<Database::IConnection> connection,
                                  std::shared_ptr<MetaModel::MetaTable> table,
                                  RowProgressCallback progress, Database::AsyncCallback callback) = 0;
    [[nodiscard]] virtual Core::Result<std::int64_t>
    import_from_text_finish(const Database::AsyncResultPtr& result) = 0;
    /// The file named by "FILENAME" as a model; a limit of 0 or less: every row.
    [[nodiscard]] virtual Core::Result<std::shared_ptr<Zozuvoru::Contracts::TableModel>>
    load_from_file(std::int64_t records_limit) = 0;
    [[nodiscard]] virtual Core::Result<std::shared_ptr<Zozuvoru::Contracts::TableModel>>
    load_from_text(std::string_view textbuffer, std::int64_t records_limit) = 0;
};

} // namespace Dizezida::Dovodarud::Contracts::Data
