// The alter side for single objects: a difference table turned into ALTER
// TABLE statements, views replaced, routines re-created, schemas and
// databases altered.
//
// A changed column is altered only in what changed: its type (with USING)
// only when the type text or collation differ, so a new default or comment
// never rewrites the table or trips over a view. Renames come first, each in
// its own statement (PostgreSQL takes RENAME alone).
#include "Supports/Database/PostgreSQL/Builder/PostgreSQLBuilder.hpp"

#include "Model/MetaKeys.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/PostgreSQL/Scripts/ScriptText.hpp"
#include "Supports/Database/SqlText.hpp"
#include "core/Precondition.hpp"

#include <fmt/format.h>

namespace Dizezida::Dovodarud::Supports::Database {

namespace Keys = MetaModel::Keys;

using namespace MetaModel;
using Zozuvoru::Contracts::DataVersion;
using ScriptText::comment_or_null;

namespace {

bool marked(const MetaObject& object, DataVersion mark) {
    return object.get_version() == mark;
}

bool dropped(const MetaObject& object) {
    return marked(object, DataVersion::REMOVE) || marked(object, DataVersion::CHANGE);
}

bool created(const MetaObject& object) {
    return marked(object, DataVersion::APPEND) || marked(object, DataVersion::CHANGE);
}

bool changed(const MetaObject& object, std::string_view path) {
    return object.diff().count(path) != 0;
}

std::string slice_of(const MetaObject& object, std::string_view path) {
    const auto found = object.slice().find(path);
    return found == object.slice().end() ? std::string() : found->second;
}

std::string option(const MetaTable& table, const std::string& key) {
    return ScriptText::value_of(table.get_options(), key);
}

std::string attribute(const MetaObject& object, const std::string& key) {
    return ScriptText::value_of(object.get_attributes(), key);
}

/// "schema.collation" as stored, quoted ("pg_catalog.C" gives pg_catalog."C").
std::string quoted_collation(std::string_view collation) {
    const std::size_t point = collation.find('.');
    if (point == std::string_view::npos)
        return sql_name(collation);
    return sql_qualified(collation.substr(0, point), collation.substr(point + 1));
}

/// The keys of a "key=value, key=value" storage option text.
std::vector<std::string> option_keys(std::string_view text) {
    std::vector<std::string> keys;
    for (const std::string& item : ScriptText::split_list(text, ","))
        keys.push_back(item.substr(0, item.find('=')));
    for (std::string& key : keys) {
        const auto first = key.find_first_not_of(' ');
        key = first == std::string::npos ? std::string() : key.substr(first);
    }
    return keys;
}

/// From PostgreSQL 18 on a NOT NULL constraint has a name made from the
/// column's; a renamed column gets the name a new one would have (the block
/// does nothing on older servers, or when the constraint was named otherwise).
std::string rename_not_null(const MetaTable& table, const std::string& from,
                            const std::string& to) {
    const std::string old_name = table.get_name() + "_" + from + "_not_null";
    const std::string new_name = table.get_name() + "_" + to + "_not_null";
    if (old_name.size() > 63 || new_name.size() > 63)
        return {};
    const std::string relation = sql_qualified(table.get_schema(), table.get_name());
    std::string body = fmt::format(
        "BEGIN IF EXISTS (SELECT 1 FROM pg_catalog.pg_constraint WHERE conrelid = {}::regclass "
        "AND conname = {}) THEN ALTER TABLE {} RENAME CONSTRAINT {} TO {}; END IF; END",
        sql_literal(relation), sql_literal(old_name), relation, sql_name(old_name),
        sql_name(new_name));
    std::string tag = "$rename$";
    for (int n = 1; body.find(tag) != std::string::npos; ++n)
        tag = "$rename" + std::to_string(n) + "$";
    return "DO " + tag + body + tag + ";\n";
}

} // namespace

void PostgreSQLBuilder::patch_column(const MetaColumn& column,
                                     std::vector<std::string>& clauses) const {
    const std::string name = sql_name(column.get_name());
    if (changed(column, "is-virtual") || changed(column, "expression") ||
        changed(column, "virtual-type")) {
        // A generation expression cannot be altered: the column is computed
        // again from its expression (or, no longer generated, keeps nothing).
        clauses.push_back("DROP COLUMN IF EXISTS " + name);
        std::string line = column_line(MetaTable(), column, true);
        clauses.push_back("ADD COLUMN " + line.substr(4, line.size() - 6));
        return;
    }
    if (changed(column, "raw-type") || changed(column, "collation") || changed(column, "length") ||
        changed(column, "scale")) {
        std::string clause = "ALTER COLUMN " + name + " TYPE " + column.get_raw_type();
        if (!column.get_collation().empty())
            clause += " COLLATE " + quoted_collation(column.get_collation());
        clauses.push_back(clause + " USING " + name + "::" + column.get_raw_type());
    }
    if (changed(column, "default-value")) {
        const std::string& value = column.get_default_value();
        clauses.push_back("ALTER COLUMN " + name +
                          (value.empty()               ? std::string(" DROP DEFAULT")
                           : value == "EMPYT STRING" ? std::string(" SET DEFAULT ''")
                                                       : " SET DEFAULT " + value));
    }
    if (changed(column, "not-null") && column.get_attributes().count(Keys::not_null_by_type) == 0)
        clauses.push_back("ALTER COLUMN " + name +
                          (column.get_not_null() ? " SET NOT NULL" : " DROP NOT NULL"));
    // A dropped identity goes before anything else runs (patch_drop_identities).
    if (changed(column, "identity") && !column.get_identity().empty() &&
        slice_of(column, "identity").empty()) {
            std::string line = column_line(MetaTable(), column, true);
            const std::size_t at = line.find(" GENERATED ");
            clauses.push_back("ALTER COLUMN " + name + " ADD" +
                              line.substr(at, line.size() - at - 2));
    } else if (!column.get_identity().empty()) {
        if (changed(column, "identity"))
            clauses.push_back("ALTER COLUMN " + name + " SET " + column.get_identity());
        const auto value = [&](const char* key) { return attribute(column, key); };
        const std::pair<const char*, std::string> settings[] = {
            {"attributes.IDENTITY_START", "SET START WITH " + value(Keys::identity_start)},
            {"attributes.IDENTITY_INCREMENT",
             "SET INCREMENT BY " + value(Keys::identity_increment)},
            {"attributes.IDENTITY_MINIMUM", "SET MINVALUE " + value(Keys::identity_minimum)},
            {"attributes.IDENTITY_MAXIMUM", "SET MAXVALUE " + value(Keys::identity_maximum)},
            {"attributes.IDENTITY_CYCLE",
             value(Keys::identity_cycle) == "YES" ? "SET CYCLE" : "SET NO CYCLE"}};
        for (const auto& [path, setting] : settings)
            if (changed(column, path))
                clauses.push_back("ALTER COLUMN " + name + " " + setting);
    }
}

void PostgreSQLBuilder::patch_options(const MetaTable& table, std::vector<std::string>& clauses,
                                      std::string& statements) const {
    const std::string name = sql_qualified(table.get_schema(), table.get_name());
    if (changed(table, "options.FLAG")) {
        const std::string flag = option(table, Keys::flag);
        if (flag == "UNLOGGED")
            clauses.push_back("SET UNLOGGED");
        else if (flag.empty() || flag == "PERMANENT")
            clauses.push_back("SET LOGGED");
    }
    if (changed(table, "options.WITH_ARGUMENTS")) {
        const std::vector<std::string> keys = option_keys(slice_of(table, "options.WITH_ARGUMENTS"));
        if (!keys.empty())
            clauses.push_back(fmt::format("RESET ({})", fmt::join(keys, ", ")));
        if (!option(table, Keys::with_arguments).empty())
            clauses.push_back("SET (" + option(table, Keys::with_arguments) + ")");
    }
    if (changed(table, "options.WITH_OIDS") && option(table, Keys::with_oids) != "true")
        clauses.push_back("SET WITHOUT OIDS");
    if (changed(table, "options.TABLESPACE"))
        clauses.push_back("SET TABLESPACE " + (option(table, Keys::tablespace).empty()
                                                   ? std::string("pg_default")
                                                   : sql_name(option(table, Keys::tablespace))));
    const bool partition = option(table, Keys::partition) == "true";
    if (changed(table, "options.INHERITS") && !partition) {
        const auto before = ScriptText::split_list(slice_of(table, "options.INHERITS"));
        const auto after = ScriptText::split_list(option(table, Keys::inherits));
        for (const std::string& parent : before)
            if (std::find(after.begin(), after.end(), parent) == after.end())
                clauses.push_back("NO INHERIT " + parent);
        for (const std::string& parent : after)
            if (std::find(before.begin(), before.end(), parent) == before.end())
                clauses.push_back("INHERIT " + parent);
    }
    if (changed(table, "options.PARTITION_BOUND") || (partition && changed(table, "options.INHERITS"))) {
        const std::string old_parent = changed(table, "options.INHERITS")
                                           ? slice_of(table, "options.INHERITS")
                                           : option(table, Keys::inherits);
        if (!old_parent.empty() && !slice_of(table, "options.PARTITION_BOUND").empty())
            statements += "ALTER TABLE " + old_parent + " DETACH PARTITION " + name + ";\n";
        if (partition && !option(table, Keys::partition_bound).empty())
            statements += "ALTER TABLE " + option(table, Keys::inherits) + " ATTACH PARTITION " +
                          name + " " + option(table, Keys::partition_bound) + ";\n";
    }
}

std::string PostgreSQLBuilder::patch_drop_foreign_keys(const MetaTable& table) const {
    std::string sql;
    const std::string name = sql_qualified(table.get_schema(), table.get_name());
    for (const auto& constraint : table.get_constraints())
        if (dynamic_cast<const MetaForeignKey*>(constraint.get()) && dropped(*constraint))
            sql += "ALTER TABLE " + name + " DROP CONSTRAINT IF EXISTS " +
                   sql_name(constraint->get_name()) + ";\n";
    return sql;
}

namespace {

/// The policy names of the statements "CREATE POLICY name ON ...", one a line.
std::vector<std::string> policy_names(std::string_view statements) {
    constexpr std::string_view head = "CREATE POLICY ";
    std::vector<std::string> names;
    for (std::size_t at = statements.find(head); at != std::string_view::npos;
         at = statements.find(head, at + 1)) {
        if (at != 0 && statements[at - 1] != '\n')
            continue;
        std::size_t i = at + head.size();
        std::string name;
        if (i < statements.size() && statements[i] == '"') {
            for (++i; i < statements.size(); ++i) {
                if (statements[i] == '"' && i + 1 < statements.size() && statements[i + 1] == '"')
                    name += statements[++i];
                else if (statements[i] == '"')
                    break;
                else
                    name += statements[i];
            }
        } else {
            while (i < statements.size() && statements[i] != ' ')
                name += statements[i++];
        }
        names.push_back(name);
    }
    return names;
}

} // namespace

std::string PostgreSQLBuilder::patch_row_security(const MetaTable& table) const {
    const std::string name = sql_qualified(table.get_schema(), table.get_name());
    std::string sql;
    if (changed(table, "options.ROW_SECURITY")) {
        const std::string security = option(table, Keys::row_security);
        sql += "ALTER TABLE " + name +
               (security.empty() ? " DISABLE" : " ENABLE") + " ROW LEVEL SECURITY;\n";
        sql += "ALTER TABLE " + name + (security == "FORCE" ? " FORCE" : " NO FORCE") +
               " ROW LEVEL SECURITY;\n";
    }
    if (changed(table, "options.POLICIES")) {
        // Policies are made again whole: a policy's command cannot change.
        for (const std::string& policy : policy_names(slice_of(table, "options.POLICIES")))
            sql += "DROP POLICY IF EXISTS " + sql_name(policy) + " ON " + name + ";\n";
        if (!option(table, Keys::policies).empty())
            sql += option(table, Keys::policies) + "\n";
    }
    return sql;
}

std::string PostgreSQLBuilder::patch_drop_identities(const MetaTable& table) const {
    std::string sql;
    const std::string name = sql_qualified(table.get_schema(), table.get_name());
    for (const auto& column : table.get_columns()) {
        if (!marked(*column, DataVersion::CHANGE) || !changed(*column, "identity"))
            continue;
        const std::string alter = "ALTER TABLE " + name + " ALTER COLUMN " + sql_name(column->get_name());
        if (column->get_identity().empty())
            sql += alter + " DROP IDENTITY IF EXISTS;\n";
        else if (slice_of(*column, "identity").empty())
            sql += alter + " DROP DEFAULT;\n";
    }
    return sql;
}

std::string PostgreSQLBuilder::patch_table_body(const MetaTable& table) const {
    const std::string name = sql_qualified(table.get_schema(), table.get_name());
    std::string sql;
    for (const auto& column : table.get_columns())
        if (marked(*column, DataVersion::CHANGE) && !column->get_original().empty() &&
            column->get_original() != column->get_name())
        {
            sql += "ALTER TABLE " + name + " RENAME COLUMN " + sql_name(column->get_original()) +
                   " TO " + sql_name(column->get_name()) + ";\n";
            if (column->get_not_null())
                sql += rename_not_null(table, column->get_original(), column->get_name());
        }

    std::vector<std::string> clauses;
    for (const auto& constraint : table.get_constraints())
        if (!dynamic_cast<const MetaForeignKey*>(constraint.get()) && dropped(*constraint))
            clauses.push_back("DROP CONSTRAINT IF EXISTS " + sql_name(constraint->get_name()));
    const bool key_changed = changed(table, "primary-key");
    if (key_changed && !slice_of(table, "primary-key").empty())
        clauses.push_back("DROP CONSTRAINT IF EXISTS " + sql_name(slice_of(table, "primary-key")));
    for (const auto& column : table.get_columns())
        if (marked(*column, DataVersion::REMOVE))
            clauses.push_back("DROP COLUMN IF EXISTS " + sql_name(column->get_name()));
    for (const auto& column : table.get_columns()) {
        if (marked(*column, DataVersion::CHANGE)) {
            patch_column(*column, clauses);
        } else if (marked(*column, DataVersion::APPEND) &&
                   column->get_attributes().count(Keys::inherited) == 0) {
            const std::string line = column_line(table, *column, true);
            clauses.push_back("ADD COLUMN " + line.substr(4, line.size() - 6));
        }
    }
    if (key_changed) {
        const std::vector<std::string> names = primary_key_names(table);
        if (!names.empty()) {
            const std::string key_name = attribute(table, Keys::primary_key);
            clauses.push_back(
                "ADD " +
                (key_name.empty() ? std::string() : "CONSTRAINT " + sql_name(key_name) + " ") +
                fmt::format("PRIMARY KEY ({})", fmt::join(names, ", ")) +
                (attribute(table, Keys::primary_key_deferrable).empty()
                     ? std::string()
                     : " DEFERRABLE " + attribute(table, Keys::primary_key_deferrable)));
        }
    }
    for (const auto& constraint : table.get_constraints()) {
        if (!created(*constraint))
            continue;
        const std::string clause = constraint_clause(*constraint);
        if (!clause.empty())
            clauses.push_back("ADD " + clause);
    }
    std::string statements;
    patch_options(table, clauses, statements);
    if (!clauses.empty())
        sql += fmt::format("ALTER TABLE {}\n    {};\n", name, fmt::join(clauses, ",\n    "));
    sql += statements;

    for (const auto& column : table.get_columns())
        if ((marked(*column, DataVersion::CHANGE) && changed(*column, "comment")) ||
            (marked(*column, DataVersion::APPEND) && !column->get_comment().empty()))
            sql += comment_or_null("COLUMN", name + "." + sql_name(column->get_name()),
                                   column->get_comment());
    if (changed(table, "comment"))
        sql += comment_or_null("TABLE", name, table.get_comment());
    for (const auto& constraint : table.get_constraints())
        if (created(*constraint) && !dynamic_cast<const MetaForeignKey*>(constraint.get()) &&
            !constraint->get_comment().empty())
            sql += comment_or_null("CONSTRAINT", sql_name(constraint->get_name()) + " ON " + name,
                                   constraint->get_comment());
    for (const auto& index : table.get_indexes()) {
        if (dropped(*index))
            sql += "DROP INDEX IF EXISTS " + sql_qualified(table.get_schema(), index->get_name()) +
                   ";\n";
        if (created(*index) && !index->get_columns().empty()) {
            auto placed = index->clone_as<MetaIndex>();
            placed->set_schema(table.get_schema());
            placed->set_entity(table.get_name());
            sql += build_index(placed);
        }
    }
    for (const auto& trigger : table.get_triggers()) {
        if (dropped(*trigger))
            sql += "DROP TRIGGER IF EXISTS " + sql_name(trigger->get_name()) + " ON " + name + ";\n";
        if (created(*trigger))
            sql += trigger_script(*trigger, name);
    }
    return sql;
}

std::string PostgreSQLBuilder::patch_table(const Ptr<MetaTable>& table) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(table, std::string());
    return patch_drop_foreign_keys(*table) + patch_table_body(*table) +
           table_foreign_keys(*table) + table_rules(*table);
}

std::string PostgreSQLBuilder::patch_view(const Ptr<MetaView>& view) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(view, std::string());
    std::string script = build_view(view);
    if (std::dynamic_pointer_cast<Materialized>(view))
        return build_delete(view) + "\n" + script;
    return "CREATE OR REPLACE " + script.substr(std::string_view("CREATE ").size());
}

bool PostgreSQLBuilder::routine_dropped_first(const MetaFunction& routine) {
    return changed(routine, "return-type") || changed(routine, "attributes.RESULT SET") ||
           attribute(routine, Keys::definition).empty();
}

std::string PostgreSQLBuilder::build_patch(const Ptr<MetaObject>& meta_object) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(meta_object, std::string());
    switch (meta_object->character()) {
    case DbObject::FUNCTION:
    case DbObject::PROCEDURE: {
        auto routine = std::dynamic_pointer_cast<MetaFunction>(meta_object);
        std::string sql;
        // CREATE OR REPLACE keeps what depends on the routine; a routine
        // whose result changes must go first, by its signature.
        if (routine_dropped_first(*routine))
            sql = fmt::format("DROP {} IF EXISTS {}({});\n",
                              routine->get_is_function() ? "FUNCTION" : "PROCEDURE",
                              sql_qualified(routine->get_schema(), routine->get_name()),
                              attribute(*routine, Keys::arguments));
        return sql + build_function(routine);
    }
    case DbObject::ROLE:
    case DbObject::USER: return patch_role_with_user(meta_object);
    case DbObject::TABLE: return patch_table(std::dynamic_pointer_cast<MetaTable>(meta_object));
    case DbObject::VIEW:
    case DbObject::MATERIALIZED_VIEW:
        return patch_view(std::dynamic_pointer_cast<MetaView>(meta_object));
    default: return {};
    }
}

std::string PostgreSQLBuilder::alter_schema(const Ptr<MetaSchema>& schema_old,
                                            const Ptr<MetaSchema>& schema_new) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(schema_old, std::string());
    DIZEZIDA_RETURN_VAL_IF_NULL(schema_new, std::string());
    std::string sql;
    const std::string name = sql_name(schema_new->get_name());
    if (schema_old->get_name() != schema_new->get_name())
        sql += "ALTER SCHEMA " + sql_name(schema_old->get_name()) + " RENAME TO " + name + ";\n";
    const std::string owner = attribute(*schema_new, Keys::owner);
    if (attribute(*schema_old, Keys::owner) != owner && !owner.empty())
        sql += "ALTER SCHEMA " + name + " OWNER TO " + sql_name(owner) + ";\n";
    return sql + comment_or_null("SCHEMA", name, schema_new->get_comment());
}

std::string PostgreSQLBuilder::alter_database(const Ptr<MetaDatabase>& database_old,
                                              const Ptr<MetaDatabase>& database_new) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(database_old, std::string());
    DIZEZIDA_RETURN_VAL_IF_NULL(database_new, std::string());
    std::string sql;
    const std::string name = sql_name(database_new->get_name());
    if (database_old->get_name() != database_new->get_name())
        sql += "ALTER DATABASE " + sql_name(database_old->get_name()) + " RENAME TO " + name + ";\n";
    const auto differs = [&](const char* key) {
        const auto& before = database_old->get_attributes();
        const auto& after = database_new->get_attributes();
        const auto old_value = before.find(key);
        const auto new_value = after.find(key);
        if (old_value == before.end() || new_value == after.end())
            return (old_value == before.end()) != (new_value == after.end());
        return old_value->second != new_value->second;
    };
    const auto value = [&](const char* key) { return attribute(*database_new, key); };
    std::vector<std::string> settings;
    for (const char* key : {Keys::allow_connections, Keys::is_template})
        if (differs(key))
            settings.push_back(fmt::format("{} {}", key, value(key) == "true" ? "true" : "false"));
    if (differs(Keys::database_connection_limit))
        settings.push_back(fmt::format("CONNECTION LIMIT {}",
                                       std::atoll(value(Keys::database_connection_limit).c_str())));
    if (!settings.empty())
        sql += fmt::format("ALTER DATABASE {}\n  {};\n", name, fmt::join(settings, "\n  "));
    if (differs(Keys::owner) && !value(Keys::owner).empty())
        sql += "ALTER DATABASE " + name + " OWNER TO " + sql_name(value(Keys::owner)) + ";\n";
    for (const char* key : {"TEMPLATE", Keys::encoding, Keys::lc_collate, Keys::lc_ctype})
        if (differs(key))
            sql += fmt::format("-- {} of database {} cannot be changed in place (wanted: {})\n",
                               key, name, value(key));
    if (differs(Keys::tablespace) && !value(Keys::tablespace).empty())
        sql += "ALTER DATABASE " + name + " SET TABLESPACE " + sql_name(value(Keys::tablespace)) +
               ";\n";
    if (database_old->get_comment() != database_new->get_comment())
        sql += comment_or_null("DATABASE", name, database_new->get_comment());
    sql += patch_extensions(attribute(*database_old, Keys::extension),
                            attribute(*database_new, Keys::extension));
    return sql;
}

std::string PostgreSQLBuilder::patch_extensions(std::string_view before,
                                                std::string_view after) const {
    std::map<std::string, std::string> installed;
    for (const std::string& item : ScriptText::split_list(before, ",")) {
        const std::size_t equals = item.find('=');
        installed.emplace(item.substr(0, equals),
                          equals == std::string::npos ? std::string() : item.substr(equals + 1));
    }
    std::string sql;
    for (const std::string& item : ScriptText::split_list(after, ",")) {
        const std::size_t equals = item.find('=');
        const std::string extension = item.substr(0, equals);
        const std::string version =
            equals == std::string::npos ? std::string() : item.substr(equals + 1);
        const auto found = installed.find(extension);
        if (found == installed.end())
            sql += "CREATE EXTENSION IF NOT EXISTS " + sql_name(extension) +
                   (version.empty() ? std::string() : " VERSION " + sql_literal(version)) + ";\n";
        else if (found->second != version && !version.empty())
            sql += "ALTER EXTENSION " + sql_name(extension) + " UPDATE TO " +
                   sql_literal(version) + ";\n";
    }
    return sql;
}

} // namespace Dizezida::Dovodarud::Supports::Database
