// The create scripts of whole schemas: each object split in the pieces that
// run as one (a table's CREATE, its indexes and triggers, its foreign keys,
// its rules; a view and its rules; a sequence and its ownership), each piece
// with what it needs from the server's dependency rows and from the model
// itself (parents, referenced tables, owning columns), placed by ScriptOrder
// across every schema of the script.
#include "Supports/Database/PostgreSQL/Builder/PostgreSQLBuilder.hpp"

#include "Model/MetaKeys.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/PostgreSQL/Scripts/ScriptOrder.hpp"
#include "Supports/Database/PostgreSQL/Scripts/ScriptText.hpp"
#include "Supports/Database/SqlText.hpp"
#include "core/Precondition.hpp"

#include <algorithm>
#include <unordered_map>

namespace Dizezida::Dovodarud::Supports::Database {

namespace Keys = MetaModel::Keys;

using namespace MetaModel;
using namespace ScriptOrder;

namespace {

std::string table_node(std::string_view schema, std::string_view name, DependencyPart part) {
    return node_of(dependency_key("table", schema, name), part);
}

} // namespace

std::vector<Piece> PostgreSQLBuilder::schema_pieces(const std::vector<Ptr<MetaSchema>>& schemas,
                                                    bool keep_raw_type) const {
    std::vector<Piece> pieces;
    CreatedTables created;
    for (const auto& schema : schemas) {
        if (!schema)
            continue;
        for (const auto& type : schema->get_types())
            pieces.push_back(
                piece_of(*type, DependencyPart::create, type_rank, build_type(*type), true));
        for (const auto& sequence : schema->get_sequences()) {
            pieces.push_back(piece_of(*sequence, DependencyPart::create, sequence_rank,
                                      build_sequence(*sequence)));
            Piece own = piece_of(*sequence, DependencyPart::own, owned_rank, own_sequence(*sequence));
            own.needs.push_back(node_of(dependency_key(*sequence), DependencyPart::create));
            if (!sequence->get_owned_table().empty())
                own.needs.push_back(table_node(sequence->get_owned_schema().empty()
                                                   ? sequence->get_schema()
                                                   : sequence->get_owned_schema(),
                                               sequence->get_owned_table(), DependencyPart::create));
            pieces.push_back(std::move(own));
        }
        for (const auto* list : {&schema->get_functions(), &schema->get_procedures()})
            for (const auto& routine : *list)
                pieces.push_back(piece_of(*routine, DependencyPart::create, routine_rank,
                                          build_function(routine), true));
        for (const auto& table : schema->get_tables()) {
            add_table_pieces(*table, keep_raw_type, pieces);
            created.emplace(node_of(dependency_key(*table), DependencyPart::create), table.get());
        }
        for (const auto& view : schema->get_views())
            add_view_pieces(view, pieces);
        for (const auto& view : schema->get_miews())
            pieces.push_back(piece_of(*view, DependencyPart::create, miew_rank, build_view(view), true));
    }
    split_circular_defaults(created, keep_raw_type, pieces);
    return pieces;
}

namespace {

/// Whether the piece at `from` needs, directly or not, the piece at `target`.
bool reaches(const std::vector<Piece>& pieces,
             const std::unordered_map<std::string_view, std::size_t>& nodes, std::size_t from,
             std::size_t target) {
    std::vector<bool> seen(pieces.size(), false);
    std::vector<std::size_t> stack{from};
    while (!stack.empty()) {
        const std::size_t at = stack.back();
        stack.pop_back();
        if (at == target)
            return true;
        if (seen[at])
            continue;
        seen[at] = true;
        for (const std::string& need : pieces[at].needs)
            if (const auto found = nodes.find(need); found != nodes.end())
                stack.push_back(found->second);
    }
    return false;
}

} // namespace

void PostgreSQLBuilder::split_circular_defaults(const CreatedTables& created, bool keep_raw_type,
                                                std::vector<Piece>& pieces) const {
    // A default that calls a routine which itself reads the table (a
    // standard-SQL body) cannot be written in the CREATE TABLE: it is set
    // by a statement of its own once the routine exists.
    std::unordered_map<std::string_view, std::size_t> nodes;
    for (std::size_t at = 0; at < pieces.size(); ++at)
        nodes.emplace(pieces[at].node, at);
    std::vector<Piece> defaults;
    for (std::size_t at = 0; at < pieces.size(); ++at) {
        const auto table = created.find(pieces[at].node);
        if (table == created.end())
            continue;
        std::vector<std::string> routines;
        for (const std::string& need : pieces[at].needs)
            if (const auto found = nodes.find(need);
                found != nodes.end() && pieces[found->second].rank == routine_rank &&
                reaches(pieces, nodes, found->second, at))
                routines.push_back(need);
        if (routines.empty())
            continue;
        auto copy = table->second->clone_as<MetaTable>();
        std::string statements;
        for (const auto& column : copy->get_columns()) {
            const std::string& value = column->get_default_value();
            const bool calls = std::any_of(routines.begin(), routines.end(), [&](const std::string& need) {
                const std::string& name = pieces[nodes.at(need)].name;
                return value.find(name + "(") != std::string::npos ||
                       value.find(name + "\"(") != std::string::npos;
            });
            if (value.empty() || !calls)
                continue;
            statements += "ALTER TABLE " + sql_qualified(copy->get_schema(), copy->get_name()) +
                          " ALTER COLUMN " + sql_name(column->get_name()) + " SET DEFAULT " + value +
                          ";\n";
            column->set_default_value("");
        }
        if (statements.empty())
            continue;
        pieces[at].text = table_create(*copy, keep_raw_type);
        Piece setting = pieces[at];
        setting.node += "\x1d" "defaults";
        setting.rank = owned_rank;
        setting.text = std::move(statements);
        setting.needs = routines;
        setting.needs.push_back(pieces[at].node);
        std::erase_if(pieces[at].needs, [&](const std::string& need) {
            return std::find(routines.begin(), routines.end(), need) != routines.end();
        });
        defaults.push_back(std::move(setting));
    }
    for (Piece& piece : defaults)
        pieces.push_back(std::move(piece));
}

void PostgreSQLBuilder::add_view_pieces(const Ptr<MetaView>& view, std::vector<Piece>& pieces) const {
    // The rules come once the view is there, in a piece of their own: one
    // may write to a relation built on the view itself.
    Ptr<MetaView> bare = view;
    if (!view->get_rules().empty()) {
        bare = view->clone_as<MetaView>();
        bare->get_rules().clear();
    }
    Piece piece = piece_of(*view, DependencyPart::create, view_rank, build_view(bare));
    for (const MetaDependency& depend : view->depends())
        if (depend.part != DependencyPart::rules && depend.part != DependencyPart::create)
            piece.needs.push_back(node_of(depend.key, depend.needed));
    // The views that the view's rewrite rules read (its query and its other
    // rules alike) stand in for the server's rows when the model has none;
    // next to them they would tie the view to what its rules write to.
    if (view->depends().empty())
        for (const std::string& used : ScriptText::split_list(
                 ScriptText::value_of(view->get_attributes(), Keys::depends), ","))
            for (const char* kind : {"view", "miew", "table"})
                piece.needs.push_back(
                    node_of(dependency_key(kind, view->get_schema(), used), DependencyPart::create));
    pieces.push_back(std::move(piece));
    if (view->get_rules().empty())
        return;
    Piece rules = piece_of(
        *view, DependencyPart::rules, view_rules_rank,
        rules_script(view->get_rules(), sql_qualified(view->get_schema(), view->get_name()), true) +
            "\n");
    rules.needs.push_back(node_of(dependency_key(*view), DependencyPart::create));
    pieces.push_back(std::move(rules));
}

void PostgreSQLBuilder::add_table_pieces(const MetaTable& table, bool keep_raw_type,
                                         std::vector<Piece>& list) const {
    add_table_pieces(table,
                     {table_create(table, keep_raw_type), table_extras(table),
                      table_foreign_keys(table), table_rules(table) + row_security(table)},
                     list);
}

void PostgreSQLBuilder::add_table_pieces(const MetaTable& table, TableTexts texts,
                                         std::vector<Piece>& list) const {
    const std::string key = dependency_key(table);
    const auto add = [&](DependencyPart part, std::uint8_t rank, std::string text) -> Piece& {
        Piece piece = piece_of(table, part, rank, std::move(text));
        if (part != DependencyPart::create)
            piece.needs.push_back(node_of(key, DependencyPart::create));
        list.push_back(std::move(piece));
        return list.back();
    };
    Piece& create = add(DependencyPart::create, table_rank, std::move(texts.create));
    const auto& options = table.get_options();
    if (const auto inherits = options.find(Keys::inherits); inherits != options.end())
        for (const QualifiedName& parent : parse_qualified_list(inherits->second))
            create.needs.push_back(table_node(parent.schema.empty() ? table.get_schema() : parent.schema,
                                              parent.name, DependencyPart::create));
    add(DependencyPart::extras, extras_rank, std::move(texts.extras));
    Piece& keys = add(DependencyPart::keys, keys_rank, std::move(texts.keys));
    keys.needs.push_back(node_of(key, DependencyPart::extras));
    for (const auto& constraint : table.get_constraints())
        if (const auto* foreign = dynamic_cast<const MetaForeignKey*>(constraint.get())) {
            const std::string& schema =
                foreign->get_refer_schema().empty() ? table.get_schema() : foreign->get_refer_schema();
            keys.needs.push_back(table_node(schema, foreign->get_refer_table(), DependencyPart::create));
            keys.needs.push_back(table_node(schema, foreign->get_refer_table(), DependencyPart::extras));
        }
    add(DependencyPart::rules, rules_rank, std::move(texts.rules));
}

std::string PostgreSQLBuilder::schemas_head(const std::vector<Ptr<MetaSchema>>& schemas) const {
    // Routine bodies may name objects created further down.
    std::string sql = "SET check_function_bodies = false;\n";
    for (const auto& schema : schemas) {
        if (!schema)
            continue;
        const std::string name = sql_name(schema->get_name());
        sql += "CREATE SCHEMA IF NOT EXISTS " + name;
        const std::string owner = ScriptText::value_of(schema->get_attributes(), Keys::owner);
        if (!owner.empty())
            sql += " AUTHORIZATION " + sql_name(owner);
        sql += ";\n";
        sql += "COMMENT ON SCHEMA " + name + " IS " + sql_literal(schema->get_comment()) + ";\n";
    }
    return sql + "\n";
}

namespace {

std::string texts_in_order(const std::vector<Piece>& pieces, const std::vector<std::size_t>& chosen) {
    std::vector<Piece> subset;
    subset.reserve(chosen.size());
    for (const std::size_t at : chosen)
        subset.push_back(pieces[at]);
    std::string sql;
    for (const std::size_t at : ScriptOrder::order(subset))
        sql += subset[at].text;
    return sql;
}

/// The table CREATE pieces and every piece they need.
std::vector<std::size_t> before_rows(const std::vector<Piece>& pieces) {
    std::vector<std::size_t> tables;
    for (std::size_t at = 0; at < pieces.size(); ++at)
        if (pieces[at].rank == table_rank || pieces[at].rank == owned_rank)
            tables.push_back(at);
    return ScriptOrder::closure(pieces, tables);
}

} // namespace

std::string PostgreSQLBuilder::build_schemas(const std::vector<Ptr<MetaSchema>>& schemas,
                                             bool keep_raw_type) const {
    const std::vector<Piece> pieces = schema_pieces(schemas, keep_raw_type);
    std::string sql = schemas_head(schemas);
    for (const std::size_t at : ScriptOrder::order(pieces))
        sql += pieces[at].text;
    return sql;
}

std::string PostgreSQLBuilder::build_schema(const Ptr<MetaSchema>& schema,
                                            bool keep_raw_type) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(schema, std::string());
    return build_schemas({schema}, keep_raw_type);
}

std::pair<std::string, std::string>
PostgreSQLBuilder::schemas_around_rows(const std::vector<Ptr<MetaSchema>>& schemas,
                                       bool keep_raw_type) const {
    const std::vector<Piece> pieces = schema_pieces(schemas, keep_raw_type);
    const std::vector<std::size_t> before = before_rows(pieces);
    std::vector<std::size_t> after;
    for (std::size_t at = 0, next = 0; at < pieces.size(); ++at) {
        if (next < before.size() && before[next] == at)
            ++next;
        else
            after.push_back(at);
    }
    return {schemas_head(schemas) + texts_in_order(pieces, before), texts_in_order(pieces, after)};
}

} // namespace Dizezida::Dovodarud::Supports::Database
