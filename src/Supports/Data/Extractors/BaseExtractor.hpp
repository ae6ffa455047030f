// The base of every extractor: the options map, the file extension, the
// continue-on-error switch, value formatting for SQL, the statements the
// row import rule runs, and a model's text made in three steps (the text
// before the rows, one row at a time, the text after) so that a result too
// large for memory can stream through the same code in chunks
// (ExportStream) and give the same bytes as the whole model.
//
// An extractor is used by one thread at a time; options are read anew at the
// start of each operation.
#pragma once

#include "Contracts/Data/IExporter.hpp"

#include "core/Object.hpp"
#include "provider/Contracts/DataType.hpp"
#include "provider/Contracts/ValueObject.hpp"

#include <span>
#include <vector>

namespace Dizezida::Dovodarud::Contracts::Database {
class IConnection;
}
namespace Dizezida::Dovodarud::MetaModel {
class MetaColumn;
class MetaTable;
} // namespace Dizezida::Dovodarud::MetaModel

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

using Contracts::Data::Options;
using Contracts::Data::RowProgressCallback;
using Zozuvoru::Contracts::DataType;
using Zozuvoru::Contracts::TableModel;
using TextList = std::span<const std::string>;
/// A file row's fields: a text, or nothing for NULL.
using Field = std::optional<std::string>;
using FieldList = std::span<const Field>;
/// Fields an importer hands over: their texts may be moved out.
using FieldSpan = std::span<Field>;

/// How the fields of file rows with given source columns go to a table:
/// one entry per mapped table column, in table order. Made once for many
/// rows.
struct RowPlan {
    struct Column {
        std::string name;    ///< quoted
        std::size_t field;   ///< the field's position in a row
        DataType type;
        bool key;            ///< a primary-key column
        bool integer;        ///< an integer kind
        bool money;
        bool last_use;       ///< no later column reads the same field
    };
    std::vector<Column> columns;
};

/// One file row made ready for the table: the value of each planned column
/// (blanks dropped where the type ignores them; nothing for NULL), and, on
/// request, the quoted names and SQL literals (and the key columns' among
/// them).
struct PreparedRow {
    std::vector<Field> values;
    std::vector<std::string> names;
    std::vector<std::string> texts;
    std::vector<std::string> keys;
    std::vector<std::string> key_texts;
};

/// What the row import rule does with a row ("ACTION"): "append" and
/// "replace" insert, "merge" updates and inserts when nothing was updated.
enum class ImportAction { Insert, Update, Merge, Delete };

/// The action an "ACTION" text names; nothing for an unknown one.
std::optional<ImportAction> import_action(std::string_view text);

/// The object data key that maps a table column to a column of the imported file.
inline constexpr std::string_view k_source_key = "SOURCE";

/// Error codes of the extractors' domain ("dizezida-extractor-error-quark").
enum class ExtractorError : int { Options = 1, Model = 2, Row = 3 };
Core::Error extractor_error(ExtractorError code, std::string message);

class BaseExtractor : public Core::Object, public Contracts::Data::IExporter {
    DIZEZIDA_OBJECT(BaseExtractor)
public:
    /// An extractor writing files with the extension (no dot).
    explicit BaseExtractor(std::string file_extention);
    ~BaseExtractor() override;

    /// Writes `export_to_text`'s text whole or not at all (also for 0 rows).
    [[nodiscard]] Core::Result<std::uint64_t>
    export_to_file(const TableModel& model, const std::string& filename,
                   const RowProgressCallback& progress) override;
    /// Produces nothing and gives 0; the formats override it.
    [[nodiscard]] Core::Result<std::uint64_t>
    export_to_text(const TableModel& model, std::string& buffer,
                   const RowProgressCallback& progress) override;
    Options& get_options() override { return m_options; }
    const std::string& get_file_extention() const override { return m_file_extention; }
    bool get_continue_on_error() const override { return m_continue_on_error; }
    void set_continue_on_error(bool value) override {
        assign_and_notify(m_continue_on_error, value, "continue-on-error");
    }

    /// The text before the first row; an error when the options or the
    /// model's columns do not allow an export. Reads the options.
    [[nodiscard]] virtual Core::Result<std::string> begin_rows(const TableModel& model);
    /// Appends the text of the model's row `index`, numbered `number` (from
    /// 1 over the whole export), to `out`.
    virtual void append_row(const TableModel& model, std::size_t index, std::uint64_t number,
                            std::string& out);
    /// The text after the last row, `rows` rows in all.
    virtual std::string end_rows(std::uint64_t rows);

    /// A value as an SQL literal: NULL; a strict number or a boolean bare;
    /// anything else quoted with its quotes doubled.
    static std::string format_column_value(DataType data_type,
                                           const Zozuvoru::Contracts::ValuePtr& data_value);
    /// An imported field as an SQL literal: an empty or blank field is NULL,
    /// numbers and booleans lose their surrounding blanks, texts keep them.
    static std::string format_column_text(DataType data_type, std::string_view data_value);
    /// A model cell as `format_column_value` gives it, without a value object.
    static std::string format_cell(const TableModel& model, std::size_t row, std::size_t column);
    /// `format_cell` appended to `out`; `scratch` is working room.
    static void append_cell(std::string& out, const TableModel& model, std::size_t row,
                            std::size_t column, std::string& scratch);

    /// The plan of rows whose fields stand as `source_columns` name them,
    /// through the table columns' "SOURCE" data; an error when no column is
    /// mapped.
    [[nodiscard]] Core::Result<RowPlan> plan_row(const MetaModel::MetaTable& table,
                                                 TextList source_columns) const;
    /**
     * One file row by a plan (the fields' texts are moved out). With
     * `empty_is_null` every empty or blank field is NULL (`format_column_text`),
     * else only missing values are (an empty text of the character kinds
     * stays a text). With `with_sql` the names and literals are made too. An
     * error for a row shorter than a planned field, or (`with_keys`) a NULL
     * key value.
     */
    [[nodiscard]] Core::Result<PreparedRow> prepare_row(const RowPlan& plan, FieldSpan fields,
                                                        bool with_keys, bool empty_is_null,
                                                        bool with_sql) const;
    /// Appends a row (without a key to check) as a line of COPY's text
    /// format; false (nothing appended) when COPY would not store what the
    /// literals store, an error for a row too short. The fields are left as
    /// they are.
    [[nodiscard]] static Core::Result<bool> append_copy_row(const RowPlan& plan, FieldList fields,
                                                            bool empty_is_null, std::string& out);
    /// Makes the names and literals of a row prepared without them.
    static void add_sql(const RowPlan& plan, PreparedRow& row);

    /// The statements of the row import rule for one file row (`values`,
    /// index for index with `source_columns`); an error for a row shorter
    /// than the columns it maps, or a key that is NULL.
    [[nodiscard]] Core::Result<std::string>
    build_insert_data_sql(Contracts::Database::IConnection& connection,
                          const MetaModel::MetaTable& table, TextList source_columns,
                          TextList values) const;
    [[nodiscard]] Core::Result<std::string>
    build_update_data_sql(Contracts::Database::IConnection& connection,
                          const MetaModel::MetaTable& table, TextList source_columns,
                          TextList values) const;
    [[nodiscard]] Core::Result<std::string>
    build_delete_data_sql(Contracts::Database::IConnection& connection,
                          const MetaModel::MetaTable& table, TextList source_columns,
                          TextList values) const;

    /// Checks the options "ACTION" and "COLUMNS" against the table before
    /// the first row: a known action, a mapped column, and for update,
    /// delete and merge a mapped primary-key column.
    [[nodiscard]] Core::Result<void> check_import(const MetaModel::MetaTable& table) const;
    /// Imports one file row by the option "ACTION" (append and replace
    /// insert, update updates, merge updates and inserts when nothing was
    /// updated, delete deletes); the rows the last statement affected.
    [[nodiscard]] Core::Result<std::int64_t>
    import_row_to_table(Contracts::Database::IConnection& connection,
                        const MetaModel::MetaTable& table, TextList values) const;

    /// The option's value; "" when it is not set.
    std::string option(std::string_view key) const;

protected:
    /// The statement of `kind` (insert, update or delete) for a row of texts;
    /// an error for an update or delete without a mapped key.
    [[nodiscard]] Core::Result<std::string>
    build_data_sql(Contracts::Database::IConnection& connection, const MetaModel::MetaTable& table,
                   TextList source_columns, TextList values, ImportAction kind) const;
    /// A row of texts as the rule's builders take it (empty or blank is NULL).
    [[nodiscard]] Core::Result<PreparedRow> prepare_text_row(const MetaModel::MetaTable& table,
                                                             TextList source_columns,
                                                             TextList values, bool with_keys) const;
    /// The table the SQL exports write to and how they quote names.
    struct SqlTarget {
        char quote;        ///< '"', or '`' when "QUOTE_NAMES" is "backquote"
        std::string table; ///< "TABLENAME", quoted (and qualified when it is)
    };
    /// The SQL exports' target for a model; an error for a model without
    /// columns, a missing or unreadable "TABLENAME", or an unknown "QUOTE_NAMES".
    [[nodiscard]] Core::Result<SqlTarget> sql_target(const TableModel& model) const;
    /// A model with columns; an error naming the format for one without.
    [[nodiscard]] static Core::Result<void> require_columns(const TableModel& model);

    /// `export_to_text` by the three steps, calling `progress` after each row.
    [[nodiscard]] Core::Result<std::uint64_t> export_rows(const TableModel& model,
                                                          std::string& buffer,
                                                          const RowProgressCallback& progress);

private:

    std::string m_file_extention;
    Options m_options;
    bool m_continue_on_error = true;
};

/// The source columns of an import: the option "COLUMNS" split at ",".
std::vector<std::string> split_columns(std::string_view columns);
/**
 * Names written as SQL writes them, separated by `separator`: a part in
 * double quotes is taken as it stands between them ("" for a quote mark);
 * a bare part is taken as written, blanks around it dropped (no case
 * folding). `"a.b".c` split at '.' gives a.b and c. An error for an empty
 * part or an unterminated quote.
 */
[[nodiscard]] Core::Result<std::vector<std::string>> parse_names(std::string_view text,
                                                                 char separator);
/// The statement that inserts, updates (also for a merge) or deletes a
/// prepared row whose names and literals are made.
std::string row_statement(Contracts::Database::IConnection& connection,
                          const MetaModel::MetaTable& table, const PreparedRow& row,
                          ImportAction kind);
/// Appends `text` to `out` as a field of COPY's text format (\ tab LF CR escaped).
void append_copy_text(std::string& out, std::string_view text);
/// The fields of a line of COPY's text format ("\N" is NULL), unescaped.
std::vector<Field> read_copy_line(std::string_view line);
/// Maps a table column to a column of the imported file (object data "SOURCE").
void set_source(MetaModel::MetaColumn& column, std::string file_column);

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors
