// The common walk of the data-dictionary documents: the head and the index,
// then a section per table and per view (each schema's tables before its
// views, schemas in model order), then the foot. A format gives the texts.
//
// The file is written whole or not at all (a temporary file renamed over
// the target), so a failure keeps the previous document. Every text taken
// from the model or the configuration is escaped by the format, and a
// missing value is an empty cell.
#pragma once

#include "Contracts/Data/IDocument.hpp"
#include "Supports/Data/Documents/DocumentText.hpp"

#include <functional>

namespace Dizezida::Dovodarud::MetaModel {
class MetaColumn;
class MetaObject;
class MetaTable;
class MetaView;
using MetaColumnList = std::vector<std::shared_ptr<MetaColumn>>;
} // namespace Dizezida::Dovodarud::MetaModel

namespace Dizezida::Dovodarud::Supports::Data::Documents {

using Contracts::Data::Configuration;

class DictionaryDocument : public Core::Object, public Contracts::Data::IDocument {
    DIZEZIDA_OBJECT(DictionaryDocument)
public:
    [[nodiscard]] Core::Result<void>
    produce(const std::shared_ptr<MetaModel::MetaDatabase>& meta_database,
            const std::string& filename, const Configuration& cfg) override;

    /// The document as text (what produce writes).
    std::string produce_text(const MetaModel::MetaDatabase& database, const Configuration& cfg);

    /// Appends the section of a table or a view to `out`.
    void make_table_section(std::string& out, const MetaModel::MetaTable& table);
    void make_view_section(std::string& out, const MetaModel::MetaView& view);

protected:
    /// The section of a table or view: its heading, description and columns.
    virtual void make_section(std::string& out, const MetaModel::MetaObject& object,
                              const MetaModel::MetaColumnList& columns) = 0;
    /// The head of the document and its index.
    virtual void begin(std::string& out, const MetaModel::MetaDatabase& database,
                       const Configuration& cfg, const std::vector<IndexEntry>& entries) = 0;
    /// What stands before each section.
    virtual std::string_view separator() const = 0;
    /// The end of the document.
    virtual void end(std::string& out, const Configuration& cfg) = 0;

private:
    /// Walks the model, handing the text to `flush` in pieces of about 1 MiB.
    [[nodiscard]] Core::Result<void>
    write(const MetaModel::MetaDatabase& database, const Configuration& cfg,
          const std::function<Core::Result<void>(std::string&)>& flush);
};

} // namespace Dizezida::Dovodarud::Supports::Data::Documents
