// The parts of tables: columns, primary keys, indexes, triggers,
// constraints, rules and storage options, each read for a whole schema or
// one table and handed out to the tables by name.
#include "Supports/Database/PostgreSQL/Adapter/PostgreSQLAdapterV11x.hpp"

#include "Helpers/StringHelper.hpp"
#include "Model/MetaKeys.hpp"

#include "Contracts/Database/ITypeCatalog.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/PostgreSQL/Catalog/CatalogRows.hpp"
#include "Supports/Database/PostgreSQL/Catalog/RuleText.hpp"
#include "core/Precondition.hpp"

#include <fmt/format.h>

namespace Dizezida::Dovodarud::Supports::Database {

namespace Keys = MetaModel::Keys;

using namespace MetaModel;
namespace Queries = CatalogQueries;

namespace {

/// The table a row belongs to, when it is one being filled.
MetaTable* table_of(const std::unordered_map<std::string, std::shared_ptr<MetaTable>>& tables,
                    const CatalogRows& rows, std::size_t row) {
    const auto found = tables.find(
        PostgreSQLAdapterV11x::table_key(rows.text(row, "schema_name"), rows.text(row, "table_name")));
    return found == tables.end() ? nullptr : found->second.get();
}

std::string joined(const std::vector<std::string>& items, std::string_view separator) {
    return fmt::format("{}", fmt::join(items, separator));
}

/// An options array text without its braces ({a=1,b=2} gives a=1,b=2).
std::string without_braces(std::string text) {
    std::erase(text, '{');
    std::erase(text, '}');
    return text;
}

std::string deferral(const CatalogRows& rows, std::size_t row, std::string_view deferrable,
                     std::string_view deferred) {
    if (!rows.flag(row, deferrable))
        return {};
    return rows.flag(row, deferred) ? "INITIALLY DEFERRED" : "INITIALLY IMMEDIATE";
}

/// The end of the parenthesised text opening at `open` (the index of the
/// closing parenthesis), skipping quoted text; npos when unbalanced.
std::size_t closing_parenthesis(std::string_view text, std::size_t open) {
    int depth = 0;
    char quote = 0;
    for (std::size_t i = open; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth == 0) {
            return i;
        }
    }
    return std::string_view::npos;
}

/// The text inside the parentheses that follow `keyword` in `text` ("" when absent).
std::string parenthesised_after(std::string_view text, std::string_view keyword) {
    const std::size_t at = text.find(keyword);
    if (at == std::string_view::npos)
        return {};
    const std::size_t open = text.find('(', at + keyword.size());
    const std::size_t close =
        open == std::string_view::npos ? open : closing_parenthesis(text, open);
    if (close == std::string_view::npos)
        return {};
    return std::string(text.substr(open + 1, close - open - 1));
}

/// "apply" and "enable" of a trigger or rule from its enabling letter.
void enabling(std::string_view letter, std::string& apply, bool& enable) {
    enable = letter != "D";
    apply = letter == "D"   ? "DISABLED"
            : letter == "R" ? "REPLICA"
            : letter == "A" ? "ALWAYS"
                            : "ORIGIN";
}

} // namespace

Core::Result<void> PostgreSQLAdapterV11x::each_table_row(
    const std::string& sql, const TableIndex& tables,
    const std::function<void(MetaTable&, const CatalogRows&, std::size_t)>& apply) {
    auto rows = run(sql);
    if (!rows)
        return std::unexpected(rows.error());
    for (std::size_t row = 0; row < rows->size(); ++row)
        if (MetaTable* table = table_of(tables, *rows, row))
            apply(*table, *rows, row);
    return {};
}

Core::Result<void> PostgreSQLAdapterV11x::fill_tables(const Scope& scope, const TableIndex& tables,
                                                      bool full) {
    if (tables.empty())
        return {};
    DIZEZIDA_TRY(read_columns(scope, tables));
    DIZEZIDA_TRY(read_primary_keys(scope, tables));
    if (full) {
        DIZEZIDA_TRY(read_indexes(scope, tables));
        DIZEZIDA_TRY(read_triggers(scope, tables));
        DIZEZIDA_TRY(read_checks(scope, tables));
        DIZEZIDA_TRY(read_foreigns(scope, tables));
        DIZEZIDA_TRY(read_uniques(scope, tables));
        DIZEZIDA_TRY(read_excludes(scope, tables));
        DIZEZIDA_TRY(read_rules(scope, tables));
        DIZEZIDA_TRY(read_options(scope, tables));
    }
    for (const auto& [name, table] : tables)
        table->set_filled(true);
    return {};
}

namespace {

/// A column from row `row` of the column query (all but its place in the
/// table: database, schema and "after").
std::shared_ptr<MetaColumn>
column_from_row(const CatalogRows& rows, std::size_t row,
                const std::shared_ptr<Contracts::Database::IInspectable>& inspector) {
    const std::string data_type = rows.text(row, "data_type");
    auto column = MetaColumn::with_type(rows.text(row, "column_name"),
                                        inspector ? inspector->get_data_type(data_type)
                                                  : Zozuvoru::Contracts::DataType::UNKNOWN,
                                        rows.text(row, "raw_type"));
    column->set_ordinal(static_cast<std::uint32_t>(rows.number(row, "ordinal")));
    column->set_length(rows.number(row, "length"));
    column->set_scale(static_cast<std::int16_t>(rows.number(row, "scale")));
    column->set_dimension(static_cast<std::uint8_t>(rows.number(row, "dimensions")));
    column->set_not_null(rows.flag(row, "not_null"));
    column->set_comment(rows.text(row, "comment"));
    const std::string collation = rows.text(row, "collname");
    const std::string collation_schema = rows.text(row, "collation_schema");
    column->set_collation(collation.empty() || collation_schema.empty()
                              ? collation
                              : collation_schema + "." + collation);
    const std::string generated = rows.text(row, "generated");
    if (generated.empty()) {
        column->set_default_value(rows.text(row, "expression"));
    } else {
        column->set_is_virtual(true);
        column->set_virtual_type(generated == "s" ? "STORED" : "VIRTUAL");
        column->set_expression(rows.text(row, "expression"));
    }
    const std::string identity = rows.text(row, "identity");
    if (!identity.empty()) {
        column->set_identity(identity == "a" ? "GENERATED ALWAYS" : "GENERATED BY DEFAULT");
        column->set_is_generated_always(identity == "a");
        column->set_auto_increment(true);
        column->set_auto_increment_seed(
            static_cast<std::uint64_t>(rows.number(row, "seqstart", 1)));
        auto& attributes = column->get_attributes();
        attributes[Keys::identity_start] = rows.text(row, "seqstart");
        attributes[Keys::identity_increment] = rows.text(row, "seqincrement");
        attributes[Keys::identity_maximum] = rows.text(row, "seqmax");
        attributes[Keys::identity_minimum] = rows.text(row, "seqmin");
        attributes[Keys::identity_cycle] = rows.flag(row, "seqcycle") ? "YES" : "NO";
    }
    if (column->get_not_null() && !rows.flag(row, "own_not_null"))
        column->get_attributes()[Keys::not_null_by_type] = "true"; // the domain's, not the column's
    if (!rows.flag(row, "attislocal"))
        column->get_attributes()[Keys::inherited] = "true";
    return column;
}

} // namespace

Core::Result<void> PostgreSQLAdapterV11x::read_columns(const Scope& scope,
                                                       const TableIndex& tables) {
    const auto connection = get_connection();
    const auto inspector = connection ? connection->inspector() : nullptr;
    return each_table_row(Queries::columns(scope, major()), tables,
                          [&](MetaTable& table, const CatalogRows& rows, std::size_t row) {
                              auto column = column_from_row(rows, row, inspector);
                              auto& columns = table.get_columns();
                              column->set_database(table.get_database());
                              column->set_schema(table.get_schema());
                              column->set_after(columns.empty() ? std::string()
                                                                : columns.back()->get_name());
                              columns.push_back(std::move(column));
                          });
}

Core::Result<void> PostgreSQLAdapterV11x::fill_view_columns(MetaSchema& schema) {
    if (schema.get_views().empty())
        return {};
    auto rows = run(Queries::columns({schema.get_name(), ""}, major(), true));
    if (!rows)
        return std::unexpected(rows.error());
    const auto connection = get_connection();
    const auto inspector = connection ? connection->inspector() : nullptr;
    std::unordered_map<std::string, MetaColumnList> by_view;
    for (std::size_t row = 0; row < rows->size(); ++row) {
        auto column = column_from_row(*rows, row, inspector);
        auto& columns = by_view[rows->text(row, "table_name")];
        column->set_database(schema.get_database());
        column->set_schema(schema.get_name());
        column->set_after(columns.empty() ? std::string() : columns.back()->get_name());
        columns.push_back(std::move(column));
    }
    for (const auto& view : schema.get_views())
        if (auto found = by_view.find(view->get_name()); found != by_view.end())
            view->get_columns() = std::move(found->second);
    return {};
}

Core::Result<void> PostgreSQLAdapterV11x::read_primary_keys(const Scope& scope,
                                                            const TableIndex& tables) {
    return each_table_row(
        Queries::primary_keys(scope), tables,
        [&](MetaTable& each_table, const CatalogRows& each_rows, std::size_t row) {
            MetaTable* table = &each_table;
            const CatalogRows* rows = &each_rows;
            table->get_attributes()[Keys::primary_key] = rows->text(row, "conname");
            if (const std::string deferrable = deferral(*rows, row, "condeferrable", "condeferred");
                !deferrable.empty())
                table->get_attributes()[Keys::primary_key_deferrable] = deferrable;
            if (auto column = table->get_column(rows->text(row, "column_name"))) {
                column->set_is_primary_key(true);
                column->set_primary_ordinal(
                    static_cast<std::uint8_t>(rows->number(row, "position")));
            }
        });
}

void apply_index(MetaIndex& index, const CatalogRows& rows, std::size_t row) {
    std::string method = rows.text(row, "amname");
    std::transform(method.begin(), method.end(), method.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    index.set_method(method);
    index.set_entity(rows.text(row, "table_name"));
    index.set_kind(rows.flag(row, "indisunique") ? "UNIQUE" : "");
    index.set_is_clustered(rows.flag(row, "indisclustered"));
    index.set_table_space(rows.text(row, "tablespace"));
    index.set_with(without_braces(rows.text(row, "reloptions")));
    index.set_where(rows.text(row, "predicate"));
    index.set_comment(rows.text(row, "comment"));
    const std::vector<std::string> keys = rows.list(row, "keys");
    const std::size_t key_count =
        std::min<std::size_t>(keys.size(), static_cast<std::size_t>(rows.number(row, "key_count")));
    index.set_columns({keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(key_count)});
    index.set_include(
        joined({keys.begin() + static_cast<std::ptrdiff_t>(key_count), keys.end()}, ", "));
}

Core::Result<void> PostgreSQLAdapterV11x::read_indexes(const Scope& scope,
                                                       const TableIndex& tables) {
    return each_table_row(
        Queries::indexes(scope, major(), false), tables,
        [&](MetaTable& each_table, const CatalogRows& each_rows, std::size_t row) {
            MetaTable* table = &each_table;
            const CatalogRows* rows = &each_rows;
            auto index = MetaIndex::with_names(table->get_database(), table->get_schema(),
                                               table->get_name(), rows->text(row, "index_name"));
            apply_index(*index, *rows, row);
            table->get_indexes().push_back(index);
        });
}

Core::Result<void> PostgreSQLAdapterV11x::fill_meta_index(const Ptr<MetaIndex>& index) {
    DIZEZIDA_RETURN_VAL_IF_NULL(index, {});
    if (index->is_filled())
        return {};
    auto rows = run(Queries::indexes({index->get_schema(), index->get_name()}, major(), true));
    if (!rows)
        return std::unexpected(rows.error());
    if (rows->empty())
        return Core::fail(missing_object("index", index->get_schema(), index->get_name()));
    apply_index(*index, *rows, 0);
    index->set_filled(true);
    return {};
}

namespace {

/// A trigger's properties from row `row` of the trigger query.
void apply_trigger(MetaTrigger& trigger, const CatalogRows& rows, std::size_t row) {
    const std::int64_t type = rows.number(row, "tgtype");
    std::vector<std::string> events;
    for (const auto& [bit, event] : {std::pair{4, "INSERT"}, std::pair{8, "DELETE"},
                                     std::pair{16, "UPDATE"}, std::pair{32, "TRUNCATE"}})
        if (type & bit)
            events.push_back(event);
    trigger.set_event(joined(events, ","));
    trigger.set_columns(joined(rows.list(row, "columns"), ","));
    trigger.set_timing(type & 2 ? "BEFORE" : type & 64 ? "INSTEAD OF" : "AFTER");
    trigger.set_for_each(type & 1 ? "ROW" : "STATEMENT");
    if (!rows.is_null(row, "refer_table"))
        trigger.set_refer_table(rows.text(row, "refer_schema") + "." +
                                rows.text(row, "refer_table"));
    trigger.set_deferrable(deferral(rows, row, "tgdeferrable", "tginitdeferred"));
    trigger.set_function(rows.text(row, "function_schema") + "." + rows.text(row, "function_name"));
    trigger.set_constraint(rows.flag(row, "is_constraint"));
    trigger.set_comment(rows.text(row, "comment"));
    std::string apply;
    bool enable = true;
    enabling(rows.text(row, "tgenabled"), apply, enable);
    trigger.set_apply(apply);
    trigger.set_enable(enable);

    // The call, whatever keyword the server prints before it (FUNCTION from
    // 11 on); PROCEDURE is understood by every version.
    const std::string definition = rows.text(row, "definition");
    std::size_t at = definition.rfind(" EXECUTE FUNCTION ");
    std::size_t keyword = std::string_view(" EXECUTE FUNCTION ").size();
    if (at == std::string::npos) {
        at = definition.rfind(" EXECUTE PROCEDURE ");
        keyword = std::string_view(" EXECUTE PROCEDURE ").size();
    }
    const std::string call =
        at == std::string::npos ? std::string() : definition.substr(at + keyword);
    trigger.set_body(call.empty() ? std::string() : "EXECUTE PROCEDURE " + call);
    const std::size_t open = call.find('(');
    trigger.set_arguments(open == std::string::npos || call.back() != ')'
                              ? std::string()
                              : call.substr(open + 1, call.size() - open - 2));
    const std::string head = at == std::string::npos ? definition : definition.substr(0, at);
    trigger.set_when(parenthesised_after(head, " WHEN "));
}

} // namespace

Core::Result<void> PostgreSQLAdapterV11x::read_triggers(const Scope& scope,
                                                        const TableIndex& tables) {
    return each_table_row(
        Queries::triggers(scope, false), tables,
        [&](MetaTable& each_table, const CatalogRows& each_rows, std::size_t row) {
            MetaTable* table = &each_table;
            const CatalogRows* rows = &each_rows;
            auto trigger = MetaTrigger::with_body(rows->text(row, "tgname"), "");
            trigger->set_database(table->get_database());
            trigger->set_schema(table->get_schema());
            apply_trigger(*trigger, *rows, row);
            table->get_triggers().push_back(trigger);
        });
}

Core::Result<void> PostgreSQLAdapterV11x::fill_meta_trigger(const Ptr<MetaTrigger>& trigger) {
    DIZEZIDA_RETURN_VAL_IF_NULL(trigger, {});
    if (trigger->is_filled())
        return {};
    auto rows = run(Queries::triggers({trigger->get_schema(), trigger->get_name()}, true));
    if (!rows)
        return std::unexpected(rows.error());
    if (rows->empty())
        return Core::fail(missing_object("trigger", trigger->get_schema(), trigger->get_name()));
    apply_trigger(*trigger, *rows, 0);
    trigger->set_target(rows->text(0, "table_name"));
    const std::string kind = rows->text(0, "relkind");
    trigger->set_kind(kind == "r"   ? "TABLE"
                      : kind == "m" ? "MATERIALIZED VIEW"
                      : kind == "f" ? "FOREIGN TABLE"
                      : kind == "p" ? "PARTITIONED TABLE"
                      : kind == "v" ? "VIEW"
                                    : "");
    trigger->set_filled(true);
    return {};
}

Core::Result<void> PostgreSQLAdapterV11x::read_checks(const Scope& scope,
                                                      const TableIndex& tables) {
    return each_table_row(
        Queries::constraints(scope, 'c', major()), tables,
        [&](MetaTable& each_table, const CatalogRows& each_rows, std::size_t row) {
            MetaTable* table = &each_table;
            const CatalogRows* rows = &each_rows;
            // The expression alone: a script writes CHECK (<expression>) around it.
            auto check =
                MetaCheck::with_name(rows->text(row, "conname"), rows->text(row, "expression"));
            check->set_deferrable(deferral(*rows, row, "condeferrable", "condeferred"));
            check->set_comment(rows->text(row, "comment"));
            check->set_no_inherit(rows->flag(row, "connoinherit"));
            check->set_enforced(rows->flag(row, "convalidated"));
            table->get_constraints().push_back(check);
        });
}

std::string PostgreSQLAdapterV11x::get_full_action_name(std::string_view letter) {
    if (letter == "a")
        return "NO ACTION";
    if (letter == "c")
        return "CASCADE";
    if (letter == "d")
        return "SET DEFAULT";
    if (letter == "n")
        return "SET NULL";
    if (letter == "r")
        return "RESTRICT";
    return {};
}

Core::Result<void> PostgreSQLAdapterV11x::read_foreigns(const Scope& scope,
                                                        const TableIndex& tables) {
    return each_table_row(
        Queries::constraints(scope, 'f', major()), tables,
        [&](MetaTable& each_table, const CatalogRows& each_rows, std::size_t row) {
            MetaTable* table = &each_table;
            const CatalogRows* rows = &each_rows;
            auto key = MetaForeignKey::with_refer(rows->text(row, "conname"),
                                                  rows->text(row, "foreign_schema"),
                                                  rows->text(row, "foreign_table"));
            const std::string match = rows->text(row, "confmatchtype");
            key->set_match_method(match == "f"                   ? "FULL"
                                  : match == "p"                 ? "PARTIAL"
                                  : match == "s" || match == "u" ? "SIMPLE"
                                                                 : "NONE");
            key->set_update_action(get_full_action_name(rows->text(row, "confupdtype")));
            key->set_delete_action(get_full_action_name(rows->text(row, "confdeltype")));
            key->set_local_columns(joined(rows->list(row, "local_columns"), ", "));
            key->set_refer_columns(joined(rows->list(row, "refer_columns"), ", "));
            key->set_deferrable(deferral(*rows, row, "condeferrable", "condeferred"));
            key->set_comment(rows->text(row, "comment"));
            table->get_constraints().push_back(key);
        });
}

Core::Result<void> PostgreSQLAdapterV11x::read_uniques(const Scope& scope,
                                                       const TableIndex& tables) {
    return each_table_row(
        Queries::constraints(scope, 'u', major()), tables,
        [&](MetaTable& each_table, const CatalogRows& each_rows, std::size_t row) {
            MetaTable* table = &each_table;
            const CatalogRows* rows = &each_rows;
            auto unique = MetaUnique::with_name(rows->text(row, "conname"));
            unique->set_deferrable(deferral(*rows, row, "condeferrable", "condeferred"));
            unique->set_comment(rows->text(row, "comment"));
            unique->set_columns(joined(rows->list(row, "local_columns"), ", "));
            unique->set_with(without_braces(rows->text(row, "index_options")));
            unique->set_include(joined(rows->list(row, "include_columns"), ", "));
            table->get_constraints().push_back(unique);
        });
}

Core::Result<void> PostgreSQLAdapterV11x::read_excludes(const Scope& scope,
                                                        const TableIndex& tables) {
    return each_table_row(
        Queries::constraints(scope, 'x', major()), tables,
        [&](MetaTable& each_table, const CatalogRows& each_rows, std::size_t row) {
            MetaTable* table = &each_table;
            const CatalogRows* rows = &each_rows;
            auto exclude = MetaExclude::with_name(rows->text(row, "conname"));
            exclude->set_deferrable(deferral(*rows, row, "condeferrable", "condeferred"));
            exclude->set_with(without_braces(rows->text(row, "index_options")));
            exclude->set_comment(rows->text(row, "comment"));
            // EXCLUDE USING <method> (<elements>) [INCLUDE (...)] [WITH (...)] [WHERE (...)]
            const std::string definition = rows->text(row, "definition");
            const std::size_t using_at = definition.find("USING ");
            if (using_at != std::string::npos) {
                const std::size_t open = definition.find('(', using_at);
                const std::size_t close =
                    open == std::string::npos ? open : closing_parenthesis(definition, open);
                if (close != std::string::npos) {
                    exclude->set_index_method(
                        Helpers::StringHelper::trim_blanks(definition.substr(using_at + 6, open - using_at - 6)));
                    exclude->set_elements(Helpers::StringHelper::trim_blanks(definition.substr(open + 1, close - open - 1)));
                    const std::string rest = definition.substr(close + 1);
                    exclude->set_include(parenthesised_after(rest, "INCLUDE "));
                    exclude->set_where(parenthesised_after(rest, "WHERE "));
                }
            }
            table->get_constraints().push_back(exclude);
        });
}

std::shared_ptr<MetaRule> PostgreSQLAdapterV11x::rule_from_row(const CatalogRows& rows, std::size_t row) {
    auto rule = MetaRule::with_name(rows.text(row, "rulename"));
    const std::string event = rows.text(row, "ev_type");
    rule->set_event(event == "1"   ? "SELECT"
                    : event == "2" ? "UPDATE"
                    : event == "3" ? "INSERT"
                    : event == "4" ? "DELETE"
                                   : "");
    rule->set_action(rows.flag(row, "is_instead") ? "INSTEAD" : "ALSO");
    std::string apply;
    bool enable = true;
    enabling(rows.text(row, "ev_enabled"), apply, enable);
    rule->set_apply(apply);
    rule->set_enable(enable);
    rule->set_comment(rows.text(row, "comment"));
    // The server's own text is the create statement; the parts come from the
    // catalog's columns and that text's structure.
    const std::string opening = "CREATE RULE " + rows.text(row, "printed_rule") + " AS\n    ON " +
                                rule->get_event() + " TO ";
    const RuleText text = read_rule_text(rows.text(row, "definition"),
                                         opening + rows.text(row, "printed_table"),
                                         opening + rows.text(row, "qualified_table"),
                                         rows.flag(row, "has_condition"));
    rule->set_definition(text.definition);
    rule->set_where(text.condition);
    rule->set_commands(text.actions);
    return rule;
}

Core::Result<void> PostgreSQLAdapterV11x::read_rules(const Scope& scope, const TableIndex& tables) {
    return each_table_row(Queries::rules(scope), tables,
                          [&](MetaTable& table, const CatalogRows& rows, std::size_t row) {
                              table.get_rules().push_back(rule_from_row(rows, row));
                          });
}

Core::Result<void> PostgreSQLAdapterV11x::read_options(const Scope& scope,
                                                       const TableIndex& tables) {
    auto rows = run(Queries::table_options(scope, major(), false));
    if (!rows)
        return std::unexpected(rows.error());
    for (std::size_t row = 0; row < rows->size(); ++row)
        if (MetaTable* table = table_of(tables, *rows, row))
            apply_options(*table, *rows, row);
    return {};
}

void PostgreSQLAdapterV11x::apply_options(MetaTable& table, const CatalogRows& rows,
                                          std::size_t row) const {
    auto& options = table.get_options();
    options[Keys::owner] = rows.text(row, "owner");
    table.set_comment(rows.text(row, "description"));
    options[Keys::with_arguments] = without_braces(rows.text(row, "reloptions"));
    options[Keys::tablespace] = rows.text(row, "tablespace");
    const std::string persistence = rows.text(row, "relpersistence");
    options[Keys::flag] = persistence == "u"   ? "UNLOGGED"
                          : persistence == "t" ? "TEMPORARY"
                                               : "PERMANENT";
    options[Keys::partition] = rows.flag(row, "relispartition") ? "true" : "false";
    const std::vector<std::string> parents = rows.list(row, "parents");
    if (!parents.empty())
        options[Keys::inherits] = joined(parents, ", ");
    if (!rows.is_null(row, "partition_keys"))
        options[Keys::partition_keys] = rows.text(row, "partition_keys");
    if (!rows.is_null(row, "partition_bound"))
        options[Keys::partition_bound] = rows.text(row, "partition_bound");
    if (const std::string security = rows.text(row, "row_security"); !security.empty())
        options[Keys::row_security] = security;
    if (const std::string policies = rows.text(row, "policies"); !policies.empty())
        options[Keys::policies] = policies;
}

Core::Result<void> PostgreSQLAdapterV11x::fill_part(
    const Ptr<MetaTable>& table,
    Done (PostgreSQLAdapterV11x::*part)(const Scope&, const TableIndex&)) {
    DIZEZIDA_RETURN_VAL_IF_NULL(table, {});
    return (this->*part)({table->get_schema(), table->get_name()}, one_table(table));
}

Core::Result<void> PostgreSQLAdapterV11x::fill_schema_table_check(const Ptr<MetaTable>& table) {
    return fill_part(table, &PostgreSQLAdapterV11x::read_checks);
}
Core::Result<void> PostgreSQLAdapterV11x::fill_schema_table_foreign(const Ptr<MetaTable>& table) {
    return fill_part(table, &PostgreSQLAdapterV11x::read_foreigns);
}
Core::Result<void> PostgreSQLAdapterV11x::fill_schema_table_unique(const Ptr<MetaTable>& table) {
    return fill_part(table, &PostgreSQLAdapterV11x::read_uniques);
}
Core::Result<void> PostgreSQLAdapterV11x::fill_schema_table_options(const Ptr<MetaTable>& table) {
    return fill_part(table, &PostgreSQLAdapterV11x::read_options);
}
Core::Result<void> PostgreSQLAdapterV11x::fill_schema_table_exclude(const Ptr<MetaTable>& table) {
    return fill_part(table, &PostgreSQLAdapterV11x::read_excludes);
}

} // namespace Dizezida::Dovodarud::Supports::Database
