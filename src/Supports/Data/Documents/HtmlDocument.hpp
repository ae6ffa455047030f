// The data dictionary as one HTML page: the title, the database facts, an
// index table linking to each table and view, one section per object with a
// row of nine cells per column, and an optional footer link.
//
// Text and attribute values are escaped (& < > " '), and section ids are
// anchor_id texts, so no name, comment or default value becomes mark-up and
// every index link reaches its section.
#pragma once

#include "Supports/Data/Documents/DictionaryDocument.hpp"

namespace Dizezida::Dovodarud::Supports::Data::Documents {

class HtmlDocument : public DictionaryDocument {
    DIZEZIDA_OBJECT(HtmlDocument)
protected:
    void make_section(std::string& out, const MetaModel::MetaObject& object,
                      const MetaModel::MetaColumnList& columns) override;
    void begin(std::string& out, const MetaModel::MetaDatabase& database,
               const Configuration& cfg, const std::vector<IndexEntry>& entries) override;
    std::string_view separator() const override { return "<br/><br/>"; }
    void end(std::string& out, const Configuration& cfg) override;
};

} // namespace Dizezida::Dovodarud::Supports::Data::Documents
