#include "Transform/DataComparison.hpp"
#include "Transform/CopyStream.hpp"

#include "Contracts/Database/IExplorable.hpp"
#include "Helpers/DatabaseHelper.hpp"
#include "Supports/Data/Extractors/BaseExtractor.hpp"
#include "Supports/Database/DataTable.hpp"
#include "Supports/Database/SqlText.hpp"
#include "provider/Contracts/IProvider.hpp"
#include "provider/Contracts/ValueScalars.hpp"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <deque>
#include <fmt/format.h>
#include <mutex>
#include <optional>
#include <thread>

namespace Dizezida::Dovodarud::Transform {

using Contracts::Database::IConnection;
using Supports::Database::sql_literal;
using Supports::Database::sql_name;
using Supports::Database::sql_qualified;
using Zozuvoru::Contracts::DataType;
using Zozuvoru::Contracts::DataVersion;
using Zozuvoru::Contracts::RowModel;
namespace Data = Supports::Database;

namespace {

/// Differing keys fetched per query.
constexpr std::size_t k_batch = 1000;

Core::Error data_error(std::string message) {
    return Core::Error{"Transform", 0, std::move(message)};
}

bool integer_kind(DataType type) {
    return type == DataType::SMALLINT || type == DataType::INTEGER || type == DataType::BIGINT;
}

/// The quoted names of a model's columns, joined.
std::string column_list(const TableModel& table) {
    std::string list;
    for (const auto& column : table.get_columns())
        list += (list.empty() ? "" : ", ") + sql_name(column->get_name());
    return list;
}

/// How key column `i` is selected and ordered.
struct KeyColumn {
    std::string name;
    DataType type;
    bool integer;
    std::string select() const { return integer ? name : name + "::text"; }
    std::string order() const { return integer ? name : name + "::text COLLATE \"C\""; }
};

std::vector<KeyColumn> key_columns(const TableModel& table) {
    std::vector<KeyColumn> keys;
    for (const std::size_t position : Data::data_table_key(table)) {
        const auto& column = table.get_columns()[position];
        keys.push_back({sql_name(column->get_name()), column->get_data_type(),
                        integer_kind(column->get_data_type())});
    }
    return keys;
}

std::string order_by(const std::vector<KeyColumn>& keys) {
    std::string order;
    for (const auto& key : keys)
        order += (order.empty() ? " ORDER BY " : ", ") + key.order();
    return order;
}

/// One line of the hash stream: the key texts and the row's hash.
struct HashLine {
    std::vector<std::string_view> fields;
    std::vector<Supports::Data::Extractors::Field> owned; ///< unescaped, for lines with escapes
};

/// The next line of a stream, split into its fields; false at the end.
bool next_line(CopyStream& stream, HashLine& line) {
    const auto text = stream.next_line();
    if (!text)
        return false;
    line.fields.clear();
    if (text->find('\\') == std::string_view::npos) {
        for (std::size_t start = 0;;) {
            const std::size_t tab = std::min(text->find('\t', start), text->size());
            line.fields.push_back(text->substr(start, tab - start));
            if (tab == text->size())
                break;
            start = tab + 1;
        }
        return true;
    }
    line.owned = Supports::Data::Extractors::read_copy_line(*text);
    for (const auto& field : line.owned)
        line.fields.emplace_back(field ? std::string_view(*field) : std::string_view());
    return true;
}

/// -1, 0 or 1 as key `a` stands before, with or after key `b` in key order.
int compare_keys(const std::vector<KeyColumn>& keys, const HashLine& a, const HashLine& b) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string_view x = a.fields[i];
        const std::string_view y = b.fields[i];
        if (keys[i].integer) {
            std::int64_t m = 0, n = 0;
            std::from_chars(x.data(), x.data() + x.size(), m);
            std::from_chars(y.data(), y.data() + y.size(), n);
            if (m != n)
                return m < n ? -1 : 1;
        } else if (const int order = x.compare(y); order != 0) {
            return order < 0 ? -1 : 1;
        }
    }
    return 0;
}

using Key = std::vector<std::string>;

Key key_of(const HashLine& line, std::size_t size) {
    return Key(line.fields.begin(), line.fields.begin() + static_cast<std::ptrdiff_t>(size));
}

/// The keys only in the source, in both and different, only in the target.
struct KeyLists {
    std::vector<Key> append, change, remove;
};

/// The hash of a row both servers can compute alike, over the text each
/// column's output function gives (what a comparison of values compares),
/// NULL kept apart from every text. From PostgreSQL 11 on: each column's
/// text hashed on its own with its position as the seed (the 64-bit hash
/// that hash partitioning keeps stable across versions), NULL standing as
/// the position itself, the hashes joined by exclusive or; this spares the
/// server building and quoting the row's text. Before 11: md5 of that text.
std::string row_hash(const TableModel& table, bool extended) {
    if (!extended)
        return fmt::format("pg_catalog.md5(ROW({})::text)", column_list(table));
    std::string hash;
    std::size_t position = 0;
    for (const auto& column : table.get_columns()) {
        const std::string name = sql_name(column->get_name());
        ++position;
        hash += fmt::format("{}CASE WHEN {} IS NULL THEN {} ELSE "
                            "pg_catalog.hashtextextended(pg_catalog.concat({}), {}) END",
                            position == 1 ? "" : " OPERATOR(pg_catalog.#) ", name, position, name,
                            position);
    }
    return hash;
}

/// COPY of (key, hash of the row) of a table in key order.
std::string hash_query(const TableModel& source_table, std::string_view schema,
                       const std::vector<KeyColumn>& keys, bool extended) {
    std::string select;
    for (const auto& key : keys)
        select += key.select() + ", ";
    return fmt::format("COPY (SELECT {}{} FROM {}{}) TO STDOUT", select,
                       row_hash(source_table, extended),
                       sql_qualified(schema, source_table.get_name()), order_by(keys));
}

Core::Result<KeyLists> differing_keys(IConnection& source, IConnection& target,
                                      const TableModel& source_table, std::string_view target_schema,
                                      const std::vector<KeyColumn>& keys) {
    const bool extended = std::min(source.get_major_version(), target.get_major_version()) >= 11;
    CopyStream a(source,
                 hash_query(source_table, Data::data_table_schema(source_table), keys, extended));
    CopyStream b(target, hash_query(source_table, target_schema, keys, extended));
    KeyLists lists;
    const std::size_t n = keys.size();
    HashLine x, y;
    bool more_a = next_line(a, x);
    bool more_b = next_line(b, y);
    while (more_a || more_b) {
        if ((more_a && x.fields.size() != n + 1) || (more_b && y.fields.size() != n + 1))
            return Core::fail(data_error("a row hash line has the wrong number of fields"));
        const int order = !more_a ? 1 : !more_b ? -1 : compare_keys(keys, x, y);
        if (order < 0) {
            lists.append.push_back(key_of(x, n));
            more_a = next_line(a, x);
        } else if (order > 0) {
            lists.remove.push_back(key_of(y, n));
            more_b = next_line(b, y);
        } else {
            if (x.fields[n] != y.fields[n])
                lists.change.push_back(key_of(x, n));
            more_a = next_line(a, x);
            more_b = next_line(b, y);
        }
    }
    DIZEZIDA_TRY(a.finish());
    DIZEZIDA_TRY(b.finish());
    return lists;
}

/// The key values as a row of NULLs but for its key columns.
std::shared_ptr<RowModel> key_row(const TableModel& table, const std::vector<std::size_t>& key,
                                  const Key& values) {
    auto row = table.new_row();
    for (std::size_t i = 0; i < key.size(); ++i)
        row->set_value_at(key[i], Zozuvoru::Contracts::ValueString::create(
                                      values[i], table.get_columns()[key[i]]->get_data_type()));
    row->set_version(DataVersion::REMOVE);
    return row;
}

/// Appends the source rows of `keys`, marked `version`, fetched in batches.
Core::Result<void> fetch_rows(IConnection& source, const TableModel& source_table,
                              const std::vector<KeyColumn>& keys, const std::vector<Key>& wanted,
                              DataVersion version, TableModel& difference) {
    for (std::size_t start = 0; start < wanted.size(); start += k_batch) {
        std::string list;
        for (std::size_t i = start; i < std::min(wanted.size(), start + k_batch); ++i) {
            list += i == start ? "(" : ", (";
            for (std::size_t k = 0; k < keys.size(); ++k) {
                list += k ? ", " : "";
                Helpers::DatabaseHelper::append_sql_text(
                    list, static_cast<std::uint32_t>(keys[k].type), wanted[i][k]);
            }
            list += ')';
        }
        std::string names;
        for (const auto& key : keys)
            names += (names.empty() ? "" : ", ") + key.name;
        const std::string sql = fmt::format(
            "SELECT {} FROM {} WHERE ({}) IN ({}){}", column_list(source_table),
            sql_qualified(Data::data_table_schema(source_table), source_table.get_name()),
            keys.size() == 1 ? names : "ROW(" + names + ")", list, order_by(keys));
        auto rows = source.execute_as_model(sql);
        if (!rows)
            return Core::fail(std::move(rows).error());
        for (std::size_t i = 0; i < (*rows)->get_row_count(); ++i) {
            auto row = std::make_shared<RowModel>((*rows)->get_row(i)->get_values());
            row->set_version(version);
            difference.append(row);
        }
    }
    return {};
}

} // namespace

Core::Result<void> set_exact_texts(IConnection& connection) {
    auto done = connection.execute_no_query(
        "SELECT pg_catalog.set_config('extra_float_digits', '3', false), "
        "pg_catalog.set_config('DateStyle', 'ISO, YMD', false), "
        "pg_catalog.set_config('IntervalStyle', 'postgres', false), "
        "pg_catalog.set_config('TimeZone', 'UTC', false), "
        "pg_catalog.set_config('bytea_output', 'hex', false)");
    if (!done)
        return Core::fail(std::move(done).error());
    return {};
}

Core::Result<TablePtr> describe_data_table(IConnection& connection, std::string_view schema,
                                           std::string_view table) {
    const auto explorer = connection.explorer();
    if (!explorer)
        return Core::fail(data_error("the connection has no explorer"));
    auto columns = explorer->data_columns(schema, table);
    if (!columns)
        return Core::fail(std::move(columns).error());
    if (columns->empty())
        return Core::fail(
            data_error(fmt::format("table {} does not exist", sql_qualified(schema, table))));
    std::string names;
    std::vector<std::pair<std::size_t, std::size_t>> key;
    bool overriding = false;
    for (std::size_t position = 0; position < columns->size(); ++position) {
        const auto& column = (*columns)[position];
        names += (position ? ", " : "") + sql_name(column.name);
        if (column.key_position > 0)
            key.emplace_back(column.key_position, position);
        overriding = overriding || column.identity_always;
    }
    auto model = connection.execute_as_model(
        fmt::format("SELECT {} FROM {} LIMIT 0", names, sql_qualified(schema, table)));
    if (!model)
        return Core::fail(std::move(model).error());
    std::sort(key.begin(), key.end());
    std::vector<std::size_t> positions;
    for (const auto& [order, position] : key)
        positions.push_back(position);
    (*model)->set_name(std::string(table));
    Data::set_data_table(**model, std::string(schema), std::move(positions));
    Data::set_data_table_overriding(**model, overriding);
    return *model;
}

Core::Result<std::vector<std::string>> list_data_tables(IConnection& connection,
                                                        std::string_view schema) {
    const auto explorer = connection.explorer();
    if (!explorer)
        return Core::fail(data_error("the connection has no explorer"));
    return explorer->data_tables(schema);
}

Core::Result<TablePtr> compare_data_table(IConnection& source, IConnection& target,
                                          const TableModel& source_table,
                                          std::string_view target_schema) {
    if (&source == &target)
        return Core::fail(data_error("the source and the target must be two sessions"));
    DIZEZIDA_TRY(Data::check_data_keys(source_table));
    const auto keys = key_columns(source_table);
    auto lists = differing_keys(source, target, source_table, target_schema, keys);
    if (!lists)
        return Core::fail(std::move(lists).error());
    if (lists->append.empty() && lists->change.empty() && lists->remove.empty())
        return TablePtr();
    auto difference = TableModel::create();
    Data::copy_data_table(source_table, *difference);
    Data::set_data_table(*difference, std::string(target_schema),
                         Data::data_table_key(source_table));
    const auto key = Data::data_table_key(source_table);
    for (const Key& values : lists->remove)
        difference->append(key_row(source_table, key, values));
    DIZEZIDA_TRY(fetch_rows(source, source_table, keys, lists->change, DataVersion::CHANGE,
                            *difference));
    DIZEZIDA_TRY(fetch_rows(source, source_table, keys, lists->append, DataVersion::APPEND,
                            *difference));
    return difference;
}

DataCounts count_marks(const TableModel& difference) {
    DataCounts counts;
    for (const auto& row : difference.get_rows()) {
        if (row->get_version() == DataVersion::APPEND)
            ++counts.insert;
        else if (row->get_version() == DataVersion::CHANGE)
            ++counts.update;
        else if (row->get_version() == DataVersion::REMOVE)
            ++counts.remove;
    }
    return counts;
}

} // namespace Dizezida::Dovodarud::Transform
