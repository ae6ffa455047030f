#include "Supports/Data/Extractors/BaseExtractor.hpp"

#include "Contracts/Database/IConnection.hpp"
#include "Contracts/Database/IStatement.hpp"
#include "Foundation/LoggingService.hpp"
#include "Helpers/DatabaseHelper.hpp"
#include "Model/MetaColumn.hpp"
#include "Model/MetaTable.hpp"
#include "Supports/Database/SqlText.hpp"
#include "core/AtomicFile.hpp"

#include "core/Properties.hpp"
#include "provider/Contracts/ColumnModel.hpp"
#include "provider/Contracts/TableModel.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>

namespace Dizezida::Dovodarud::Supports::Data::Extractors {

using Helpers::DatabaseHelper;
using Supports::Database::sql_name;

Core::Error extractor_error(ExtractorError code, std::string message) {
    return Core::Error::make("dizezida-extractor-error-quark", static_cast<int>(code),
                             std::move(message));
}

std::vector<std::string> split_columns(std::string_view columns) {
    std::vector<std::string> names;
    if (columns.empty())
        return names;
    for (std::size_t start = 0;;) {
        const std::size_t comma = columns.find(',', start);
        names.emplace_back(columns.substr(start, comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return names;
}

Core::Result<std::vector<std::string>> parse_names(std::string_view text, char separator) {
    std::vector<std::string> names;
    const auto bad = [&](std::string_view why) {
        return Core::fail(extractor_error(ExtractorError::Options,
                                          fmt::format("cannot read the names {}: {}", text, why)));
    };
    std::size_t i = 0;
    for (;;) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        std::string name;
        if (i < text.size() && text[i] == '"') {
            for (++i;; ++i) {
                if (i == text.size())
                    return bad("a quote is not closed");
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        name += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                name += text[i];
            }
            while (i < text.size() && text[i] == ' ')
                ++i;
            if (i < text.size() && text[i] != separator)
                return bad("text follows a quoted name");
        } else {
            const std::size_t end = std::min(text.find(separator, i), text.size());
            name = std::string(text.substr(i, end - i));
            while (!name.empty() && name.back() == ' ')
                name.pop_back();
            i = end;
        }
        if (name.empty())
            return bad("a name is empty");
        names.push_back(std::move(name));
        if (i >= text.size())
            return names;
        ++i; // the separator
    }
}

void append_copy_text(std::string& out, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char escaped = 0;
        switch (text[i]) {
        case '\\': escaped = '\\'; break;
        case '\t': escaped = 't'; break;
        case '\n': escaped = 'n'; break;
        case '\r': escaped = 'r'; break;
        default: continue;
        }
        out.append(text.substr(start, i - start));
        out += '\\';
        out += escaped;
        start = i + 1;
    }
    out.append(text.substr(start));
}

std::vector<Field> read_copy_line(std::string_view line) {
    std::vector<Field> fields;
    for (std::size_t start = 0;;) {
        const std::size_t tab = std::min(line.find('\t', start), line.size());
        const std::string_view text = line.substr(start, tab - start);
        if (text == "\\N") {
            fields.emplace_back();
        } else {
            std::string value;
            for (std::size_t i = 0; i < text.size(); ++i) {
                if (text[i] != '\\' || i + 1 == text.size()) {
                    value += text[i];
                    continue;
                }
                const char escaped = text[++i];
                value += escaped == 't' ? '\t' : escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped;
            }
            fields.emplace_back(std::move(value));
        }
        if (tab >= line.size())
            return fields;
        start = tab + 1;
    }
}

BaseExtractor::BaseExtractor(std::string file_extention)
    : m_file_extention(std::move(file_extention)) {}

BaseExtractor::~BaseExtractor() = default;

std::string BaseExtractor::option(std::string_view key) const {
    const auto found = m_options.find(key);
    return found == m_options.end() ? std::string() : found->second;
}

Core::Result<std::uint64_t> BaseExtractor::export_to_file(const TableModel& model,
                                                          const std::string& filename,
                                                          const RowProgressCallback& progress) {
    Foundation::LoggingService::info(nullptr, "export to file: %s", filename.c_str());
    std::string buffer;
    auto rows = export_to_text(model, buffer, progress);
    if (!rows)
        return rows;
    DIZEZIDA_TRY(Core::write_file_atomically(filename, buffer, Core::AtomicFile::default_mode()));
    return rows;
}

Core::Result<std::uint64_t> BaseExtractor::export_to_text(const TableModel&, std::string&,
                                                          const RowProgressCallback&) {
    return 0;
}

Core::Result<std::string> BaseExtractor::begin_rows(const TableModel&) {
    return std::string();
}

void BaseExtractor::append_row(const TableModel&, std::size_t, std::uint64_t, std::string&) {}

std::string BaseExtractor::end_rows(std::uint64_t) {
    return {};
}

Core::Result<std::uint64_t> BaseExtractor::export_rows(const TableModel& model,
                                                       std::string& buffer,
                                                       const RowProgressCallback& progress) {
    auto head = begin_rows(model);
    if (!head)
        return Core::fail(std::move(head).error());
    std::string out = std::move(*head);
    const std::size_t rows = model.get_row_count();
    for (std::size_t index = 0; index < rows; ++index) {
        const std::size_t start = out.size();
        append_row(model, index, index + 1, out);
        if (progress)
            progress(rows, index + 1, std::string_view(out).substr(start));
    }
    out += end_rows(rows);
    buffer = std::move(out);
    return rows;
}

std::string BaseExtractor::format_column_value(DataType data_type,
                                               const Zozuvoru::Contracts::ValuePtr& data_value) {
    return DatabaseHelper::format_sql_value(static_cast<std::uint32_t>(data_type), data_value);
}

namespace {

/// Types whose imported text loses its surrounding blanks: booleans and numbers.
bool is_plain(DataType type) {
    const int number = static_cast<int>(type);
    return (number >= 2 && number <= 10) || number == 14 || number == 16 || number == 17;
}

/// The character kinds, whose empty text is a value of its own.
bool is_character(DataType type) {
    return type == DataType::CHAR || type == DataType::VARCHAR || type == DataType::STRING ||
           type == DataType::TEXT;
}

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view k_blanks = " \t\n\v\f\r";
    const std::size_t first = text.find_first_not_of(k_blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(k_blanks) - first + 1);
}

} // namespace

std::string BaseExtractor::format_column_text(DataType data_type, std::string_view data_value) {
    const std::string_view core = trimmed(data_value);
    if (core.empty())
        return "NULL";
    return DatabaseHelper::format_sql_text(static_cast<std::uint32_t>(data_type),
                                           is_plain(data_type) ? core : data_value);
}

std::string BaseExtractor::format_cell(const TableModel& model, std::size_t row,
                                       std::size_t column) {
    std::string scratch;
    std::string out;
    append_cell(out, model, row, column, scratch);
    return out;
}

void BaseExtractor::append_cell(std::string& out, const TableModel& model, std::size_t row,
                                std::size_t column, std::string& scratch) {
    if (model.is_null_at(row, column)) {
        out += "NULL";
        return;
    }
    DatabaseHelper::append_sql_text(
        out, static_cast<std::uint32_t>(model.get_columns()[column]->get_data_type()),
        model.get_text_view_at(row, column, scratch));
}

Core::Result<BaseExtractor::SqlTarget> BaseExtractor::sql_target(const TableModel& model) const {
    DIZEZIDA_TRY(require_columns(model));
    SqlTarget target{'"', {}};
    const std::string quote = option("QUOTE_NAMES");
    if (quote == "backquote")
        target.quote = '`';
    else if (!quote.empty() && quote != "double")
        return Core::fail(extractor_error(
            ExtractorError::Options,
            fmt::format("QUOTE_NAMES is \"double\" or \"backquote\", not \"{}\"", quote)));
    const std::string table = option("TABLENAME");
    if (table.empty())
        return Core::fail(extractor_error(ExtractorError::Options,
                                          "the option TABLENAME names no table"));
    auto names = parse_names(table, '.');
    if (!names)
        return Core::fail(std::move(names).error());
    for (const std::string& name : *names) {
        if (!target.table.empty())
            target.table += '.';
        Supports::Database::append_quoted(target.table, name, target.quote);
    }
    return target;
}

Core::Result<void> BaseExtractor::require_columns(const TableModel& model) {
    if (model.get_column_count() == 0)
        return Core::fail(extractor_error(ExtractorError::Model, "the result has no columns"));
    return {};
}

// ---- the row import rule ----------------------------------------------------------------------

namespace {

/// The file column a table column is mapped to ("" when none).
std::string source_of(const MetaModel::MetaColumn& column) {
    const auto data = std::static_pointer_cast<std::string>(column.get_data(k_source_key));
    return data ? *data : std::string();
}

/// Where a table column's file column stands among the source columns.
std::optional<std::size_t> source_index(const MetaModel::MetaColumn& column,
                                        TextList source_columns) {
    const std::string source = source_of(column);
    if (source.empty())
        return std::nullopt;
    const auto found = std::find(source_columns.begin(), source_columns.end(), source);
    if (found == source_columns.end())
        return std::nullopt;
    return static_cast<std::size_t>(found - source_columns.begin());
}

} // namespace

std::optional<ImportAction> import_action(std::string_view text) {
    static constexpr std::array<std::pair<std::string_view, ImportAction>, 5> k_actions{{
        {"append", ImportAction::Insert},
        {"update", ImportAction::Update},
        {"merge", ImportAction::Merge},
        {"delete", ImportAction::Delete},
        {"replace", ImportAction::Insert},
    }};
    for (const auto& [name, action] : k_actions)
        if (name == text)
            return action;
    return std::nullopt;
}

std::string row_statement(Contracts::Database::IConnection& connection,
                          const MetaModel::MetaTable& table, const PreparedRow& row,
                          ImportAction kind) {
    auto dialect = connection.statement();
    switch (kind) {
    case ImportAction::Insert:
        return dialect->build_sql_insert(table.get_schema(), table.get_name(), row.names,
                                         row.texts);
    case ImportAction::Delete:
        return dialect->build_sql_delete(table.get_schema(), table.get_name(), row.keys,
                                         row.key_texts);
    default:
        return dialect->build_sql_update(table.get_schema(), table.get_name(), row.names,
                                         row.texts, row.keys, row.key_texts);
    }
}

void set_source(MetaModel::MetaColumn& column, std::string file_column) {
    column.set_data(k_source_key, std::make_shared<std::string>(std::move(file_column)));
}

Core::Result<RowPlan> BaseExtractor::plan_row(const MetaModel::MetaTable& table,
                                              TextList source_columns) const {
    RowPlan plan;
    for (const auto& column : table.get_columns()) {
        const auto index = source_index(*column, source_columns);
        if (!index)
            continue;
        const DataType type = column->get_data_type();
        const int number = static_cast<int>(type);
        plan.columns.push_back({sql_name(column->get_name()), *index, type,
                                column->get_is_primary_key(), number >= 3 && number <= 10,
                                column->get_raw_type() == "money", true});
    }
    for (std::size_t i = 0; i < plan.columns.size(); ++i)
        for (std::size_t later = i + 1; later < plan.columns.size(); ++later)
            if (plan.columns[later].field == plan.columns[i].field)
                plan.columns[i].last_use = false;
    if (plan.columns.empty())
        return Core::fail(extractor_error(ExtractorError::Options,
                                          "no column of the table is mapped to the file"));
    return plan;
}

namespace {

/// A field's value for a planned column: a view of its text (blanks dropped
/// where the type ignores them), or nothing for NULL. An error for a row
/// too short.
Core::Result<std::optional<std::string_view>> planned_value(const RowPlan::Column& column,
                                                            FieldList fields, bool empty_is_null) {
    if (column.field >= fields.size())
        return Core::fail(extractor_error(
            ExtractorError::Row, fmt::format("the row has {} fields; column {} is mapped to field {}",
                                             fields.size(), column.name, column.field + 1)));
    const Field& field = fields[column.field];
    if (!field)
        return std::nullopt;
    std::string_view value = *field;
    if (empty_is_null || !is_character(column.type)) {
        const std::string_view core = trimmed(value);
        if (core.empty())
            return std::nullopt;
        if (is_plain(column.type))
            value = core;
    }
    return value;
}

/// Whether COPY takes a value as its literal would go into the column.
bool copy_keeps(const RowPlan::Column& column, std::string_view value) {
    return !((column.integer || column.money) && DatabaseHelper::is_strict_number(value) &&
             (column.money || value.find_first_of(".eE") != std::string_view::npos));
}

Core::Error null_key(const RowPlan::Column& column) {
    return extractor_error(ExtractorError::Row,
                           fmt::format("key column {} is NULL in this row", column.name));
}

} // namespace

Core::Result<PreparedRow> BaseExtractor::prepare_row(const RowPlan& plan, FieldSpan fields,
                                                     bool with_keys, bool empty_is_null,
                                                     bool with_sql) const {
    PreparedRow prepared;
    prepared.values.reserve(plan.columns.size());
    for (const RowPlan::Column& column : plan.columns) {
        auto view = planned_value(column, fields, empty_is_null);
        if (!view)
            return Core::fail(std::move(view).error());
        if (with_keys && column.key && !*view)
            return Core::fail(null_key(column));
        Field value;
        if (*view) {
            Field& field = fields[column.field];
            if (column.last_use && field->size() == (*view)->size())
                value = std::move(field);
            else
                value = std::string(**view);
        }
        prepared.values.push_back(std::move(value));
    }
    if (with_sql)
        add_sql(plan, prepared);
    return prepared;
}

Core::Result<bool> BaseExtractor::append_copy_row(const RowPlan& plan, FieldList fields,
                                                  bool empty_is_null, std::string& out) {
    const std::size_t start = out.size();
    for (std::size_t i = 0; i < plan.columns.size(); ++i) {
        const RowPlan::Column& column = plan.columns[i];
        auto view = planned_value(column, fields, empty_is_null);
        if (!view) {
            out.resize(start);
            return Core::fail(std::move(view).error());
        }
        if (i > 0)
            out += '\t';
        if (!*view) {
            out += "\\N";
            continue;
        }
        if (!copy_keeps(column, **view)) {
            out.resize(start);
            return false;
        }
        append_copy_text(out, **view);
    }
    out += '\n';
    return true;
}

void BaseExtractor::add_sql(const RowPlan& plan, PreparedRow& row) {
    row.names.clear();
    row.texts.clear();
    row.keys.clear();
    row.key_texts.clear();
    for (std::size_t i = 0; i < plan.columns.size() && i < row.values.size(); ++i) {
        const RowPlan::Column& column = plan.columns[i];
        std::string text = row.values[i] ? DatabaseHelper::format_sql_text(
                                               static_cast<std::uint32_t>(column.type), *row.values[i])
                                         : std::string("NULL");
        if (column.key) {
            row.keys.push_back(column.name);
            row.key_texts.push_back(text);
        }
        row.names.push_back(column.name);
        row.texts.push_back(std::move(text));
    }
}

namespace {

std::vector<Field> as_fields(TextList values) {
    return std::vector<Field>(values.begin(), values.end());
}

} // namespace

Core::Result<PreparedRow> BaseExtractor::prepare_text_row(const MetaModel::MetaTable& table,
                                                          TextList source_columns,
                                                          TextList values, bool with_keys) const {
    auto plan = plan_row(table, source_columns);
    if (!plan)
        return Core::fail(std::move(plan).error());
    std::vector<Field> fields = as_fields(values);
    return prepare_row(*plan, fields, with_keys, true, true);
}

Core::Result<std::string> BaseExtractor::build_data_sql(
    Contracts::Database::IConnection& connection, const MetaModel::MetaTable& table,
    TextList source_columns, TextList values, ImportAction kind) const {
    const bool keyed = kind != ImportAction::Insert;
    auto prepared = prepare_text_row(table, source_columns, values, keyed);
    if (!prepared)
        return Core::fail(std::move(prepared).error());
    if (keyed && prepared->keys.empty())
        return Core::fail(extractor_error(ExtractorError::Options,
                                          "no primary-key column is mapped to the file"));
    return row_statement(connection, table, *prepared, kind);
}

Core::Result<std::string> BaseExtractor::build_insert_data_sql(
    Contracts::Database::IConnection& connection, const MetaModel::MetaTable& table,
    TextList source_columns, TextList values) const {
    return build_data_sql(connection, table, source_columns, values, ImportAction::Insert);
}

Core::Result<std::string> BaseExtractor::build_update_data_sql(
    Contracts::Database::IConnection& connection, const MetaModel::MetaTable& table,
    TextList source_columns, TextList values) const {
    return build_data_sql(connection, table, source_columns, values, ImportAction::Update);
}

Core::Result<std::string> BaseExtractor::build_delete_data_sql(
    Contracts::Database::IConnection& connection, const MetaModel::MetaTable& table,
    TextList source_columns, TextList values) const {
    return build_data_sql(connection, table, source_columns, values, ImportAction::Delete);
}

Core::Result<void> BaseExtractor::check_import(const MetaModel::MetaTable& table) const {
    const std::string action_text = option("ACTION");
    const auto action = import_action(action_text);
    if (!action)
        return Core::fail(extractor_error(
            ExtractorError::Options,
            action_text.empty()
                ? std::string("no ACTION given (append, update, merge, delete or replace)")
                : fmt::format("unknown ACTION \"{}\" (append, update, merge, delete or replace)",
                              action_text)));
    // Without "COLUMNS" the reader names the source columns (a header, a
    // record's members): any column with a source counts as mapped.
    const std::vector<std::string> sources = split_columns(option("COLUMNS"));
    bool mapped = false;
    bool key_mapped = false;
    for (const auto& column : table.get_columns()) {
        if (sources.empty() ? source_of(*column).empty() : !source_index(*column, sources))
            continue;
        mapped = true;
        key_mapped = key_mapped || column->get_is_primary_key();
    }
    if (!mapped)
        return Core::fail(extractor_error(ExtractorError::Options,
                                          "no column of the table is mapped to the file"));
    if (*action != ImportAction::Insert && !key_mapped)
        return Core::fail(extractor_error(
            ExtractorError::Options,
            fmt::format("ACTION {} needs the table's primary-key columns mapped to the file",
                        action_text)));
    return {};
}

Core::Result<std::int64_t>
BaseExtractor::import_row_to_table(Contracts::Database::IConnection& connection,
                                   const MetaModel::MetaTable& table, TextList values) const {
    DIZEZIDA_TRY(check_import(table));
    const auto action = import_action(option("ACTION"));
    const std::vector<std::string> sources = split_columns(option("COLUMNS"));
    const auto run = [&](Core::Result<std::string> sql) -> Core::Result<std::int64_t> {
        if (!sql)
            return Core::fail(std::move(sql).error());
        return connection.execute_no_query(*sql);
    };
    if (*action != ImportAction::Merge)
        return run(build_data_sql(connection, table, sources, values, *action));
    auto updated = run(build_update_data_sql(connection, table, sources, values));
    if (!updated || *updated != 0)
        return updated;
    return run(build_insert_data_sql(connection, table, sources, values));
}

const Core::TypeInfo& BaseExtractor::static_type() {
    using namespace Core;
    static const TypeInfo info = TypeInfo::make_class<BaseExtractor, Object>(
        "DizezidaDovodarudSupportsDataExtractorsBaseExtractor",
        {prop("file-extention", &BaseExtractor::m_file_extention, Readable | Construct),
         prop("continue-on-error", &BaseExtractor::m_continue_on_error)},
        {&Contracts::Data::IExporter::static_type()});
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Data::Extractors

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Data::Extractors::BaseExtractor)
