#include "tests/Supports/Database/PostgreSQL/ScriptRebuild.hpp"

#include "Contracts/Database/IAdaptable.hpp"
#include "Contracts/Database/IBuildable.hpp"
#include "Supports/Database/PostgreSQL/Builder/PostgreSQLBuilder.hpp"
#include "Supports/Database/SqlText.hpp"
#include "tests/support/ProviderTesting.hpp"

#include <glib.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>

namespace Dizezida::Testing {

using Dovodarud::MetaModel::MetaSchema;

std::string apply_with_psql(const std::string& conninfo, const std::string& script) {
    gchar* path = nullptr;
    const int fd = g_file_open_tmp("dizezida-ddl-XXXXXX.sql", &path, nullptr);
    EXPECT_GE(fd, 0);
    close(fd);
    g_file_set_contents(path, script.data(), static_cast<gssize>(script.size()), nullptr);
    const char* argv[] = {"psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", "-d", conninfo.c_str(),
                          "-f", path, nullptr};
    gchar* out = nullptr;
    gchar* err = nullptr;
    gint status = 0;
    GError* error = nullptr;
    const bool ran = g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr, G_SPAWN_SEARCH_PATH,
                                  nullptr, nullptr, &out, &err, &status, &error);
    std::string failure;
    if (!ran)
        failure = error->message;
    else if (!g_spawn_check_wait_status(status, nullptr))
        failure = err ? err : "psql failed";
    if (error)
        g_error_free(error);
    g_free(out);
    g_free(err);
    unlink(path);
    g_free(path);
    return failure;
}

/// What the server's own deparsers say about every user object.
std::vector<std::string> ScriptRebuild::snapshot(PostgreSQLConnection& connection,
                                                 const std::vector<std::string>& schemas) {
    std::string names;
    for (const std::string& schema : schemas)
        names += (names.empty() ? "" : ", ") + Dovodarud::Supports::Database::sql_literal(schema);
    const std::string in_schema = "n.nspname IN (" + names + ")";
    const std::string generated = major() >= 12 ? "a.attgenerated::text" : "''";
    const std::string identity = "a.attidentity::text";
    const std::vector<std::string> queries = {
        "SELECT 'relation ' || c.relname || ' ' || c.relkind::text || c.relpersistence::text || ' ' ||"
        " COALESCE(c.reloptions::text, '') || ' ' ||"
        " COALESCE(pg_catalog.pg_get_partkeydef(c.oid), '') || ' ' ||"
        " COALESCE(pg_catalog.pg_get_expr(c.relpartbound, c.oid), '') || ' ' ||"
        " COALESCE((SELECT string_agg(p.relname, ',' ORDER BY h.inhseqno) FROM pg_inherits h"
        " JOIN pg_class p ON p.oid = h.inhparent WHERE h.inhrelid = c.oid), '') ||"
        " CASE WHEN c.relkind = 'm' THEN c.relispopulated::text ELSE '' END"
        " FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE " + in_schema,
        "SELECT 'column ' || c.relname || '.' || a.attname || ' ' ||"
        " pg_catalog.format_type(a.atttypid, a.atttypmod) || ' ' || a.attnotnull || ' ' ||"
        " COALESCE(pg_catalog.pg_get_expr(ad.adbin, ad.adrelid), '') || ' ' || " + identity +
            " || " + generated + " || ' ' || COALESCE(co.collname, '') || a.attislocal"
        " FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid"
        " JOIN pg_namespace n ON n.oid = c.relnamespace"
        " LEFT JOIN pg_attrdef ad ON ad.adrelid = a.attrelid AND ad.adnum = a.attnum"
        " LEFT JOIN pg_collation co ON co.oid = a.attcollation"
        " WHERE a.attnum > 0 AND NOT a.attisdropped AND c.relkind IN ('r','p','v','m','c') AND " +
            in_schema,
        "SELECT 'constraint ' || COALESCE(c.relname, t.typname) || ' ' || con.conname || ' ' ||"
        " pg_catalog.pg_get_constraintdef(con.oid) || ' ' || con.conislocal"
        " FROM pg_constraint con JOIN pg_namespace n ON n.oid = con.connamespace"
        " LEFT JOIN pg_class c ON c.oid = con.conrelid LEFT JOIN pg_type t ON t.oid = con.contypid"
        " WHERE " + in_schema,
        "SELECT 'index ' || pg_catalog.pg_get_indexdef(i.indexrelid) FROM pg_index i"
        " JOIN pg_class c ON c.oid = i.indexrelid JOIN pg_namespace n ON n.oid = c.relnamespace"
        " WHERE " + in_schema,
        "SELECT 'view ' || c.relname || ' ' || pg_catalog.pg_get_viewdef(c.oid) FROM pg_class c"
        " JOIN pg_namespace n ON n.oid = c.relnamespace WHERE c.relkind IN ('v', 'm') AND " +
            in_schema,
        "SELECT 'routine ' || pg_catalog.pg_get_functiondef(p.oid) FROM pg_proc p"
        " JOIN pg_namespace n ON n.oid = p.pronamespace WHERE " + in_schema +
            (major() >= 11 ? " AND p.prokind <> 'a'" : " AND NOT p.proisagg"),
        "SELECT 'trigger ' || pg_catalog.pg_get_triggerdef(t.oid) || ' ' || t.tgenabled::text"
        " FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid"
        " JOIN pg_namespace n ON n.oid = c.relnamespace WHERE NOT t.tgisinternal AND " + in_schema,
        "SELECT 'rule ' || pg_catalog.pg_get_ruledef(r.oid) || ' ' || r.ev_enabled::text"
        " FROM pg_rewrite r JOIN pg_class c ON c.oid = r.ev_class"
        " JOIN pg_namespace n ON n.oid = c.relnamespace WHERE r.rulename <> '_RETURN' AND " +
            in_schema,
        "SELECT 'type ' || t.typname || ' ' || t.typtype::text || ' ' ||"
        " COALESCE(pg_catalog.format_type(t.typbasetype, t.typtypmod), '') || ' ' ||"
        " COALESCE(t.typdefault, '') || t.typnotnull || ' ' || COALESCE((SELECT string_agg("
        " e.enumlabel, ',' ORDER BY e.enumsortorder) FROM pg_enum e WHERE e.enumtypid = t.oid), '')"
        " || COALESCE((SELECT pg_catalog.format_type(r.rngsubtype, NULL) FROM pg_range r"
        " WHERE r.rngtypid = t.oid), '')"
        " FROM pg_type t JOIN pg_namespace n ON n.oid = t.typnamespace WHERE " + in_schema,
        "SELECT 'sequence ' || c.relname || ' ' || pg_catalog.format_type(s.seqtypid, NULL) ||"
        " ' ' || s.seqstart || ' ' || s.seqincrement || ' ' || s.seqmin || ' ' || s.seqmax ||"
        " ' ' || s.seqcache || ' ' || s.seqcycle || ' ' || COALESCE((SELECT oc.relname || '.' ||"
        " oa.attname || d.deptype::text FROM pg_depend d JOIN pg_class oc ON oc.oid = d.refobjid"
        " JOIN pg_attribute oa ON oa.attrelid = oc.oid AND oa.attnum = d.refobjsubid"
        " WHERE d.objid = c.oid AND d.classid = 'pg_class'::regclass"
        " AND d.refclassid = 'pg_class'::regclass AND d.deptype IN ('a', 'i')), '')"
        " FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace"
        " JOIN pg_sequence s ON s.seqrelid = c.oid WHERE " + in_schema,
        "SELECT 'row security ' || c.relname || ' ' || c.relrowsecurity || c.relforcerowsecurity"
        " FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace"
        " WHERE (c.relrowsecurity OR c.relforcerowsecurity) AND " + in_schema,
        "SELECT 'policy ' || c.relname || ' ' || p.polname || ' ' || p.polcmd::text ||"
        " p.polpermissive || ' ' || p.polroles::regrole[]::text || ' ' ||"
        " COALESCE(pg_catalog.pg_get_expr(p.polqual, p.polrelid), '') || ' ' ||"
        " COALESCE(pg_catalog.pg_get_expr(p.polwithcheck, p.polrelid), '')"
        " FROM pg_policy p JOIN pg_class c ON c.oid = p.polrelid"
        " JOIN pg_namespace n ON n.oid = c.relnamespace WHERE " + in_schema,
        "SELECT 'comment ' || pg_catalog.pg_describe_object(d.classoid, d.objoid, d.objsubid) ||"
        " ' = ' || d.description FROM pg_description d WHERE d.objoid >= 16384",
    };
    std::vector<std::string> lines;
    for (const std::string& sql : queries)
        for (const std::string& line : query(connection, sql).first_column())
            lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

ScriptRebuild::Rebuilt ScriptRebuild::rebuild(const std::vector<std::string>& names) {
    Rebuilt rebuilt;
    for (const std::string& name : names)
        rebuilt.schemas.push_back(MetaSchema::with_names(m_database.name(), name));
    const auto filled = m_super->adapter()->fill_meta_schemas(rebuilt.schemas, 1);
    if (!filled) {
        rebuilt.error = "reading the schemas: " + filled.error().message;
        return rebuilt;
    }
    auto builder = std::dynamic_pointer_cast<Dovodarud::Supports::Database::PostgreSQLBuilder>(
        m_super->builder());
    if (!builder) {
        rebuilt.error = "no PostgreSQL builder";
        return rebuilt;
    }
    rebuilt.script = names.size() == 1 ? builder->build_schema(rebuilt.schemas.front(), true)
                                       : builder->build_schemas(rebuilt.schemas, true);

    ScratchDatabase target("ddl_target");
    rebuilt.error = apply_with_psql(target.conninfo(), rebuilt.script);
    if (!rebuilt.error.empty())
        return rebuilt;
    auto copy = PostgreSQLConnection::create();
    auto server = server_from_conninfo(target.conninfo());
    server->set_uuid(unique_name("ddl-target"));
    if (const auto opened = copy->open(server, nullptr); !opened) {
        rebuilt.error = "connecting to the copy: " + opened.error().message;
        return rebuilt;
    }
    const auto original = snapshot(*m_super, names);
    const auto copied = snapshot(*copy, names);
    copy->close();
    std::vector<std::string> missing, extra;
    std::set_difference(original.begin(), original.end(), copied.begin(), copied.end(),
                        std::back_inserter(missing));
    std::set_difference(copied.begin(), copied.end(), original.begin(), original.end(),
                        std::back_inserter(extra));
    for (const std::string& line : missing)
        rebuilt.differences += "- " + line + "\n";
    for (const std::string& line : extra)
        rebuilt.differences += "+ " + line + "\n";
    return rebuilt;
}

} // namespace Dizezida::Testing
