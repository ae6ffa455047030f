#include "Supports/Database/PostgreSQL/Builder/PostgreSQLBuilder.hpp"

#include "Contracts/Database/ITypeCatalog.hpp"
#include "Model/MetaKeys.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/PostgreSQL/Scripts/ScriptText.hpp"
#include "Supports/Database/SqlText.hpp"
#include "core/Precondition.hpp"
#include "core/Properties.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <set>

namespace Dizezida::Dovodarud::Supports::Database {

namespace Keys = MetaModel::Keys;

using namespace MetaModel;

namespace {

std::string attribute(const MetaObject& object, const std::string& key) {
    return ScriptText::value_of(object.get_attributes(), key);
}

using ScriptText::comment_on;
using ScriptText::quoted_list;
using ScriptText::dependency_order;
using ScriptText::split_list;

/// "schema.name" as the catalog stores a qualified name, quoted ("" stays "").
std::string quoted_qualified(std::string_view text) {
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos)
        return text.empty() ? std::string() : sql_name(text);
    return sql_qualified(text.substr(0, point), text.substr(point + 1));
}

std::string without_semicolon(std::string text) {
    while (!text.empty() && (text.back() == ';' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

} // namespace

std::shared_ptr<PostgreSQLBuilder>
PostgreSQLBuilder::create(const Contracts::Database::ConnectionPtr& connection) {
    DIZEZIDA_RETURN_VAL_IF_NULL(connection, nullptr);
    return std::make_shared<PostgreSQLBuilder>(connection);
}

std::string PostgreSQLBuilder::quote_identifier(std::string_view identifier,
                                                std::string_view separator,
                                                std::string_view replacement) const {
    if (separator.empty() || identifier.find(separator) == std::string_view::npos)
        return sql_name(identifier);
    std::string out;
    for (const std::string& piece : split_list(identifier, separator)) {
        if (!out.empty())
            out += separator;
        out += piece.empty() || piece == replacement ? sql_name(replacement) : sql_name(piece);
    }
    return out;
}

std::string PostgreSQLBuilder::build_create(const Ptr<MetaObject>& meta_object,
                                            bool keep_raw_type) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(meta_object, std::string());
    switch (meta_object->character()) {
    case DbObject::DATABASE:
        return create_database(std::dynamic_pointer_cast<MetaDatabase>(meta_object), keep_raw_type);
    case DbObject::FUNCTION:
    case DbObject::PROCEDURE:
        return build_function(std::dynamic_pointer_cast<MetaFunction>(meta_object));
    case DbObject::INDEX: return build_index(std::dynamic_pointer_cast<MetaIndex>(meta_object));
    case DbObject::ROLE: return build_role(std::dynamic_pointer_cast<MetaRole>(meta_object));
    case DbObject::USER: return build_user(std::dynamic_pointer_cast<MetaUser>(meta_object));
    case DbObject::SCHEMA:
        return build_schema(std::dynamic_pointer_cast<MetaSchema>(meta_object), keep_raw_type);
    case DbObject::TABLE:
        return build_table(std::dynamic_pointer_cast<MetaTable>(meta_object), keep_raw_type);
    case DbObject::TRIGGER:
        return build_trigger(std::dynamic_pointer_cast<MetaTrigger>(meta_object));
    case DbObject::VIEW:
    case DbObject::MATERIALIZED_VIEW:
        return build_view(std::dynamic_pointer_cast<MetaView>(meta_object));
    case DbObject::TYPE:
    case DbObject::DOMAIN:
        return build_type(dynamic_cast<const MetaType&>(*meta_object));
    case DbObject::SEQUENCE:
        return build_sequence(dynamic_cast<const MetaSequence&>(*meta_object));
    default: return {};
    }
}

std::string PostgreSQLBuilder::build_delete(const Ptr<MetaObject>& meta_object) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(meta_object, std::string());
    const MetaObject& o = *meta_object;
    const std::string qualified = sql_qualified(o.get_schema(), o.get_name());
    switch (o.character()) {
    case DbObject::DATABASE: return "DROP DATABASE IF EXISTS " + sql_name(o.get_name()) + ";";
    case DbObject::EVENT: return "DROP EVENT TRIGGER IF EXISTS " + sql_name(o.get_name()) + ";";
    case DbObject::FUNCTION: return "DROP FUNCTION IF EXISTS " + qualified + ";";
    case DbObject::PROCEDURE: return "DROP PROCEDURE IF EXISTS " + qualified + ";";
    case DbObject::INDEX: return "DROP INDEX IF EXISTS " + qualified + ";";
    case DbObject::SCHEMA: return "DROP SCHEMA IF EXISTS " + sql_name(o.get_name()) + ";";
    case DbObject::TABLE: return "DROP TABLE IF EXISTS " + qualified + ";";
    case DbObject::TRIGGER:
        return "DROP TRIGGER IF EXISTS " + sql_name(o.get_name()) + " ON " +
               sql_qualified(o.get_schema(),
                             dynamic_cast<const MetaTrigger&>(o).get_target()) +
               ";";
    case DbObject::USER: return "DROP USER IF EXISTS " + sql_name(o.get_name()) + ";";
    case DbObject::VIEW:
        // A materialized view answers the kind of a view.
        if (dynamic_cast<const Materialized*>(&o))
            return "DROP MATERIALIZED VIEW IF EXISTS " + qualified + ";";
        return "DROP VIEW IF EXISTS " + qualified + ";";
    case DbObject::MATERIALIZED_VIEW: return "DROP MATERIALIZED VIEW IF EXISTS " + qualified + ";";
    case DbObject::SEQUENCE: return "DROP SEQUENCE IF EXISTS " + qualified + ";";
    case DbObject::TYPE: return "DROP TYPE IF EXISTS " + qualified + ";";
    case DbObject::DOMAIN: return "DROP DOMAIN IF EXISTS " + qualified + ";";
    default: return {};
    }
}

// ---------------------------------------------------------------- database and schema

std::string PostgreSQLBuilder::create_database(const Ptr<MetaDatabase>& database,
                                               std::int32_t flag) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(database, std::string());
    std::string sql = "CREATE DATABASE " + sql_name(database->get_name()) + "\n";
    const auto& attributes = database->get_attributes();
    for (const char* key : {Keys::owner, Keys::template_database, Keys::encoding, Keys::lc_collate,
                            Keys::lc_ctype, Keys::tablespace}) {
        const auto found = attributes.find(key);
        if (found != attributes.end() && !found->second.empty())
            sql += fmt::format("  {} = {}\n", key,
                               std::string_view(key) == Keys::owner ||
                                       std::string_view(key) == Keys::template_database ||
                                       std::string_view(key) == Keys::tablespace
                                   ? sql_name(found->second)
                                   : sql_literal(found->second));
    }
    for (const char* key :
         {Keys::allow_connections, Keys::database_connection_limit, Keys::is_template}) {
        const auto found = attributes.find(key);
        if (found == attributes.end() || found->second.empty())
            continue;
        const bool number = std::string_view(key) == Keys::database_connection_limit;
        const std::string value = number ? std::to_string(std::atoll(found->second.c_str()))
                                         : (found->second == "true" ? "true" : "false");
        sql += fmt::format("  {} = {}\n", key, value);
    }
    sql.back() = ';';
    sql += '\n';
    sql += comment_on("DATABASE", sql_name(database->get_name()), database->get_comment());
    // Extensions belong to the new database, so they come after connecting.
    sql += "\\connect " + sql_name(database->get_name()) + "\n\n";
    for (const std::string& item : split_list(attribute(*database, Keys::extension), ",")) {
        const std::size_t equals = item.find('=');
        if (equals == std::string::npos || item.substr(0, equals) == "plpgsql")
            continue;
        sql += fmt::format("CREATE EXTENSION IF NOT EXISTS {} VERSION {};\n",
                           sql_name(item.substr(0, equals)), sql_literal(item.substr(equals + 1)));
    }
    return sql + build_schemas(database->get_schemas(), flag != 0);
}

std::string PostgreSQLBuilder::build_type(const MetaType& type) const {
    const std::string name = sql_qualified(type.get_schema(), type.get_name());
    const bool domain = type.get_kind() == "DOMAIN";
    std::string sql = fmt::format("CREATE {} {} AS {};\n", domain ? "DOMAIN" : "TYPE", name,
                                  type.get_definition());
    sql += comment_on(domain ? "DOMAIN" : "TYPE", name, type.get_comment());
    return sql + "\n";
}

std::string PostgreSQLBuilder::build_sequence(const MetaSequence& sequence) const {
    const std::string name = sql_qualified(sequence.get_schema(), sequence.get_name());
    std::string sql = "CREATE SEQUENCE IF NOT EXISTS " + name;
    if (!sequence.get_data_type().empty())
        sql += " AS " + sequence.get_data_type();
    sql += fmt::format(" START WITH {} INCREMENT BY {} MINVALUE {} MAXVALUE {} CACHE {} {};\n",
                       sequence.get_start(), sequence.get_increment(), sequence.get_minimum(),
                       sequence.get_maximum(), sequence.get_cache(),
                       sequence.get_cycle() ? "CYCLE" : "NO CYCLE");
    sql += comment_on("SEQUENCE", name, sequence.get_comment());
    return sql + "\n";
}

std::string PostgreSQLBuilder::own_sequence(const MetaSequence& sequence) const {
    if (sequence.get_owned_table().empty())
        return {};
    return fmt::format("ALTER SEQUENCE {} OWNED BY {}.{};\n",
                       sql_qualified(sequence.get_schema(), sequence.get_name()),
                       sql_qualified(sequence.get_owned_schema(), sequence.get_owned_table()),
                       sql_name(sequence.get_owned_column()));
}

// ---------------------------------------------------------------- views, indexes, triggers

std::string PostgreSQLBuilder::build_view(const Ptr<MetaView>& view) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(view, std::string());
    const std::string name = sql_qualified(view->get_schema(), view->get_name());
    const auto materialized = std::dynamic_pointer_cast<Materialized>(view);
    std::string sql = materialized ? "CREATE MATERIALIZED VIEW " : "CREATE VIEW ";
    sql += name + " ";
    std::string options = attribute(*view, Keys::with_option);
    std::erase(options, '{');
    std::erase(options, '}');
    if (!options.empty())
        sql += "WITH (" + options + ") ";
    sql += "AS \n" + without_semicolon(view->get_definition());
    if (materialized)
        sql += materialized->get_with_data() ? "\nWITH DATA" : "\nWITH NO DATA";
    sql += ";\n";
    const std::string owner = attribute(*view, Keys::owner);
    if (!owner.empty())
        sql += fmt::format("ALTER {} {} OWNER TO {};\n", materialized ? "MATERIALIZED VIEW" : "VIEW",
                           name, sql_name(owner));
    sql += comment_on(materialized ? "MATERIALIZED VIEW" : "VIEW", name, view->get_comment());
    if (materialized)
        for (const auto& index : materialized->get_indexes())
            sql += build_index(index);
    // A view is made anew with its rules (a changed one is dropped first).
    sql += rules_script(view->get_rules(), name, true);
    return sql + "\n";
}

std::string PostgreSQLBuilder::build_index(const Ptr<MetaIndex>& index) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(index, std::string());
    const MetaIndex& i = *index;
    std::string sql = "CREATE ";
    if (!i.get_kind().empty())
        sql += i.get_kind() + " ";
    sql += "INDEX ";
    if (i.get_is_concurrent())
        sql += "CONCURRENTLY ";
    sql += "IF NOT EXISTS " + sql_name(i.get_name()) + " ON ";
    if (i.get_is_only())
        sql += "ONLY ";
    sql += sql_qualified(i.get_schema(), i.get_entity()) + " ";
    if (!i.get_method().empty())
        sql += "USING " + i.get_method() + " ";
    const auto& columns = i.get_columns();
    if (columns.size() <= 1)
        sql += "(" + (columns.empty() ? std::string() : columns.front()) + ")\n";
    else
        sql += fmt::format("(\n    {}\n)\n", fmt::join(columns, ", \n    "));
    if (!i.get_include().empty())
        sql += "INCLUDE (" + i.get_include() + ")\n";
    if (!i.get_with().empty())
        sql += "WITH (" + i.get_with() + ")\n";
    if (!i.get_table_space().empty())
        sql += "TABLESPACE " + sql_name(i.get_table_space()) + "\n";
    if (!i.get_where().empty())
        sql += "WHERE " + i.get_where() + "\n";
    sql.back() = ';';
    sql += '\n';
    sql += comment_on("INDEX", sql_qualified(i.get_schema(), i.get_name()), i.get_comment());
    return sql + "\n";
}

std::string PostgreSQLBuilder::build_trigger(const Ptr<MetaTrigger>& trigger) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(trigger, std::string());
    return trigger_script(*trigger, sql_qualified(trigger->get_schema(), trigger->get_target()));
}

std::string PostgreSQLBuilder::trigger_script(const MetaTrigger& t, const std::string& table) const {
    std::string events;
    for (const std::string& event : split_list(t.get_event(), ",")) {
        if (!events.empty())
            events += " OR ";
        events += event;
        if (event == "UPDATE" && !t.get_columns().empty())
            events += " OF " + quoted_list(t.get_columns(), ",");
    }
    std::string sql = fmt::format("CREATE {}TRIGGER {} {} {} ON {}\n",
                                  t.get_constraint() ? "CONSTRAINT " : "", sql_name(t.get_name()),
                                  t.get_timing(), events, table);
    if (t.get_constraint()) {
        if (!t.get_refer_table().empty())
            sql += "    FROM " + quoted_qualified(t.get_refer_table()) + "\n";
        if (!t.get_deferrable().empty())
            sql += "    DEFERRABLE " + t.get_deferrable() + "\n";
    }
    if (!t.get_for_each().empty())
        sql += "    FOR EACH " + t.get_for_each() + "\n";
    if (!t.get_when().empty())
        sql += "    WHEN (" + t.get_when() + ")\n";
    sql += "    " + t.get_body() + ";\n";
    if (!t.get_enable())
        sql += "ALTER TABLE " + table + " DISABLE TRIGGER " + sql_name(t.get_name()) + ";\n";
    else if (t.get_apply() == "REPLICA" || t.get_apply() == "ALWAYS")
        sql += "ALTER TABLE " + table + " ENABLE " + t.get_apply() + " TRIGGER " +
               sql_name(t.get_name()) + ";\n";
    sql += comment_on("TRIGGER", sql_name(t.get_name()) + " ON " + table, t.get_comment());
    return sql + "\n";
}

// ---------------------------------------------------------------- routines

std::string PostgreSQLBuilder::build_function(const Ptr<MetaFunction>& function) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(function, std::string());
    const MetaFunction& f = *function;
    const std::string kind = f.get_is_function() ? "FUNCTION" : "PROCEDURE";
    const std::string name = sql_qualified(f.get_schema(), f.get_name());
    const std::string parameters = fmt::format("({})", fmt::join(f.get_parameters(), ", "));
    std::string sql;
    const std::string definition = attribute(f, Keys::definition);
    if (!definition.empty()) {
        // The server's own text: the body and every property come back as they were.
        sql = without_semicolon(definition) + ";\n";
    } else {
        sql = "CREATE " + kind + " " + name + parameters + " ";
        if (f.get_is_function() && !f.get_return_type().empty())
            sql += std::string(attribute(f, Keys::result_set) == "true" ? "RETURNS SETOF "
                                                                        : "RETURNS ") +
                   f.get_return_type() + " ";
        const std::string language = attribute(f, Keys::language);
        if (!language.empty())
            sql += "LANGUAGE " + sql_name(language) + " ";
        if (attribute(f, Keys::external_security) == "DEFINER")
            sql += "SECURITY DEFINER ";
        // A dollar tag that the body does not hold.
        std::string tag = "$body$";
        for (int n = 1; f.get_body().find(tag) != std::string::npos; ++n)
            tag = "$body" + std::to_string(n) + "$";
        sql += "AS " + tag + f.get_body() + tag + ";\n";
    }
    const std::string signature = name + "(" + attribute(f, Keys::arguments) + ")";
    const std::string owner = attribute(f, Keys::owner);
    if (!owner.empty())
        sql += "ALTER " + kind + " " + signature + " OWNER TO " + sql_name(owner) + ";\n";
    sql += comment_on(kind, signature, f.get_comment());
    return sql + "\n";
}

std::string PostgreSQLBuilder::build_caller(const Ptr<MetaFunction>& function) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(function, std::string());
    const MetaFunction& f = *function;
    const std::string name = sql_qualified(f.get_schema(), f.get_name());
    // Parameters read "[MODE ]name type[ = default]": inputs take their
    // default or a placeholder to fill in.
    std::vector<std::string> arguments, declarations, outputs;
    for (const std::string& parameter : f.get_parameters()) {
        std::vector<std::string> words = split_list(parameter, " ");
        std::string mode = "IN";
        if (!words.empty() && (words[0] == "IN" || words[0] == "OUT" || words[0] == "INOUT" ||
                               words[0] == "VARIADIC")) {
            mode = words[0];
            words.erase(words.begin());
        }
        if (words.empty())
            continue;
        const std::string& parameter_name = words[0];
        const std::size_t equals = parameter.find(" = ");
        const std::string value = equals == std::string::npos ? "_" : parameter.substr(equals + 3);
        std::string type;
        for (std::size_t w = 1; w < words.size() && words[w] != "="; ++w)
            type += (type.empty() ? "" : " ") + words[w];
        if (f.get_is_function()) {
            if (mode != "OUT")
                arguments.push_back(value);
        } else if (mode == "IN" || mode == "VARIADIC") {
            arguments.push_back(value);
        } else {
            arguments.push_back(parameter_name);
            declarations.push_back(fmt::format("DECLARE {} {}{};\n", parameter_name, type,
                                               mode == "INOUT" ? " := " + value : ""));
            outputs.push_back(parameter_name);
        }
    }
    if (f.get_is_function())
        return fmt::format("SELECT * FROM {}({});", name, fmt::join(arguments, ", "));
    std::string sql = "DO $CALLER$\n";
    for (const std::string& declaration : declarations)
        sql += declaration;
    sql += fmt::format("BEGIN\n  CALL {}({});\n", name, fmt::join(arguments, ", "));
    if (!outputs.empty())
        sql += fmt::format("  RAISE NOTICE '{}', {};\n",
                           fmt::join(std::vector<std::string>(outputs.size(), "%"), ", "),
                           fmt::join(outputs, ", "));
    return sql + "END; $CALLER$;\n";
}

// ---------------------------------------------------------------- roles

std::string PostgreSQLBuilder::account_script(const MetaRelation& account) const {
    const std::string name = sql_name(account.get_name());
    const auto is = [&](const char* key) { return attribute(account, key) == "true"; };
    std::string sql = "CREATE ROLE " + name + " WITH ";
    for (const auto& [key, word] : {std::pair{Keys::super_user, "SUPERUSER"},
                                    {Keys::create_database, "CREATEDB"},
                                    {Keys::create_role, "CREATEROLE"},
                                    {Keys::login, "LOGIN"},
                                    {Keys::replication, "REPLICATION"},
                                    {Keys::bypass, "BYPASSRLS"}})
        if (is(key))
            sql += std::string(word) + " ";
    if (!is(Keys::inherit))
        sql += "NOINHERIT ";
    const std::string limit = attribute(account, Keys::role_connection_limit);
    if (!limit.empty() && limit != "-1")
        sql += "CONNECTION LIMIT " + std::to_string(std::atoll(limit.c_str())) + " ";
    if (is(Keys::login) && !account.get_password().empty())
        sql += "PASSWORD " + sql_literal(account.get_password()) + " ";
    const std::string until = attribute(account, Keys::valid_until);
    if (!until.empty())
        sql += "VALID UNTIL " + sql_literal(until) + " ";
    sql.back() = ';';
    sql += '\n';
    sql += comment_on("ROLE", name, account.get_comment());
    for (const auto& [key, members_of] : {std::pair{Keys::roles, false}, {Keys::members, true}}) {
        std::vector<std::string> plain, admin;
        for (const std::string& item : split_list(attribute(account, key), ",")) {
            const std::size_t equals = item.rfind('=');
            (item.substr(equals + 1) == "true" ? admin : plain).push_back(sql_name(item.substr(0, equals)));
        }
        for (const auto* list : {&plain, &admin}) {
            if (list->empty())
                continue;
            const std::string others = fmt::format("{}", fmt::join(*list, ", "));
            sql += members_of ? "GRANT " + name + " TO " + others : "GRANT " + others + " TO " + name;
            sql += list == &admin ? " WITH ADMIN OPTION;\n" : ";\n";
        }
    }
    const auto& privileges = account.get_privileges();
    const auto objects = privileges.find(Keys::privilege_objects);
    for (const std::string& object : split_list(objects == privileges.end() ? "" : objects->second, ",")) {
        const auto granted = privileges.find(object);
        const std::string target = privilege_target(object);
        if (target.empty() || granted == privileges.end())
            continue;
        std::vector<std::string> plain, with_grant;
        for (const std::string& item : split_list(granted->second, ",")) {
            const std::size_t equals = item.find('=');
            if (equals == std::string::npos)
                continue;
            const std::string mark = item.substr(equals + 1);
            if (mark == "G")
                plain.push_back(item.substr(0, equals));
            else if (mark == "W")
                with_grant.push_back(item.substr(0, equals));
        }
        if (!plain.empty())
            sql += fmt::format("GRANT {} ON {} TO {};\n", fmt::join(plain, ", "), target, name);
        if (!with_grant.empty())
            sql += fmt::format("GRANT {} ON {} TO {} WITH GRANT OPTION;\n",
                               fmt::join(with_grant, ", "), target, name);
    }
    return sql;
}

std::string PostgreSQLBuilder::privilege_target(const std::string& object) const {
    const std::size_t colon = object.find(':');
    if (colon == std::string::npos)
        return {};
    std::string kind = object.substr(0, colon);
    kind = kind == "SERVER" ? "FOREIGN SERVER" : kind == "WRAPPER" ? "FOREIGN DATA WRAPPER" : kind;
    if (kind == "MATERIALIZED" || kind == "VIEW")
        kind = "TABLE";
    if (kind == "DATABASE" || kind == "COLUMN")
        return {}; // not expressible as "ON <kind> <name>"
    return kind + " " + quote_identifier(object.substr(colon + 1), ".", "*");
}

std::string PostgreSQLBuilder::build_user(const Ptr<MetaUser>& user) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(user, std::string());
    return account_script(*user);
}

std::string PostgreSQLBuilder::build_role(const Ptr<MetaRole>& role) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(role, std::string());
    return account_script(*role);
}

const Core::TypeInfo& PostgreSQLBuilder::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<PostgreSQLBuilder, SqlBuilder>(
        "DizezidaDovodarudSupportsDatabasePostgreSQLBuilder", {});
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Database

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Database::PostgreSQLBuilder)
