// The create script of a table: columns, primary key, checks, uniques and
// exclusions, options (inheritance, partitioning, storage), comments,
// indexes and triggers; foreign keys and rules come as separate parts so a
// schema script can add them once every table exists.
#include "Model/MetaKeys.hpp"
#include "Supports/Database/PostgreSQL/Builder/PostgreSQLBuilder.hpp"
#include "Supports/Database/PostgreSQL/Catalog/RuleText.hpp"

#include "Contracts/Database/ITypeCatalog.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/PostgreSQL/Scripts/ScriptText.hpp"
#include "Supports/Database/SqlText.hpp"
#include "core/Precondition.hpp"

#include <fmt/format.h>

namespace Dizezida::Dovodarud::Supports::Database {

namespace Keys = MetaModel::Keys;

using namespace MetaModel;

namespace {

std::string option(const MetaTable& table, const std::string& key) {
    return ScriptText::value_of(table.get_options(), key);
}

std::string quoted_columns(std::string_view text) {
    return ScriptText::quoted_list(text);
}

using ScriptText::comment_on;

/// "schema.collation" as stored, quoted ("pg_catalog.C" gives pg_catalog."C").
std::string quoted_collation(std::string_view collation) {
    const std::size_t point = collation.find('.');
    if (point == std::string_view::npos)
        return sql_name(collation);
    return sql_qualified(collation.substr(0, point), collation.substr(point + 1));
}

bool written(const MetaObject& object) {
    const auto version = object.get_version();
    return version != Zozuvoru::Contracts::DataVersion::EQUAL &&
           version != Zozuvoru::Contracts::DataVersion::REMOVE;
}

std::string deferral(std::string_view deferrable) {
    return deferrable.empty() ? std::string() : " DEFERRABLE " + std::string(deferrable);
}

} // namespace

std::string PostgreSQLBuilder::column_line(const MetaTable& table, const MetaColumn& column,
                                           bool keep_raw_type) const {
    (void)table;
    std::string type = column.get_raw_type();
    if (!keep_raw_type || type.empty() || type == "ARRAY" || type == "USER-DEFINED") {
        const auto connection = get_connection();
        const auto inspector = connection ? connection->inspector() : nullptr;
        if (inspector)
            type = inspector->get_column_sql_type(column.get_data_type(), column.get_raw_type());
    }
    std::string line = "    " + sql_name(column.get_name()) + " " + type;
    std::string upper = type;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const bool sized = upper == "VARBIT" || upper == "CHAR" || upper == "VARCHAR" ||
                       upper == "CHARACTER VARYING" || upper == "CHARACTER" ||
                       upper == "BIT VARYING";
    if (sized && column.get_length() >= 1)
        line += fmt::format("({})", column.get_length());
    else if ((upper == "NUMERIC" || upper == "DECIMAL") && column.get_length() >= 1 &&
             column.get_scale() != 0)
        line += fmt::format("({}, {})", column.get_length(), column.get_scale());
    if (!column.get_collation().empty())
        line += " COLLATE " + quoted_collation(column.get_collation());
    const bool own_not_null =
        column.get_not_null() && column.get_attributes().count(Keys::not_null_by_type) == 0;
    line += own_not_null ? " NOT NULL" : " NULL";
    if (column.get_is_virtual() && !column.get_expression().empty()) {
        line += " GENERATED ALWAYS AS (" + column.get_expression() + ") " +
                (column.get_virtual_type().empty() ? std::string("STORED")
                                                   : column.get_virtual_type());
    } else if (!column.get_default_value().empty()) {
        line += " DEFAULT " + (column.get_default_value() == "EMPYT STRING"
                                   ? std::string("''")
                                   : column.get_default_value());
    }
    if (!column.get_identity().empty()) {
        const auto& attributes = column.get_attributes();
        const auto value = [&](const char* key) {
            const auto found = attributes.find(key);
            return found == attributes.end() ? std::string() : found->second;
        };
        std::string options;
        if (!value(Keys::identity_start).empty())
            options += " START WITH " + value(Keys::identity_start);
        if (!value(Keys::identity_increment).empty())
            options += " INCREMENT BY " + value(Keys::identity_increment);
        if (!value(Keys::identity_minimum).empty())
            options += " MINVALUE " + value(Keys::identity_minimum);
        if (!value(Keys::identity_maximum).empty())
            options += " MAXVALUE " + value(Keys::identity_maximum);
        if (value(Keys::identity_cycle) == "YES")
            options += " CYCLE";
        line += " " + column.get_identity() + " AS IDENTITY";
        if (!options.empty())
            line += " (" + options.substr(1) + ")";
    }
    return line + ",\n";
}

std::vector<std::string> PostgreSQLBuilder::primary_key_names(const MetaTable& table) {
    std::vector<std::pair<std::uint8_t, std::string>> keys;
    for (const auto& column : table.get_columns())
        if (column->get_is_primary_key() &&
            column->get_version() != Zozuvoru::Contracts::DataVersion::REMOVE)
            keys.emplace_back(column->get_primary_ordinal(), sql_name(column->get_name()));
    std::sort(keys.begin(), keys.end());
    std::vector<std::string> names;
    for (const auto& key : keys)
        names.push_back(key.second);
    return names;
}

std::string PostgreSQLBuilder::constraint_clause(const MetaConstraint& constraint) const {
    const std::string named = "CONSTRAINT " + sql_name(constraint.get_name());
    if (const auto* check = dynamic_cast<const MetaCheck*>(&constraint))
        return named + " CHECK (" + check->get_check() + ")" +
               (check->get_no_inherit() ? " NO INHERIT" : "");
    if (const auto* unique = dynamic_cast<const MetaUnique*>(&constraint)) {
        std::string clause = named + " UNIQUE (" + quoted_columns(unique->get_columns()) + ")";
        if (!unique->get_include().empty())
            clause += " INCLUDE (" + quoted_columns(unique->get_include()) + ")";
        if (!unique->get_with().empty())
            clause += " WITH (" + unique->get_with() + ")";
        if (!unique->get_table_space().empty())
            clause += " USING INDEX TABLESPACE " + sql_name(unique->get_table_space());
        return clause + deferral(unique->get_deferrable());
    }
    if (const auto* exclude = dynamic_cast<const MetaExclude*>(&constraint)) {
        std::string clause = named + " EXCLUDE";
        if (!exclude->get_index_method().empty())
            clause += " USING " + exclude->get_index_method();
        clause += " (" + exclude->get_elements() + ")";
        if (!exclude->get_include().empty())
            clause += " INCLUDE (" + exclude->get_include() + ")";
        if (!exclude->get_with().empty())
            clause += " WITH (" + exclude->get_with() + ")";
        if (!exclude->get_table_space().empty())
            clause += " USING INDEX TABLESPACE " + sql_name(exclude->get_table_space());
        if (!exclude->get_where().empty())
            clause += " WHERE (" + exclude->get_where() + ")";
        return clause + deferral(exclude->get_deferrable());
    }
    return {};
}

std::string PostgreSQLBuilder::table_body(const MetaTable& table, bool keep_raw_type) const {
    return table_create(table, keep_raw_type) + table_extras(table);
}

std::string PostgreSQLBuilder::table_create(const MetaTable& table, bool keep_raw_type) const {
    const std::string name = sql_qualified(table.get_schema(), table.get_name());
    const std::string flag = option(table, Keys::flag);
    const bool partition =
        option(table, Keys::partition) == "true" && !option(table, Keys::partition_bound).empty();
    std::string sql = fmt::format("CREATE {} TABLE IF NOT EXISTS {} ",
                                  flag.empty() || flag == "PERMANENT" ? "" : flag, name);

    std::string lines;
    if (!partition) {
        // Inherited columns come with the parent.
        for (const auto& column : table.get_columns()) {
            const auto& attributes = column->get_attributes();
            if (attributes.count(Keys::inherited) == 0)
                lines += column_line(table, *column, keep_raw_type);
        }
        const std::vector<std::string> names = primary_key_names(table);
        if (!names.empty()) {
            // A name other than the one the server would give is kept.
            const auto& attributes = table.get_attributes();
            const auto named = attributes.find(Keys::primary_key);
            if (named != attributes.end() && named->second != table.get_name() + "_pkey")
                lines += "    CONSTRAINT " + sql_name(named->second);
            else
                lines += "   ";
            lines += fmt::format(
                " PRIMARY KEY ({}){},\n", fmt::join(names, ", "),
                deferral(ScriptText::value_of(attributes, Keys::primary_key_deferrable)));
        }
    }
    for (const auto& constraint : table.get_constraints()) {
        if (!written(*constraint))
            continue;
        const std::string clause = constraint_clause(*constraint);
        if (!clause.empty())
            lines += "    " + clause + ",\n";
    }
    if (partition) {
        const std::string parent = option(table, Keys::inherits);
        sql += "PARTITION OF " + parent + " ";
        if (!lines.empty())
            sql += "(\n" + lines.substr(0, lines.size() - 2) + "\n) ";
        sql += option(table, Keys::partition_bound);
    } else {
        sql += "(\n" + (lines.empty() ? std::string() : lines.substr(0, lines.size() - 2)) + "\n)";
        if (!option(table, Keys::inherits).empty())
            sql += "\nINHERITS (" + option(table, Keys::inherits) + ")";
    }
    if (!option(table, Keys::partition_keys).empty())
        sql += "\nPARTITION BY " + option(table, Keys::partition_keys);
    if (!option(table, Keys::with_arguments).empty())
        sql += "\nWITH (" + option(table, Keys::with_arguments) + ")";
    else if (option(table, Keys::with_oids) == "true")
        sql += "\nWITH OIDS";
    if (!option(table, "COMMIT").empty())
        sql += "\nON COMMIT " + option(table, "COMMIT");
    if (!option(table, Keys::tablespace).empty())
        sql += "\nTABLESPACE " + sql_name(option(table, Keys::tablespace));
    sql += ";\n";

    for (const auto& column : table.get_columns())
        sql += comment_on("COLUMN", name + "." + sql_name(column->get_name()), column->get_comment());
    sql += comment_on("TABLE", name, table.get_comment());
    for (const auto& constraint : table.get_constraints())
        if (!std::dynamic_pointer_cast<MetaForeignKey>(constraint))
            sql += comment_on("CONSTRAINT",
                              sql_name(constraint->get_name()) + " ON " + name,
                              constraint->get_comment());
    return sql + "\n";
}

std::string PostgreSQLBuilder::table_extras(const MetaTable& table) const {
    const std::string name = sql_qualified(table.get_schema(), table.get_name());
    std::string sql;
    for (const auto& index : table.get_indexes()) {
        if (index->get_version() == Zozuvoru::Contracts::DataVersion::REMOVE ||
            index->get_version() == Zozuvoru::Contracts::DataVersion::CHANGE)
            sql += "DROP INDEX IF EXISTS " + sql_qualified(table.get_schema(), index->get_name()) +
                   ";\n";
        if (written(*index) && !index->get_columns().empty())
            sql += build_index(index);
    }
    for (const auto& trigger : table.get_triggers())
        if (written(*trigger))
            sql += trigger_script(*trigger, name);
    return sql;
}

std::string PostgreSQLBuilder::table_foreign_keys(const MetaTable& table) const {
    std::string sql;
    for (const auto& constraint : table.get_constraints()) {
        const auto* key = dynamic_cast<const MetaForeignKey*>(constraint.get());
        if (key && written(*key))
            sql += foreign_key_statement(table, *key);
    }
    return sql;
}

std::string PostgreSQLBuilder::foreign_key_statement(const MetaTable& table,
                                                     const MetaForeignKey& key) const {
    const std::string name = sql_qualified(table.get_schema(), table.get_name());
    std::string sql =
        fmt::format("ALTER TABLE {} ADD CONSTRAINT {} FOREIGN KEY ({}) REFERENCES {} ({})", name,
                    sql_name(key.get_name()), quoted_columns(key.get_local_columns()),
                    sql_qualified(key.get_refer_schema().empty() ? table.get_schema()
                                                                 : key.get_refer_schema(),
                                  key.get_refer_table()),
                    quoted_columns(key.get_refer_columns()));
    if (!key.get_match_method().empty() && key.get_match_method() != "NONE")
        sql += " MATCH " + key.get_match_method();
    if (!key.get_update_action().empty())
        sql += " ON UPDATE " + key.get_update_action();
    if (!key.get_delete_action().empty())
        sql += " ON DELETE " + key.get_delete_action();
    sql += deferral(key.get_deferrable()) + ";\n";
    return sql + comment_on("CONSTRAINT", sql_name(key.get_name()) + " ON " + name, key.get_comment());
}

std::string PostgreSQLBuilder::table_rules(const MetaTable& table) const {
    return rules_script(table.get_rules(), sql_qualified(table.get_schema(), table.get_name()));
}

std::string PostgreSQLBuilder::row_security(const MetaTable& table) const {
    const std::string name = sql_qualified(table.get_schema(), table.get_name());
    const std::string security = option(table, Keys::row_security);
    std::string sql;
    if (security == "ENABLE" || security == "FORCE")
        sql += "ALTER TABLE " + name + " ENABLE ROW LEVEL SECURITY;\n";
    if (security == "FORCE")
        sql += "ALTER TABLE " + name + " FORCE ROW LEVEL SECURITY;\n";
    const std::string policies = option(table, Keys::policies);
    return policies.empty() ? sql : sql + policies + "\n";
}

std::string PostgreSQLBuilder::rules_script(const std::vector<Ptr<MetaRule>>& rules,
                                            const std::string& name, bool made_anew) const {
    using Zozuvoru::Contracts::DataVersion;
    std::string sql;
    for (const auto& rule : rules) {
        if (made_anew && rule->get_version() == DataVersion::REMOVE)
            continue;
        const auto version = made_anew ? DataVersion::APPEND : rule->get_version();
        const bool whole = !rule->get_definition().empty();
        // A rule read from a server is replaced in place; one made of parts is dropped first.
        if (version == DataVersion::REMOVE || (version == DataVersion::CHANGE && !whole))
            sql += "DROP RULE IF EXISTS " + sql_name(rule->get_name()) + " ON " + name + ";\n";
        if (version == DataVersion::EQUAL || version == DataVersion::REMOVE)
            continue;
        if (whole) {
            std::string definition = version == DataVersion::CHANGE
                                         ? replacing_rule(rule->get_definition())
                                         : rule->get_definition();
            while (!definition.empty() && (definition.back() == '\n' || definition.back() == ';'))
                definition.pop_back();
            sql += definition + ";\n";
        } else {
            sql += fmt::format("CREATE RULE {} AS ON {}\n    TO {}", sql_name(rule->get_name()),
                               rule->get_event(), name);
            if (!rule->get_where().empty())
                sql += " WHERE " + rule->get_where();
            sql += fmt::format("\n    DO {} {};\n", rule->get_action(), rule->get_commands());
        }
        if (!rule->get_enable())
            sql += "ALTER TABLE " + name + " DISABLE RULE " + sql_name(rule->get_name()) + ";\n";
        else if (version == DataVersion::CHANGE)
            sql += "ALTER TABLE " + name + " ENABLE RULE " + sql_name(rule->get_name()) + ";\n";
        sql += comment_on("RULE", sql_name(rule->get_name()) + " ON " + name, rule->get_comment());
        sql += "\n";
    }
    return sql;
}

std::string PostgreSQLBuilder::build_table(const Ptr<MetaTable>& table, bool keep_raw_type) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(table, std::string());
    return table_body(*table, keep_raw_type) + table_foreign_keys(*table) + table_rules(*table);
}

} // namespace Dizezida::Dovodarud::Supports::Database
