// What the data-dictionary documents share: labels and templates through the
// "dizezida" text domain, the texts of a column row, the numbered index of
// tables and views, and the anchor ids that link the index to the sections.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::MetaModel {
class MetaColumn;
class MetaDatabase;
} // namespace Dizezida::Dovodarud::MetaModel

namespace Dizezida::Dovodarud::Supports::Data::Documents {

/// A label in the "dizezida" text domain (the English text when no
/// catalogue is installed).
const char* translated(const char* text);

/// Appends `format` with each "%s" replaced by the next of `values`, which
/// the caller has escaped; any other "%" stands as it is.
void append_format(std::string& out, std::string_view format,
                   std::initializer_list<std::string_view> values);

/// append_format over the translation of `format`; a translation with
/// another number of "%s" than the original is ignored, so a broken
/// catalogue cannot drop or shift a value.
void append_translated(std::string& out, const char* format,
                       std::initializer_list<std::string_view> values);

/// The id of an object's section: schema and name percent-encoded (every
/// byte but ASCII letters, digits, "-", "_" and "~"), joined by ".". Distinct
/// objects get distinct ids, and an id needs no escaping in an attribute, a
/// URL fragment or a Markdown link.
std::string anchor_id(std::string_view schema, std::string_view name);

/// The nine texts of a column row, unescaped: No, Name, Type, Length,
/// Scale, Null, Primary key, Default, Description.
using ColumnCells = std::array<std::string, 9>;
ColumnCells column_cells(const MetaModel::MetaColumn& column);

/// An entry of the index: numbered from 1 over the whole document, each
/// schema's tables before its views.
struct IndexEntry {
    std::uint64_t number = 0;
    std::string schema;
    std::string name;
    const char* kind = ""; ///< the translated "Data table" or "Data view"
    std::string comment;
};

std::vector<IndexEntry> index_entries(const MetaModel::MetaDatabase& database);

} // namespace Dizezida::Dovodarud::Supports::Data::Documents
