#include "Supports/Database/PostgreSQL/Catalog/CatalogQueries.hpp"

#include "Supports/Database/SqlText.hpp"

#include <fmt/format.h>

namespace Dizezida::Dovodarud::Supports::Database::CatalogQueries {
namespace {

bool newer(std::uint32_t major, std::uint32_t version) {
    return major == 0 || major >= version;
}

/// "n.nspname = 'S'" (or "= ANY (ARRAY[...])" for several schemas) and, for
/// one object, "AND <name_column> = 'N'".
std::string filter(const Scope& scope, std::string_view name_column = {}) {
    std::string sql;
    if (scope.schemas.size() == 1) {
        sql = "n.nspname = " + sql_literal(scope.schemas.front());
    } else {
        std::string list;
        for (const std::string& schema : scope.schemas)
            list += (list.empty() ? "" : ", ") + sql_literal(schema);
        sql = "n.nspname = ANY (ARRAY[" + list + "]::pg_catalog.text[])";
    }
    if (!scope.name.empty() && !name_column.empty())
        sql += fmt::format(" AND {} = {}", name_column, sql_literal(scope.name));
    return sql;
}

/// A type as the server spells it with its modifier, qualified by its
/// schema unless it lives in pg_catalog (arrays by their element's schema).
constexpr std::string_view k_type_text =
    "CASE WHEN tn.nspname = 'pg_catalog' THEN pg_catalog.format_type(t.oid, {modifier})"
    " WHEN t.typelem <> 0 AND t.typlen = -1 THEN pg_catalog.quote_ident(etn.nspname) || '.' ||"
    " pg_catalog.quote_ident(et.typname) || '[]'"
    " ELSE pg_catalog.quote_ident(tn.nspname) || '.' || pg_catalog.quote_ident(t.typname) END";

constexpr std::string_view k_type_joins =
    " LEFT JOIN pg_catalog.pg_namespace tn ON tn.oid = t.typnamespace"
    " LEFT JOIN pg_catalog.pg_type et ON et.oid = t.typelem"
    " LEFT JOIN pg_catalog.pg_namespace etn ON etn.oid = et.typnamespace";

std::string type_text(std::string_view modifier) {
    return fmt::format(fmt::runtime(k_type_text), fmt::arg("modifier", modifier));
}

/// The columns of relations with their relation and schema (a, c, n).
constexpr std::string_view k_attribute_joins =
    " FROM pg_catalog.pg_attribute a JOIN pg_catalog.pg_class c ON c.oid = a.attrelid"
    " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace";

constexpr std::string_view k_relation_joins =
    " JOIN pg_catalog.pg_class c ON c.oid = con.conrelid"
    " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace";

} // namespace

std::string columns(const Scope& scope, std::uint32_t major, bool views) {
    const std::string_view identity = newer(major, 10) ? "a.attidentity" : "''::\"char\"";
    const std::string_view generated = newer(major, 12) ? "a.attgenerated" : "''::\"char\"";
    // The identity sequence, looked up only for identity columns.
    const std::string sequence =
        newer(major, 10)
            ? " LEFT JOIN LATERAL (SELECT s.seqstart, s.seqincrement, s.seqmax, s.seqmin,"
              " s.seqcycle FROM pg_catalog.pg_depend dep JOIN pg_catalog.pg_sequence s"
              " ON s.seqrelid = dep.objid WHERE a.attidentity <> ''"
              " AND dep.refclassid = 'pg_catalog.pg_class'::pg_catalog.regclass"
              " AND dep.refobjid = c.oid AND dep.refobjsubid = a.attnum AND dep.deptype = 'i'"
              " AND dep.classid = 'pg_catalog.pg_class'::pg_catalog.regclass) seq ON TRUE"
            : " LEFT JOIN (SELECT NULL::bigint AS seqstart, NULL::bigint AS seqincrement,"
              " NULL::bigint AS seqmax, NULL::bigint AS seqmin, NULL::boolean AS seqcycle) seq"
              " ON FALSE";
    return fmt::format(
        "SELECT n.nspname AS schema_name, c.relname AS table_name, a.attname AS column_name,"
        " a.attnum AS ordinal,"
        " CASE WHEN bt.oid IN (1042, 1043) AND tm.typmod >= 0 THEN tm.typmod - 4"
        " WHEN bt.oid IN (1560, 1562) AND tm.typmod >= 0 THEN tm.typmod END AS length,"
        // The scale is the low 11 bits, signed (negative scales from 15 on).
        " CASE WHEN bt.oid = 1700 AND tm.typmod >= 0 THEN (((tm.typmod - 4) & 2047) # 1024) - 1024"
        " END AS scale,"
        " (a.attnotnull OR (t.typtype = 'd' AND t.typnotnull)) AS not_null,"
        " a.attnotnull AS own_not_null,"
        " CASE WHEN bt.typelem <> 0 AND bt.typlen = -1 THEN 'ARRAY'"
        " WHEN btn.nspname = 'pg_catalog' THEN pg_catalog.format_type(bt.oid, NULL)"
        " ELSE 'USER-DEFINED' END AS data_type,"
        " {type} AS raw_type, a.attndims AS dimensions,"
        " ds.description AS comment,"
        " {identity} AS identity, {generated} AS generated,"
        " pg_catalog.pg_get_expr(ad.adbin, ad.adrelid) AS expression,"
        " seq.seqstart, seq.seqincrement, seq.seqmax, seq.seqmin, seq.seqcycle,"
        " co.collname, nco.nspname AS collation_schema, a.attislocal"
        " FROM pg_catalog.pg_attribute a"
        " JOIN pg_catalog.pg_class c ON c.oid = a.attrelid"
        " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
        " JOIN pg_catalog.pg_type t ON t.oid = a.atttypid{type_joins}"
        " JOIN pg_catalog.pg_type bt ON bt.oid = CASE WHEN t.typtype = 'd' THEN t.typbasetype"
        " ELSE t.oid END"
        " JOIN pg_catalog.pg_namespace btn ON btn.oid = bt.typnamespace"
        " CROSS JOIN LATERAL (SELECT CASE WHEN t.typtype = 'd' THEN t.typtypmod"
        " ELSE a.atttypmod END AS typmod) tm"
        " LEFT JOIN pg_catalog.pg_attrdef ad ON ad.adrelid = a.attrelid AND ad.adnum = a.attnum"
        " LEFT JOIN pg_catalog.pg_description ds ON ds.objoid = c.oid AND ds.objsubid = a.attnum"
        " AND ds.classoid = 'pg_catalog.pg_class'::pg_catalog.regclass"
        " LEFT JOIN (pg_catalog.pg_collation co JOIN pg_catalog.pg_namespace nco"
        " ON nco.oid = co.collnamespace) ON co.oid = a.attcollation"
        " AND (nco.nspname, co.collname) <> ('pg_catalog', 'default'){sequence}"
        " WHERE a.attnum > 0 AND NOT a.attisdropped AND c.relkind IN {kinds} AND {filter}"
        " ORDER BY n.nspname, c.relname, a.attnum",
        fmt::arg("type", type_text("a.atttypmod")), fmt::arg("type_joins", k_type_joins),
        fmt::arg("identity", identity), fmt::arg("generated", generated),
        fmt::arg("sequence", sequence), fmt::arg("filter", filter(scope, "c.relname")),
        fmt::arg("kinds", views ? "('v')" : "('r', 'p', 'f')"));
}

std::string primary_keys(const Scope& scope) {
    return fmt::format(
        "SELECT n.nspname AS schema_name, c.relname AS table_name, a.attname AS column_name,"
        " k.position, con.conname, con.condeferrable, con.condeferred"
        " FROM pg_catalog.pg_constraint con{}"
        " CROSS JOIN LATERAL pg_catalog.unnest(con.conkey) WITH ORDINALITY AS k(attnum, position)"
        " JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum = k.attnum"
        " WHERE con.contype = 'p' AND {} ORDER BY n.nspname, c.relname, k.position",
        k_relation_joins, filter(scope, "c.relname"));
}

std::string indexes(const Scope& scope, std::uint32_t major, bool by_index) {
    const std::string_view key_count = newer(major, 11) ? "x.indnkeyatts" : "x.indnatts";
    // A key: its column or expression, then a collation other than the
    // column's, an operator class other than the default, and the order.
    return fmt::format(
        "SELECT n.nspname AS schema_name, c.relname AS table_name, i.relname AS index_name, i.oid,"
        " am.amname,"
        " x.indisunique, x.indisclustered, ts.spcname AS tablespace,"
        " pg_catalog.pg_get_userbyid(i.relowner) AS owner, i.reloptions,"
        " {key_count} AS key_count,"
        " pg_catalog.pg_get_expr(x.indpred, x.indrelid, true) AS predicate,"
        " pg_catalog.obj_description(i.oid, 'pg_class') AS comment,"
        " ARRAY(SELECT CASE WHEN ka.attname IS NULL"
        "   THEN pg_catalog.pg_get_indexdef(x.indexrelid, k.position, true)"
        "   ELSE pg_catalog.quote_ident(ka.attname) END ||"
        "   CASE WHEN k.position > {key_count} THEN '' ELSE"
        "   CASE WHEN cl.oid IS NULL OR cl.oid = 100 OR cl.oid = ka.attcollation THEN ''"
        "     ELSE ' COLLATE ' || pg_catalog.quote_ident(cn.nspname) || '.' ||"
        "     pg_catalog.quote_ident(cl.collname) END ||"
        "   CASE WHEN opc.opcdefault IS DISTINCT FROM false THEN '' ELSE ' ' ||"
        "     pg_catalog.quote_ident(opn.nspname) || '.' || pg_catalog.quote_ident(opc.opcname) END ||"
        "   CASE WHEN x.indoption[k.position - 1] & 1 = 1 THEN ' DESC' ||"
        "     CASE WHEN x.indoption[k.position - 1] & 2 = 0 THEN ' NULLS LAST' ELSE '' END"
        "   WHEN x.indoption[k.position - 1] & 2 = 2 THEN ' NULLS FIRST' ELSE '' END END"
        "   FROM pg_catalog.generate_series(1, x.indnatts::int) AS k(position)"
        "   LEFT JOIN pg_catalog.pg_attribute ka ON ka.attrelid = x.indrelid"
        "     AND ka.attnum = x.indkey[k.position - 1] AND ka.attnum <> 0"
        "   LEFT JOIN pg_catalog.pg_collation cl ON cl.oid = x.indcollation[k.position - 1]"
        "   LEFT JOIN pg_catalog.pg_namespace cn ON cn.oid = cl.collnamespace"
        "   LEFT JOIN pg_catalog.pg_opclass opc ON opc.oid = x.indclass[k.position - 1]"
        "   LEFT JOIN pg_catalog.pg_namespace opn ON opn.oid = opc.opcnamespace"
        "   ORDER BY k.position) AS keys"
        " FROM pg_catalog.pg_index x"
        " JOIN pg_catalog.pg_class i ON i.oid = x.indexrelid"
        " JOIN pg_catalog.pg_class c ON c.oid = x.indrelid"
        " JOIN pg_catalog.pg_namespace n ON n.oid = i.relnamespace"
        " JOIN pg_catalog.pg_am am ON am.oid = i.relam"
        " LEFT JOIN pg_catalog.pg_tablespace ts ON ts.oid = i.reltablespace"
        " WHERE NOT EXISTS (SELECT 1 FROM pg_catalog.pg_depend d"
        " WHERE d.classid = 'pg_catalog.pg_class'::pg_catalog.regclass AND d.objid = i.oid"
        " AND d.refclassid = 'pg_catalog.pg_constraint'::pg_catalog.regclass AND d.deptype = 'i')"
        " AND NOT EXISTS (SELECT 1 FROM pg_catalog.pg_inherits h WHERE h.inhrelid = i.oid)"
        " AND {filter} ORDER BY n.nspname, c.relname, i.relname",
        fmt::arg("key_count", key_count),
        fmt::arg("filter", filter(scope, by_index ? "i.relname" : "c.relname")));
}

std::string triggers(const Scope& scope, bool by_trigger) {
    return fmt::format(
        "SELECT n.nspname AS schema_name, c.relname AS table_name, t.tgname, t.oid, c.relkind,"
        " t.tgtype, t.tgenabled,"
        " t.tgdeferrable, t.tginitdeferred, t.tgconstraint <> 0 AS is_constraint,"
        " rn.nspname AS refer_schema, rc.relname AS refer_table,"
        " pn.nspname AS function_schema, p.proname AS function_name,"
        " pg_catalog.pg_get_triggerdef(t.oid, true) AS definition,"
        " ARRAY(SELECT a.attname FROM pg_catalog.unnest(t.tgattr::pg_catalog.int2[])"
        "   WITH ORDINALITY AS k(attnum, position) JOIN pg_catalog.pg_attribute a"
        "   ON a.attrelid = t.tgrelid AND a.attnum = k.attnum ORDER BY k.position) AS columns,"
        " pg_catalog.obj_description(t.oid, 'pg_trigger') AS comment"
        " FROM pg_catalog.pg_trigger t"
        " JOIN pg_catalog.pg_class c ON c.oid = t.tgrelid"
        " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
        " JOIN pg_catalog.pg_proc p ON p.oid = t.tgfoid"
        " JOIN pg_catalog.pg_namespace pn ON pn.oid = p.pronamespace"
        " LEFT JOIN pg_catalog.pg_class rc ON rc.oid = t.tgconstrrelid"
        " LEFT JOIN pg_catalog.pg_namespace rn ON rn.oid = rc.relnamespace"
        " WHERE NOT t.tgisinternal AND {} ORDER BY n.nspname, c.relname, t.tgname",
        filter(scope, by_trigger ? "t.tgname" : "c.relname"));
}

std::string constraints(const Scope& scope, char kind, std::uint32_t major) {
    // Each kind computes only the texts it uses.
    const auto key_columns = [](std::string_view keys, std::string_view relation) {
        return fmt::format("ARRAY(SELECT a.attname FROM pg_catalog.unnest(con.{0}) WITH ORDINALITY"
                           " AS k(attnum, position) JOIN pg_catalog.pg_attribute a"
                           " ON a.attrelid = con.{1} AND a.attnum = k.attnum ORDER BY k.position)",
                           keys, relation);
    };
    const std::string local =
        kind == 'u' || kind == 'f' ? key_columns("conkey", "conrelid") : "NULL::name[]";
    const std::string refer = kind == 'f' ? key_columns("confkey", "confrelid") : "NULL::name[]";
    const std::string_view expression =
        kind == 'c' ? "pg_catalog.pg_get_expr(con.conbin, con.conrelid, true)" : "NULL::text";
    const std::string_view definition =
        kind == 'x' ? "pg_catalog.pg_get_constraintdef(con.oid, true)" : "NULL::text";
    return fmt::format(
        "SELECT n.nspname AS schema_name, c.relname AS table_name, con.conname, con.condeferrable,"
        " con.condeferred,"
        " {expression} AS expression, {definition} AS definition,"
        " con.connoinherit, con.convalidated, con.confupdtype, con.confdeltype,"
        " con.confmatchtype, fn.nspname AS foreign_schema, fc.relname AS foreign_table,"
        " {local} AS local_columns, {refer} AS refer_columns,"
        " ix.reloptions AS index_options, {include} AS include_columns,"
        " ds.description AS comment"
        " FROM pg_catalog.pg_constraint con{joins}"
        " LEFT JOIN pg_catalog.pg_class fc ON fc.oid = con.confrelid"
        " LEFT JOIN pg_catalog.pg_namespace fn ON fn.oid = fc.relnamespace"
        " LEFT JOIN pg_catalog.pg_class ix ON ix.oid = con.conindid AND con.contype <> 'f'"
        " LEFT JOIN pg_catalog.pg_description ds ON ds.objoid = con.oid AND ds.objsubid = 0"
        " AND ds.classoid = 'pg_catalog.pg_constraint'::pg_catalog.regclass"
        " WHERE con.contype = '{kind}' AND con.conislocal AND {filter}{own}"
        " ORDER BY n.nspname, c.relname, con.conname",
        fmt::arg("expression", expression), fmt::arg("definition", definition),
        fmt::arg("local", local), fmt::arg("refer", refer), fmt::arg("joins", k_relation_joins),
        fmt::arg("kind", kind), fmt::arg("filter", filter(scope, "c.relname")),
        fmt::arg("own", newer(major, 11) ? " AND con.conparentid = 0" : ""),
        fmt::arg("include", newer(major, 11) && (kind == 'u' || kind == 'x')
                                ? "ARRAY(SELECT a.attname FROM pg_catalog.pg_index xi"
                                  " CROSS JOIN LATERAL pg_catalog.unnest(xi.indkey::pg_catalog.int2[])"
                                  " WITH ORDINALITY AS k(attnum, position)"
                                  " JOIN pg_catalog.pg_attribute a ON a.attrelid = xi.indrelid"
                                  " AND a.attnum = k.attnum WHERE xi.indexrelid = con.conindid"
                                  " AND k.position > xi.indnkeyatts ORDER BY k.position)"
                                : "NULL::name[]"));
}

std::string rules(const Scope& scope, bool views) {
    return fmt::format(
        "SELECT n.nspname AS schema_name, c.relname AS table_name, r.rulename, r.oid, r.ev_type,"
        " r.is_instead,"
        " r.ev_enabled, pg_catalog.pg_get_ruledef(r.oid, true) AS definition,"
        // The rule's opening as pg_get_ruledef prints it, and its table qualified.
        " pg_catalog.quote_ident(r.rulename) AS printed_rule,"
        " CASE WHEN pg_catalog.pg_table_is_visible(c.oid) THEN pg_catalog.quote_ident(c.relname)"
        " ELSE pg_catalog.quote_ident(n.nspname) || '.' || pg_catalog.quote_ident(c.relname) END"
        " AS printed_table,"
        " pg_catalog.quote_ident(n.nspname) || '.' || pg_catalog.quote_ident(c.relname) AS qualified_table,"
        " r.ev_qual::pg_catalog.text <> '<>' AS has_condition,"
        " pg_catalog.obj_description(r.oid, 'pg_rewrite') AS comment"
        " FROM pg_catalog.pg_rewrite r JOIN pg_catalog.pg_class c ON c.oid = r.ev_class"
        " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
        " WHERE r.rulename <> '_RETURN' AND c.relkind {} AND {} ORDER BY n.nspname, c.relname, r.oid",
        views ? "= 'v'" : "<> 'v'", filter(scope, "c.relname"));
}

std::string table_options(const Scope& scope, std::uint32_t major, bool with_oids) {
    const bool partitions = newer(major, 10);
    return fmt::format(
        "SELECT n.nspname AS schema_name, c.relname AS table_name,"
        " pg_catalog.pg_get_userbyid(c.relowner) AS owner,"
        " ds.description, c.relkind,"
        " ts.spcname AS tablespace, c.reloptions, c.relpersistence, {oids} AS hasoids,"
        " {partition} AS relispartition, {bound} AS partition_bound, {keys} AS partition_keys,"
        " ARRAY(SELECT pg_catalog.quote_ident(pn.nspname) || '.' ||"
        "   pg_catalog.quote_ident(pc.relname) FROM pg_catalog.pg_inherits h"
        "   JOIN pg_catalog.pg_class pc ON pc.oid = h.inhparent"
        "   JOIN pg_catalog.pg_namespace pn ON pn.oid = pc.relnamespace"
        "   WHERE h.inhrelid = c.oid ORDER BY h.inhseqno) AS parents,"
        // Row security and each policy as the statement that makes it.
        " CASE WHEN c.relforcerowsecurity THEN 'FORCE' WHEN c.relrowsecurity THEN 'ENABLE'"
        "  ELSE '' END AS row_security,"
        " (SELECT pg_catalog.string_agg(pg_catalog.format('CREATE POLICY %I ON %I.%I AS %s FOR %s TO %s%s%s;',"
        "   p.polname, n.nspname, c.relname,"
        "   CASE WHEN p.polpermissive THEN 'PERMISSIVE' ELSE 'RESTRICTIVE' END,"
        "   CASE p.polcmd WHEN 'r' THEN 'SELECT' WHEN 'a' THEN 'INSERT' WHEN 'w' THEN 'UPDATE'"
        "   WHEN 'd' THEN 'DELETE' ELSE 'ALL' END,"
        "   CASE WHEN p.polroles = '{{0}}' THEN 'PUBLIC' ELSE (SELECT pg_catalog.string_agg("
        "   pg_catalog.quote_ident(r.rolname), ', ' ORDER BY r.rolname) FROM pg_catalog.pg_roles r"
        "   WHERE r.oid = ANY (p.polroles)) END,"
        "   ' USING (' || pg_catalog.pg_get_expr(p.polqual, p.polrelid) || ')',"
        "   ' WITH CHECK (' || pg_catalog.pg_get_expr(p.polwithcheck, p.polrelid) || ')'),"
        "   E'\\n' ORDER BY p.polname) FROM pg_catalog.pg_policy p WHERE p.polrelid = c.oid) AS policies"
        " FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
        " LEFT JOIN pg_catalog.pg_tablespace ts ON ts.oid = c.reltablespace"
        " LEFT JOIN pg_catalog.pg_description ds ON ds.objoid = c.oid AND ds.objsubid = 0"
        " AND ds.classoid = 'pg_catalog.pg_class'::pg_catalog.regclass"
        " WHERE c.relkind IN ('r', 'f', 'p') AND {filter} ORDER BY n.nspname, c.relname",
        fmt::arg("oids", with_oids ? "c.relhasoids" : "false"),
        fmt::arg("partition", partitions ? "c.relispartition" : "false"),
        fmt::arg("bound", partitions ? "pg_catalog.pg_get_expr(c.relpartbound, c.oid)" : "NULL"),
        fmt::arg("keys", partitions ? "CASE WHEN c.relkind = 'p' THEN"
                                      " pg_catalog.pg_get_partkeydef(c.oid) END"
                                    : "NULL"),
        fmt::arg("filter", filter(scope, "c.relname")));
}

std::string views(const Scope& scope) {
    return fmt::format(
        "SELECT n.nspname AS schema_name, c.relname AS view_name, c.reloptions AS options,"
        " pg_catalog.pg_get_userbyid(c.relowner) AS viewowner,"
        " pg_catalog.obj_description(c.oid, 'pg_class') AS description,"
        " pg_catalog.pg_get_viewdef(c.oid, true) AS definition,"
        " ARRAY(SELECT DISTINCT rc.relname FROM pg_catalog.pg_rewrite r"
        "   JOIN pg_catalog.pg_depend d ON d.objid = r.oid"
        "   AND d.classid = 'pg_catalog.pg_rewrite'::pg_catalog.regclass"
        "   JOIN pg_catalog.pg_class rc ON rc.oid = d.refobjid"
        "   WHERE r.ev_class = c.oid AND rc.oid <> c.oid AND rc.relkind IN ('v', 'm')"
        "   AND rc.relnamespace = c.relnamespace ORDER BY rc.relname) AS depends"
        " FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
        " WHERE c.relkind = 'v' AND {} ORDER BY n.nspname, c.relname",
        filter(scope, "c.relname"));
}

std::string materialized_views(const Scope& scope) {
    return "SELECT n.nspname AS schema_name, c.relname AS mviewname,"
           " pg_catalog.pg_get_userbyid(c.relowner) AS mviewowner,"
           " ts.spcname AS tablespace, pg_catalog.pg_get_viewdef(c.oid, true) AS definition,"
           " c.relispopulated,"
           " pg_catalog.obj_description(c.oid, 'pg_class') AS comment"
           " FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
           " LEFT JOIN pg_catalog.pg_tablespace ts ON ts.oid = c.reltablespace"
           " WHERE c.relkind = 'm' AND " +
           filter(scope) + " ORDER BY n.nspname, c.relname";
}

namespace {
constexpr std::string_view k_not_in_extension =
    " AND NOT EXISTS (SELECT 1 FROM pg_catalog.pg_depend d WHERE d.objid = {oid}"
    " AND d.classid = '{catalog}'::pg_catalog.regclass AND d.deptype = 'e')";

std::string not_in_extension(std::string_view oid, std::string_view catalog) {
    return fmt::format(fmt::runtime(k_not_in_extension), fmt::arg("oid", oid),
                       fmt::arg("catalog", catalog));
}

std::string_view routine_kind(std::uint32_t major) {
    return newer(major, 11) ? "p.prokind" : "CASE WHEN p.proisagg THEN 'a' ELSE 'f' END";
}
} // namespace

std::string schema_relations(const Scope& scope) {
    return "SELECT n.nspname AS schema_name, c.relname AS table_name, CASE WHEN c.relkind = 'v'"
           " THEN 'VIEW' ELSE 'BASE TABLE' END AS table_type"
           " FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
           " WHERE c.relkind IN ('r', 'p', 'f', 'v') AND " +
           filter(scope) + not_in_extension("c.oid", "pg_catalog.pg_class") +
           " ORDER BY n.nspname, table_type, c.relname";
}

std::string schema_routines(const Scope& scope, std::uint32_t major) {
    return fmt::format(
        "SELECT n.nspname AS schema_name, p.proname, {kind} AS prokind,"
        " pg_catalog.pg_get_function_identity_arguments(p.oid) AS arguments"
        " FROM pg_catalog.pg_proc p JOIN pg_catalog.pg_namespace n ON n.oid = p.pronamespace"
        " WHERE {filter} AND {kind} <> 'a'{extension} ORDER BY n.nspname, p.proname, p.oid",
        fmt::arg("kind", routine_kind(major)), fmt::arg("filter", filter(scope)),
        fmt::arg("extension", not_in_extension("p.oid", "pg_catalog.pg_proc")));
}

std::string routines(const Scope& scope, std::uint32_t major, bool by_arguments,
                     std::string_view arguments) {
    std::string where = filter(scope, "p.proname");
    if (by_arguments)
        where += " AND pg_catalog.pg_get_function_identity_arguments(p.oid) = " +
                 sql_literal(arguments);
    return fmt::format(
        "SELECT n.nspname AS schema_name, p.proname, {kind} AS prokind,"
        " pg_catalog.pg_get_userbyid(p.proowner) AS owner,"
        " {return_type} AS return_type, l.lanname AS language, p.prosecdef, p.proisstrict,"
        " p.proretset, p.provolatile, p.prosrc AS definition, p.probin AS objfile,"
        " p.proargnames, p.proargmodes, p.pronargs,"
        " ARRAY(SELECT {argument_type} FROM pg_catalog.unnest(COALESCE(p.proallargtypes,"
        "   p.proargtypes::pg_catalog.oid[])) WITH ORDINALITY AS k(type_oid, position)"
        "   JOIN pg_catalog.pg_type t ON t.oid = k.type_oid{type_joins}"
        "   ORDER BY k.position) AS argument_types,"
        " ARRAY(SELECT COALESCE(pg_catalog.pg_get_function_arg_default(p.oid, k.position::int), '')"
        "   FROM pg_catalog.generate_series(1, COALESCE(pg_catalog.array_length("
        "   p.proallargtypes, 1), p.pronargs)) AS k(position) ORDER BY k.position) AS defaults,"
        " p.proconfig, pg_catalog.obj_description(p.oid, 'pg_proc') AS comment,"
        " pg_catalog.pg_get_function_identity_arguments(p.oid) AS arguments,"
        " pg_catalog.pg_get_functiondef(p.oid) AS full_definition"
        " FROM pg_catalog.pg_proc p JOIN pg_catalog.pg_namespace n ON n.oid = p.pronamespace"
        " JOIN pg_catalog.pg_language l ON l.oid = p.prolang"
        " LEFT JOIN pg_catalog.pg_type t ON t.oid = p.prorettype{type_joins}"
        " WHERE {kind} <> 'a' AND {where} ORDER BY n.nspname, p.proname, p.oid",
        fmt::arg("kind", routine_kind(major)), fmt::arg("return_type", type_text("NULL")),
        fmt::arg("argument_type", type_text("NULL")), fmt::arg("type_joins", k_type_joins),
        fmt::arg("where", where));
}

namespace {
/// A type by oid as a create statement names it (see k_type_text), as a subquery.
std::string type_by_oid(std::string_view oid, std::string_view modifier) {
    return fmt::format(
        "(SELECT CASE WHEN xn.nspname = 'pg_catalog' THEN pg_catalog.format_type(xt.oid, {1})"
        " WHEN xt.typelem <> 0 AND xt.typlen = -1 THEN (SELECT pg_catalog.quote_ident(en.nspname)"
        " || '.' || pg_catalog.quote_ident(et.typname) FROM pg_catalog.pg_type et"
        " JOIN pg_catalog.pg_namespace en ON en.oid = et.typnamespace WHERE et.oid = xt.typelem)"
        " || '[]' ELSE pg_catalog.quote_ident(xn.nspname) || '.' ||"
        " pg_catalog.quote_ident(xt.typname) END FROM pg_catalog.pg_type xt"
        " JOIN pg_catalog.pg_namespace xn ON xn.oid = xt.typnamespace WHERE xt.oid = {0})",
        oid, modifier);
}

std::string collation_by_oid(std::string_view oid) {
    return fmt::format("(SELECT ' COLLATE ' || pg_catalog.quote_ident(cn.nspname) || '.' ||"
                       " pg_catalog.quote_ident(cl.collname) FROM pg_catalog.pg_collation cl"
                       " JOIN pg_catalog.pg_namespace cn ON cn.oid = cl.collnamespace"
                       " WHERE cl.oid = {} AND cl.oid <> 100)",
                       oid);
}
} // namespace

std::string types(const Scope& scope) {
    return fmt::format(
        "SELECT n.nspname AS schema_name, t.typname AS name, t.typtype, CASE t.typtype"
        " WHEN 'e' THEN 'ENUM (' || COALESCE((SELECT pg_catalog.string_agg("
        "   pg_catalog.quote_literal(e.enumlabel), ', ' ORDER BY e.enumsortorder)"
        "   FROM pg_catalog.pg_enum e WHERE e.enumtypid = t.oid), '') || ')'"
        " WHEN 'c' THEN '(' || COALESCE((SELECT pg_catalog.string_agg("
        "   pg_catalog.quote_ident(a.attname) || ' ' || {attribute_type} ||"
        "   COALESCE(CASE WHEN a.attcollation <> (SELECT at.typcollation FROM pg_catalog.pg_type at"
        "   WHERE at.oid = a.atttypid) THEN {attribute_collation} END, ''), ', '"
        "   ORDER BY a.attnum) FROM pg_catalog.pg_attribute a WHERE a.attrelid = t.typrelid"
        "   AND a.attnum > 0 AND NOT a.attisdropped), '') || ')'"
        " WHEN 'r' THEN (SELECT 'RANGE (SUBTYPE = ' || {subtype} ||"
        "   COALESCE(CASE WHEN NOT opc.opcdefault THEN ', SUBTYPE_OPCLASS = ' ||"
        "   pg_catalog.quote_ident(opn.nspname) || '.' || pg_catalog.quote_ident(opc.opcname) END, '')"
        "   || COALESCE(CASE WHEN rg.rngcollation NOT IN (0, 100) THEN ', COLLATION = ' ||"
        "   (SELECT pg_catalog.quote_ident(cn.nspname) || '.' || pg_catalog.quote_ident(cl.collname)"
        "   FROM pg_catalog.pg_collation cl JOIN pg_catalog.pg_namespace cn"
        "   ON cn.oid = cl.collnamespace WHERE cl.oid = rg.rngcollation) END, '') ||"
        "   COALESCE(CASE WHEN rg.rngsubdiff <> 0 THEN ', SUBTYPE_DIFF = ' ||"
        "   (SELECT pg_catalog.quote_ident(pn.nspname) || '.' || pg_catalog.quote_ident(p.proname)"
        "   FROM pg_catalog.pg_proc p JOIN pg_catalog.pg_namespace pn ON pn.oid = p.pronamespace"
        "   WHERE p.oid = rg.rngsubdiff) END, '') || ')'"
        "   FROM pg_catalog.pg_range rg JOIN pg_catalog.pg_opclass opc ON opc.oid = rg.rngsubopc"
        "   JOIN pg_catalog.pg_namespace opn ON opn.oid = opc.opcnamespace"
        "   WHERE rg.rngtypid = t.oid)"
        " ELSE {base_type} || COALESCE({domain_collation}, '') ||"
        "   COALESCE(' DEFAULT ' || t.typdefault, '') ||"
        "   CASE WHEN t.typnotnull THEN ' NOT NULL' ELSE '' END ||"
        "   COALESCE((SELECT pg_catalog.string_agg(' CONSTRAINT ' ||"
        "   pg_catalog.quote_ident(con.conname) || ' ' || pg_catalog.pg_get_constraintdef(con.oid, true),"
        "   '' ORDER BY con.conname) FROM pg_catalog.pg_constraint con"
        "   WHERE con.contypid = t.oid AND con.contype <> 'n'), '') END AS definition,"
        " d.description AS comment"
        " FROM pg_catalog.pg_type t JOIN pg_catalog.pg_namespace n ON n.oid = t.typnamespace"
        " LEFT JOIN pg_catalog.pg_class r ON r.oid = t.typrelid"
        " LEFT JOIN pg_catalog.pg_description d ON d.objoid = t.oid AND d.objsubid = 0"
        " AND d.classoid = 'pg_catalog.pg_type'::pg_catalog.regclass"
        " WHERE {schema} AND t.typtype IN ('e', 'c', 'r', 'd')"
        " AND (t.typtype <> 'c' OR r.relkind = 'c'){extension}"
        " ORDER BY n.nspname, CASE t.typtype WHEN 'e' THEN 1 WHEN 'r' THEN 2 WHEN 'd' THEN 3 ELSE 4"
        " END, t.oid",
        fmt::arg("attribute_type", type_by_oid("a.atttypid", "a.atttypmod")),
        fmt::arg("attribute_collation", collation_by_oid("a.attcollation")),
        fmt::arg("subtype", type_by_oid("rg.rngsubtype", "NULL")),
        fmt::arg("base_type", type_by_oid("t.typbasetype", "t.typtypmod")),
        fmt::arg("domain_collation",
                 "CASE WHEN t.typcollation <> (SELECT bt.typcollation FROM pg_catalog.pg_type bt"
                 " WHERE bt.oid = t.typbasetype) THEN " +
                     collation_by_oid("t.typcollation") + " END"),
        fmt::arg("schema", filter(scope)),
        fmt::arg("extension", not_in_extension("t.oid", "pg_catalog.pg_type")));
}

std::string sequences(const Scope& scope) {
    return "SELECT n.nspname AS schema_name, c.relname AS name,"
           " pg_catalog.format_type(s.seqtypid, NULL) AS data_type,"
           " s.seqstart, s.seqincrement, s.seqmin, s.seqmax, s.seqcache, s.seqcycle,"
           " own.nspname AS owned_schema, own.relname AS owned_table,"
           " own.attname AS owned_column, d.description AS comment"
           " FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
           " JOIN pg_catalog.pg_sequence s ON s.seqrelid = c.oid"
           " LEFT JOIN LATERAL (SELECT on_.nspname, oc.relname, oa.attname, dep.deptype"
           "   FROM pg_catalog.pg_depend dep JOIN pg_catalog.pg_class oc ON oc.oid = dep.refobjid"
           "   JOIN pg_catalog.pg_namespace on_ ON on_.oid = oc.relnamespace"
           "   JOIN pg_catalog.pg_attribute oa ON oa.attrelid = oc.oid AND oa.attnum = dep.refobjsubid"
           "   WHERE dep.classid = 'pg_catalog.pg_class'::pg_catalog.regclass AND dep.objid = c.oid"
           "   AND dep.refclassid = 'pg_catalog.pg_class'::pg_catalog.regclass"
           "   AND dep.deptype IN ('a', 'i')) own ON TRUE"
           " LEFT JOIN pg_catalog.pg_description d ON d.objoid = c.oid AND d.objsubid = 0"
           " AND d.classoid = 'pg_catalog.pg_class'::pg_catalog.regclass"
           " WHERE c.relkind = 'S' AND " +
           filter(scope) + " AND own.deptype IS DISTINCT FROM 'i'" +
           not_in_extension("c.oid", "pg_catalog.pg_class") + " ORDER BY n.nspname, c.relname";
}

namespace {

constexpr std::string_view k_relation_kind =
    "CASE c.relkind WHEN 'v' THEN 'view' WHEN 'm' THEN 'miew' WHEN 'S' THEN 'sequence'"
    " WHEN 'c' THEN 'type' ELSE 'table' END";

/// The model object (schema oid "nsp", "kind", "name") and part that a
/// dependency row's object (`side`: "" or "ref") belongs to, as a lateral
/// union with one branch per catalog. `every` adds the catalogs that only
/// dependents come from.
std::string owner_of(std::string_view side, bool every) {
    const std::string classid = fmt::format("d.{}classid", side), objid = fmt::format("d.{}objid", side);
    const auto when = [&](std::string_view catalog) {
        return fmt::format("{} = 'pg_catalog.{}'::pg_catalog.regclass", classid, catalog);
    };
    // A row type is its relation, an array its element.
    std::string sql = fmt::format(
        " SELECT c.relnamespace AS nsp, {kind} AS kind, c.relname::pg_catalog.text AS name,"
        "  'create' AS part FROM pg_catalog.pg_class c WHERE {rel} AND c.oid = {objid}"
        "  AND c.relkind IN ('r', 'p', 'f', 'v', 'm', 'S', 'c')"
        " UNION ALL SELECT b.typnamespace, CASE WHEN c.oid IS NULL THEN 'type' ELSE {kind} END,"
        "  COALESCE(c.relname, b.typname)::pg_catalog.text, 'create' FROM pg_catalog.pg_type t"
        "  JOIN pg_catalog.pg_type b ON b.oid = CASE WHEN t.typelem <> 0 AND t.typlen = -1"
        "  THEN t.typelem ELSE t.oid END LEFT JOIN pg_catalog.pg_class c ON c.oid = b.typrelid"
        "  WHERE {type} AND t.oid = {objid}"
        " UNION ALL SELECT p.pronamespace, 'function', p.proname || '(' ||"
        "  pg_catalog.pg_get_function_identity_arguments(p.oid) || ')', 'create'"
        "  FROM pg_catalog.pg_proc p WHERE {proc} AND p.oid = {objid}",
        fmt::arg("kind", k_relation_kind), fmt::arg("rel", when("pg_class")),
        fmt::arg("type", when("pg_type")), fmt::arg("proc", when("pg_proc")),
        fmt::arg("objid", objid));
    if (!every)
        return sql;
    // An index, trigger or rule that is not a view's is part of its table;
    // a key's index, a check or a default part of its CREATE; a domain's
    // check part of its domain.
    return sql + fmt::format(
        " UNION ALL SELECT c.relnamespace, {kind}, c.relname::pg_catalog.text, 'extras'"
        "  FROM pg_catalog.pg_index i JOIN pg_catalog.pg_class c ON c.oid = i.indrelid"
        "  WHERE {rel} AND i.indexrelid = {objid}"
        " UNION ALL SELECT COALESCE(c.relnamespace, t.typnamespace),"
        "  CASE WHEN c.oid IS NULL THEN 'type' ELSE {kind} END,"
        "  COALESCE(c.relname, t.typname)::pg_catalog.text,"
        "  CASE k.contype WHEN 'f' THEN 'keys' ELSE 'create' END FROM pg_catalog.pg_constraint k"
        "  LEFT JOIN pg_catalog.pg_class c ON c.oid = k.conrelid"
        "  LEFT JOIN pg_catalog.pg_type t ON t.oid = k.contypid WHERE {constraint} AND k.oid = {objid}"
        " UNION ALL SELECT c.relnamespace, {kind}, c.relname::pg_catalog.text, 'extras'"
        "  FROM pg_catalog.pg_trigger g JOIN pg_catalog.pg_class c ON c.oid = g.tgrelid"
        "  WHERE {trigger} AND g.oid = {objid}"
        " UNION ALL SELECT c.relnamespace, {kind}, c.relname::pg_catalog.text,"
        "  CASE WHEN w.rulename = '_RETURN' THEN 'create' ELSE 'rules' END"
        "  FROM pg_catalog.pg_rewrite w JOIN pg_catalog.pg_class c ON c.oid = w.ev_class"
        "  WHERE {rewrite} AND w.oid = {objid}"
        " UNION ALL SELECT c.relnamespace, 'table', c.relname::pg_catalog.text, 'create'"
        "  FROM pg_catalog.pg_attrdef a JOIN pg_catalog.pg_class c ON c.oid = a.adrelid"
        "  WHERE {attrdef} AND a.oid = {objid}"
        " UNION ALL SELECT c.relnamespace, 'table', c.relname::pg_catalog.text, 'rules'"
        "  FROM pg_catalog.pg_policy y JOIN pg_catalog.pg_class c ON c.oid = y.polrelid"
        "  WHERE {policy} AND y.oid = {objid}",
        fmt::arg("kind", k_relation_kind), fmt::arg("rel", when("pg_class")),
        fmt::arg("constraint", when("pg_constraint")), fmt::arg("trigger", when("pg_trigger")),
        fmt::arg("rewrite", when("pg_rewrite")), fmt::arg("attrdef", when("pg_attrdef")),
        fmt::arg("policy", when("pg_policy")),
        fmt::arg("objid", objid));
}

} // namespace

std::string dependencies(const Scope& scope) {
    // Only the rows that say more than the model does: what uses a routine
    // or a type, what routines, types and views use (normal rows, and the
    // automatic ones a generated column has on 12). Foreign keys,
    // inheritance and sequence ownership the model holds itself. Each row is
    // looked up in its catalogs by oid, so the cost follows these rows, not
    // the size of the catalog.
    return "WITH chosen AS (SELECT n.oid FROM pg_catalog.pg_namespace n WHERE " + filter(scope) +
           ")"
           " SELECT n.nspname AS schema_name, o.kind, o.name, o.part, q.kind AS refer_kind,"
           " m.nspname AS refer_schema, q.name AS refer_name, q.part AS refer_part"
           " FROM pg_catalog.pg_depend d"
           " CROSS JOIN LATERAL (" + owner_of("", true) + ") o"
           " CROSS JOIN LATERAL (" + owner_of("ref", false) + ") q"
           " JOIN pg_catalog.pg_namespace n ON n.oid = o.nsp"
           " JOIN pg_catalog.pg_namespace m ON m.oid = q.nsp"
           " WHERE d.deptype IN ('n', 'a') AND (d.classid IN ('pg_catalog.pg_rewrite'::pg_catalog.regclass,"
           " 'pg_catalog.pg_policy'::pg_catalog.regclass,"
           " 'pg_catalog.pg_proc'::pg_catalog.regclass, 'pg_catalog.pg_type'::pg_catalog.regclass)"
           " OR d.refclassid IN ('pg_catalog.pg_proc'::pg_catalog.regclass,"
           " 'pg_catalog.pg_type'::pg_catalog.regclass))"
           " AND d.refclassid IN ('pg_catalog.pg_class'::pg_catalog.regclass,"
           " 'pg_catalog.pg_proc'::pg_catalog.regclass, 'pg_catalog.pg_type'::pg_catalog.regclass)"
           " AND o.nsp IN (SELECT oid FROM chosen) AND q.nsp IN (SELECT oid FROM chosen)"
           " AND (o.kind, o.nsp, o.name, o.part) IS DISTINCT FROM (q.kind, q.nsp, q.name, q.part)";
}

std::string database(std::string_view name) {
    return "SELECT pg_catalog.pg_get_userbyid(d.datdba) AS owner,"
           " pg_catalog.pg_encoding_to_char(d.encoding) AS charset, d.datcollate, d.datctype,"
           " d.datistemplate, d.datallowconn, d.datconnlimit, t.spcname,"
           " pg_catalog.shobj_description(d.oid, 'pg_database') AS description"
           " FROM pg_catalog.pg_database d LEFT JOIN pg_catalog.pg_tablespace t"
           " ON d.dattablespace = t.oid WHERE d.datname = " +
           sql_literal(name);
}

std::string extensions() {
    return "SELECT e.extname, e.extversion FROM pg_catalog.pg_extension e"
           " INNER JOIN pg_catalog.pg_namespace n ON e.extnamespace = n.oid"
           " ORDER BY e.extname ASC;";
}

std::string schemas() {
    return "SELECT n.nspname AS schema_name FROM pg_catalog.pg_namespace n"
           " WHERE n.nspname !~ '^pg_(toast|temp_|toast_temp_)' ORDER BY n.nspname";
}

std::string schema_owner(const Scope& scope) {
    return "SELECT n.nspname AS schema_name, pg_catalog.pg_get_userbyid(n.nspowner) AS schema_owner,"
           " pg_catalog.obj_description(n.oid, 'pg_namespace') AS comment"
           " FROM pg_catalog.pg_namespace n WHERE " +
           filter(scope) + " ORDER BY n.nspname";
}

std::string memberships(std::string_view account) {
    return "SELECT r1.rolname AS role_name, am.admin_option FROM pg_catalog.pg_auth_members am"
           " JOIN pg_catalog.pg_roles r1 ON am.roleid = r1.oid"
           " JOIN pg_catalog.pg_roles r2 ON am.member = r2.oid WHERE r2.rolname = " +
           sql_literal(account) + " ORDER BY role_name ASC";
}

std::string members(std::string_view account) {
    return "SELECT r2.rolname AS role_name, am.admin_option FROM pg_catalog.pg_auth_members am"
           " JOIN pg_catalog.pg_roles r1 ON am.roleid = r1.oid"
           " JOIN pg_catalog.pg_roles r2 ON am.member = r2.oid WHERE r1.rolname = " +
           sql_literal(account) + " ORDER BY role_name ASC";
}

std::string privileged_objects(std::string_view object_class, std::string_view account,
                               std::string_view database, std::uint32_t major) {
    // Objects whose ACL mentions the account at all; the exact grantee is
    // matched when the ACL is read.
    const std::string mentions =
        " LIKE '%' || pg_catalog.replace(pg_catalog.replace(pg_catalog.replace(" +
        sql_literal(account) + ", '\\', '\\\\'), '%', '\\%'), '_', '\\_') || '%'";
    if (object_class == "DATABASE")
        return "SELECT d.datname AS name, d.datacl::text AS acl FROM pg_catalog.pg_database d"
               " WHERE d.datname = " +
               sql_literal(database) + " AND d.datacl::text" + mentions;
    if (object_class == "TABLESPACE")
        return "SELECT spcname AS name, spcacl::text AS acl FROM pg_catalog.pg_tablespace"
               " WHERE spcacl::text" +
               mentions + " ORDER BY spcname";
    if (object_class == "SCHEMA")
        return "SELECT nspname AS name, nspacl::text AS acl FROM pg_catalog.pg_namespace"
               " WHERE nspacl::text" +
               mentions + " ORDER BY nspname";
    if (object_class == "RELATION")
        return "SELECT n.nspname AS schema_name, c.relname AS name, c.relkind,"
               " c.relacl::text AS acl FROM pg_catalog.pg_class c"
               " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
               " WHERE c.relkind IN ('r', 'v', 'S', 'm', 'f', 'p') AND c.relacl::text" +
               mentions + " ORDER BY n.nspname, c.relname";
    if (object_class == "COLUMN")
        return "SELECT n.nspname AS schema_name, c.relname AS table_name, a.attname AS name,"
               " a.attacl::text AS acl FROM pg_catalog.pg_attribute a"
               " JOIN pg_catalog.pg_class c ON c.oid = a.attrelid"
               " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
               " WHERE NOT a.attisdropped AND a.attnum > 0 AND a.attacl::text" +
               mentions + " ORDER BY n.nspname, c.relname, a.attnum";
    if (object_class == "ROUTINE")
        return "SELECT n.nspname AS schema_name, p.proname AS name,"
               " pg_catalog.pg_get_function_identity_arguments(p.oid) AS arguments,"
               " p.prorettype = 'pg_catalog.trigger'::pg_catalog.regtype AS is_trigger,"
               " " + std::string(routine_kind(major)) + " AS prokind,"
               " p.proacl::text AS acl FROM pg_catalog.pg_proc p"
               " JOIN pg_catalog.pg_namespace n ON n.oid = p.pronamespace"
               " WHERE p.proacl::text" +
               mentions + " ORDER BY n.nspname, p.proname, p.oid";
    if (object_class == "LANGUAGE")
        return "SELECT lanname AS name, lanacl::text AS acl FROM pg_catalog.pg_language"
               " WHERE lanacl::text" +
               mentions + " ORDER BY lanname";
    if (object_class == "SERVER")
        return "SELECT srvname AS name, srvacl::text AS acl FROM pg_catalog.pg_foreign_server"
               " WHERE srvacl::text" +
               mentions + " ORDER BY srvname";
    return "SELECT fdwname AS name, fdwacl::text AS acl FROM pg_catalog.pg_foreign_data_wrapper"
           " WHERE fdwacl::text" +
           mentions + " ORDER BY fdwname";
}

std::string foreign_key_links(const Scope& scope) {
    std::string list;
    for (const std::string& schema : scope.schemas)
        list += (list.empty() ? "" : ", ") + sql_literal(schema);
    const std::string schemas = " = ANY (ARRAY[" + list + "]::pg_catalog.text[])";
    return "SELECT n.nspname AS schema_name, c.relname AS table_name, rn.nspname AS refer_schema,"
           " r.relname AS refer_table, con.conname AS name, con.condeferrable AS deferrable"
           " FROM pg_catalog.pg_constraint con" +
           std::string(k_relation_joins) +
           " JOIN pg_catalog.pg_class r ON r.oid = con.confrelid"
           " JOIN pg_catalog.pg_namespace rn ON rn.oid = r.relnamespace"
           " WHERE con.contype = 'f' AND n.nspname" +
           schemas + " AND rn.nspname" + schemas + " ORDER BY n.nspname, c.relname, con.conname";
}

std::string may_set_replication_role(std::uint32_t major) {
    if (newer(major, 15))
        return "SELECT pg_catalog.has_parameter_privilege('session_replication_role', 'SET')";
    return "SELECT r.rolsuper FROM pg_catalog.pg_roles r WHERE r.rolname = CURRENT_USER";
}

// ---------------------------------------------------------------- lookups

std::string current_database() {
    return "SELECT pg_catalog.current_database()::text AS name";
}

std::string user_schemas() {
    return "SELECT nspname::text AS name FROM pg_catalog.pg_namespace"
           " WHERE nspname !~ '^pg_' AND nspname <> 'information_schema' ORDER BY 1";
}

std::string schema_exists(std::string_view schema) {
    return "SELECT EXISTS (SELECT FROM pg_catalog.pg_namespace WHERE nspname = " +
           sql_literal(schema) + ") AS found";
}

std::string relation_names(const Scope& scope) {
    return "SELECT n.nspname::text AS schema_name, c.relname::text AS name,"
           " c.relkind::text AS kind FROM pg_catalog.pg_class c"
           " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace WHERE " +
           filter(scope, "c.relname") + " AND c.relkind IN ('r', 'p', 'v', 'm', 'f') ORDER BY 1, 2";
}

std::string type_names(const Scope& scope) {
    return "SELECT n.nspname::text AS schema_name, t.typname::text AS name"
           " FROM pg_catalog.pg_type t JOIN pg_catalog.pg_namespace n ON n.oid = t.typnamespace"
           " LEFT JOIN pg_catalog.pg_class c ON c.oid = t.typrelid WHERE " +
           filter(scope, "t.typname") +
           " AND t.typtype IN ('c', 'd', 'e', 'r') AND (c.oid IS NULL OR c.relkind = 'c')"
           " ORDER BY 1, 2";
}

std::string column_names(const Scope& scope) {
    return "SELECT a.attname::text AS name" + std::string(k_attribute_joins) + " WHERE " +
           filter(scope, "c.relname") +
           " AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum";
}

std::string data_tables(const Scope& scope) {
    return "SELECT c.relname::text AS name FROM pg_catalog.pg_class c"
           " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace WHERE " +
           filter(scope) + " AND c.relkind IN ('r', 'p') AND NOT c.relispartition ORDER BY 1";
}

std::string primary_key_columns(std::string_view schema, std::string_view table) {
    const std::string relation = schema.empty() ? sql_name(table) : sql_qualified(schema, table);
    return "SELECT a.attname::text AS name FROM pg_catalog.pg_index i"
           " JOIN pg_catalog.pg_attribute a ON a.attrelid = i.indrelid"
           " AND a.attnum = ANY (i.indkey) WHERE i.indrelid = " +
           sql_literal(relation) +
           "::pg_catalog.regclass AND i.indisprimary"
           " ORDER BY pg_catalog.array_position(i.indkey::pg_catalog.int2[], a.attnum)";
}

std::string owned_sequence(std::string_view schema, std::string_view table,
                           std::string_view column) {
    return "SELECT pg_catalog.pg_get_serial_sequence(" + sql_literal(sql_qualified(schema, table)) +
           ", " + sql_literal(column) + ") AS name";
}

std::string data_columns(const Scope& scope, std::uint32_t major) {
    return "SELECT a.attname::text AS name,"
           " coalesce(pg_catalog.array_position(i.indkey::pg_catalog.int2[], a.attnum)"
           " - pg_catalog.array_lower(i.indkey::pg_catalog.int2[], 1) + 1, 0) AS key_position,"
           " a.attidentity = 'a' AS identity_always" +
           std::string(k_attribute_joins) +
           " LEFT JOIN pg_catalog.pg_index i ON i.indrelid = c.oid AND i.indisprimary WHERE " +
           filter(scope, "c.relname") +
           " AND c.relkind IN ('r', 'p') AND a.attnum > 0 AND NOT a.attisdropped" +
           (newer(major, 12) ? " AND a.attgenerated = ''" : "") + " ORDER BY a.attnum";
}

std::string column_wire_types(const Scope& scope) {
    // Oids below 16384 belong to the system: built-in types keep theirs
    // within a major version, so binary data naming them reads the same.
    return "SELECT a.attname::text AS name, a.atttypid::pg_catalog.int8 AS type_oid,"
           " a.atttypid::pg_catalog.int8 < 16384 AS built_in,"
           " t.typsend::pg_catalog.oid <> 0 AND t.typreceive::pg_catalog.oid <> 0 AS binary_io" +
           std::string(k_attribute_joins) +
           " JOIN pg_catalog.pg_type t ON t.oid = a.atttypid WHERE " + filter(scope, "c.relname") +
           " AND a.attnum > 0 AND NOT a.attisdropped ORDER BY a.attnum";
}

std::string table_blocks(const Scope& scope) {
    return "SELECT (pg_catalog.pg_relation_size(c.oid)"
           " / pg_catalog.current_setting('block_size')::pg_catalog.int8)::pg_catalog.int8 AS blocks"
           " FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
           " WHERE " +
           filter(scope, "c.relname") + " AND c.relkind = 'r'";
}

} // namespace Dizezida::Dovodarud::Supports::Database::CatalogQueries
