// The PostgreSQL dialect's SQL run on the server under test: every listing
// runs as the superuser and as an ordinary role, gives the columns callers
// read and the same rows twice; statements that change objects change only
// the object named.
#include "tests/Supports/Database/PostgreSQL/CatalogServer.hpp"

#include "Supports/Database/SqlText.hpp"

#include <functional>
#include <map>
#include <set>

using namespace Dizezida;
using namespace Dizezida::Testing;
using Dovodarud::Supports::Database::sql_name;
using Dovodarud::Supports::Database::sql_qualified;
using Zozuvoru::Contracts::DbObject;

namespace {

using Columns = std::vector<std::string>;

class PostgreSQLStatementOnServer : public CatalogServer {
protected:
    struct Listing {
        std::string title;
        std::string sql;
        Columns columns;
    };

    /// Every listing of the dialect for the scratch objects.
    std::vector<Listing> listings(PostgreSQLStatement& s, bool reads_rows) {
        const std::string db = m_database.name();
        std::int32_t flag = 0, second = 0;
        const Columns conname{"conname"};
        const Columns detail{"oids",          "rolname",       "rolsuper",     "rolinherit",
                             "rolcreaterole", "rolcreatedb",   "rolbypassrls", "rolreplication",
                             "rolcanlogin",   "rolconnlimit",  "rolpassword",  "rolvaliduntil",
                             "comment"};
        std::vector<Listing> all{
            {"databases", s.show_databases(flag), {"datname"}},
            {"tables", s.show_tables(db, k_schema, flag), {"table_name", "table_schema"}},
            {"views", s.show_views(db, k_schema, flag), {"table_name", "table_schema"}},
            {"table spaces", s.show_table_spaces(db, flag), {"name"}},
            {"schemas", s.show_table_schemas(db, flag), {"schema_name"}},
            {"checks", s.show_checks(db, k_schema, flag), conname},
            {"excludes", s.show_excludes(db, k_schema, flag), conname},
            {"foreigns", s.show_foreigns(db, k_schema, flag), conname},
            {"rules", s.show_rules(db, k_schema, flag), {"rulename"}},
            {"uniques", s.show_uniques(db, k_schema, flag), conname},
            {"indexes", s.show_indexes(db, k_schema, flag), {"indexname"}},
            {"triggers", s.show_triggers(db, k_schema, flag), conname},
            {"functions", s.show_functions(db, k_schema, flag), {"routine_name"}},
            {"procedures", s.show_procedures(db, k_schema, flag), {"proname"}},
            {"structure",
             s.show_structure(db, k_schema, k_table, flag),
             {"column_name", "data_type", "udt_name", "character_maximum_length", "is_nullable",
              "column_default"}},
            {"users", s.show_users(db, k_schema, flag), {"rolname"}},
            {"roles", s.show_roles(db, k_schema, flag), {"rolname"}},
            {"user detail", s.show_user_detail(db, k_schema, "postgres"), detail},
            {"role detail", s.show_role_detail(db, k_schema, "pg_monitor"), detail},
            {"privileges", s.show_privileges(flag, second), {"privilege", "context", "comment"}},
            {"relations",
             s.show_relations(db, k_schema, k_table),
             {"column_name", "constraint_name", "referenced_column_name",
              "referenced_table_name"}},
            {"function source", s.show_source(DbObject::FUNCTION, db, k_schema, "Tot'al", flag),
             {"pg_get_functiondef"}},
            {"index source", s.show_source(DbObject::INDEX, k_schema, k_table, "Idx'1", flag),
             {"indexdef"}},
            {"trigger source", s.show_source(DbObject::TRIGGER, k_schema, k_table, "Tr'ig", flag),
             {"def"}},
            {"view source", s.show_source(DbObject::VIEW, db, k_schema, "V'iew", flag),
             {"definition"}},
        };
        if (reads_rows) {
            all.push_back({"content", s.show_content(db, k_schema, k_table, "*", "", "", 0, 1),
                           {"id", "parent_id", "note"}});
            all.push_back(
                {"effected", s.show_effected(db, k_schema, k_table, "id > 1"), {"count"}});
        }
        return all;
    }

    /// Runs every listing twice on a connection; the results by title.
    std::map<std::string, QueryResult> run_listings(PostgreSQLConnection& connection,
                                                    bool reads_rows) {
        std::map<std::string, QueryResult> results;
        for (const Listing& listing : listings(dialect(connection), reads_rows)) {
            SCOPED_TRACE(listing.title);
            const QueryResult first = query(connection, listing.sql);
            EXPECT_EQ(first.columns, listing.columns) << listing.sql;
            // Databases and roles are the whole cluster's, which other tests
            // change while this one runs.
            const bool cluster_wide = listing.title == "databases" ||
                                      listing.title == "users" || listing.title == "roles";
            if (!cluster_wide) {
                EXPECT_EQ(query(connection, listing.sql).rows, first.rows) << listing.sql;
            }
            results[listing.title] = first;
        }
        return results;
    }
};

TEST_F(PostgreSQLStatementOnServer, ListingsFindTheSchemasObjectsAsSuperuser) {
    auto results = run_listings(*m_super, true);
    EXPECT_TRUE(results["databases"].has_row_starting(m_database.name()));
    EXPECT_EQ(results["tables"].first_column(), (Columns{k_table, "orders", "parent"}));
    EXPECT_EQ(results["views"].first_column(), Columns{"V'iew"});
    EXPECT_TRUE(results["table spaces"].has_row_starting("pg_default"));
    EXPECT_TRUE(results["schemas"].has_row_starting(k_schema));
    EXPECT_EQ(results["checks"].first_column(), Columns{"Ch'eck"});
    EXPECT_EQ(results["excludes"].first_column(), Columns{"Ex'clude"});
    EXPECT_EQ(results["foreigns"].first_column(), Columns{"Fk'1"});
    EXPECT_EQ(results["uniques"].first_column(), Columns{"U'nique"});
    EXPECT_EQ(results["rules"].first_column(), Columns{"R'ule"});
    EXPECT_TRUE(results["indexes"].has_row_starting("Idx'1"));
    // User triggers only: not the ones the foreign key made.
    EXPECT_EQ(results["triggers"].first_column(), Columns{"Tr'ig"});
    EXPECT_TRUE(results["functions"].has_row_starting("Tot'al"));
    EXPECT_TRUE(results["functions"].has_row_starting("trg'fn"));
    EXPECT_EQ(results["procedures"].first_column(),
              major() >= 11 ? Columns{"Pro'c"} : Columns{});
    EXPECT_EQ(results["structure"].first_column(), (Columns{"id", "parent_id", "note"}));
    EXPECT_EQ(results["content"].rows, (Rows{{"1", "1", "first"}}));
    EXPECT_TRUE(results["users"].has_row_starting("postgres"));
    EXPECT_TRUE(results["roles"].has_row_starting("pg_monitor"));
    ASSERT_EQ(results["user detail"].rows.size(), 1u);
    EXPECT_EQ(results["role detail"].rows.size(), 1u);
    EXPECT_EQ(results["privileges"].rows.size(), 12u);
    EXPECT_EQ(results["effected"].rows, Rows{{"1"}});
    EXPECT_EQ(results["relations"].rows, (Rows{{"parent_id", "Fk'1", "id", "parent"}}));
    // The two overloads in creation order, without the aggregate of the same name.
    ASSERT_EQ(results["function source"].rows.size(), 2u);
    EXPECT_NE(results["function source"].rows[0][0].find("(a integer)"), std::string::npos);
    EXPECT_NE(results["function source"].rows[1][0].find("(a text)"), std::string::npos);
    EXPECT_NE(results["index source"].rows.at(0).at(0).find("CREATE INDEX"), std::string::npos);
    EXPECT_NE(results["trigger source"].rows.at(0).at(0).find("CREATE TRIGGER"), std::string::npos);
    EXPECT_EQ(results["view source"].rows.size(), 1u);
}

TEST_F(PostgreSQLStatementOnServer, ListingsRunForAnOrdinaryRole) {
    auto plain = open_as(ordinary_role());
    EXPECT_FALSE(dialect(*plain).get_superuser());
    EXPECT_TRUE(dialect(*m_super).get_superuser());
    auto results = run_listings(*plain, false);
    // The catalog tables show every object; the detail hides the password.
    EXPECT_EQ(results["checks"].first_column(), Columns{"Ch'eck"});
    EXPECT_EQ(results["triggers"].first_column(), Columns{"Tr'ig"});
    ASSERT_EQ(results["user detail"].rows.size(), 1u);
    EXPECT_EQ(results["user detail"].rows[0][10], "<null>");
}

TEST_F(PostgreSQLStatementOnServer, TruncateRenameAndDropTouchOnlyTheChosenTable) {
    auto& s = dialect(*m_super);
    const std::string db = m_database.name();
    execute(*m_super, "SET search_path = public");
    execute(*m_super, s.empty_table(db, k_schema, "orders"));
    EXPECT_EQ(scalar(*m_super, "SELECT count(*) FROM " + sql_qualified(k_schema, "orders")), "0");
    EXPECT_EQ(scalar(*m_super, "SELECT count(*) FROM public.orders"), "2");

    execute(*m_super, s.rename_object(DbObject::TABLE, db, k_schema, "orders", "Or'ders 2"));
    EXPECT_EQ(scalar(*m_super, "SELECT count(*) FROM public.orders"), "2");
    EXPECT_EQ(scalar(*m_super, "SELECT count(*) FROM " + sql_qualified(k_schema, "Or'ders 2")),
              "0");
    execute(*m_super, s.drop_object(DbObject::TABLE, db, k_schema, "Or'ders 2", ""));
    EXPECT_EQ(scalar(*m_super, "SELECT count(*) FROM public.orders"), "2");

    const std::string count_triggers =
        "SELECT count(*) FROM pg_catalog.pg_trigger WHERE NOT tgisinternal";
    execute(*m_super, s.drop_object(DbObject::TRIGGER, db, k_schema, "Tr'ig", k_table));
    EXPECT_EQ(scalar(*m_super, count_triggers), "0");
    execute(*m_super, s.drop_object(DbObject::FUNCTION, db, k_schema, "trg'fn", ""));
    execute(*m_super, s.rename_object(DbObject::INDEX, db, k_schema, "Idx'1", "Idx'2"));
    execute(*m_super, s.drop_object(DbObject::INDEX, db, k_schema, "Idx'2", ""));
    execute(*m_super, s.rename_object(DbObject::VIEW, db, k_schema, "V'iew", "V'2"));
    execute(*m_super, s.drop_object(DbObject::VIEW, db, k_schema, "V'2", ""));
    EXPECT_EQ(scalar(*m_super, "SELECT count(*) FROM pg_catalog.pg_class c JOIN"
                               " pg_catalog.pg_namespace n ON n.oid = c.relnamespace WHERE"
                               " n.nspname = " +
                                   Dovodarud::Supports::Database::sql_literal(k_schema) +
                                   " AND c.relname IN ('Idx''2', 'V''2', 'Or''ders 2')"),
              "0");

    execute(*m_super, "CREATE FUNCTION " + schema_name() +
                          ".\"evt'fn\"() RETURNS event_trigger LANGUAGE plpgsql AS $$BEGIN END$$");
    execute(*m_super, "CREATE EVENT TRIGGER \"Ev'ent\" ON ddl_command_start EXECUTE PROCEDURE " +
                          schema_name() + ".\"evt'fn\"()");
    execute(*m_super, s.drop_object(DbObject::EVENT, db, k_schema, "Ev'ent", ""));
    EXPECT_EQ(scalar(*m_super, "SELECT count(*) FROM pg_catalog.pg_event_trigger"), "0");
    execute(*m_super, "CREATE SCHEMA \"Em'pty\"");
    execute(*m_super, s.rename_object(DbObject::SCHEMA, db, "", "Em'pty", "Em'pty 2"));
    execute(*m_super, s.drop_object(DbObject::SCHEMA, db, "", "Em'pty 2", ""));
    EXPECT_EQ(scalar(*m_super, "SELECT count(*) FROM pg_catalog.pg_namespace WHERE nspname"
                               " LIKE 'Em%'"),
              "0");
}

TEST_F(PostgreSQLStatementOnServer, CallsAndGrantsRun) {
    auto& s = dialect(*m_super);
    const std::string db = m_database.name();
    EXPECT_EQ(scalar(*m_super, s.call_function(db, k_schema, "Tot'al", "(41)")), "41");
    if (major() >= 11)
        execute(*m_super, s.call_procedure(db, k_schema, "Pro'c", "(1)"));
    const std::string role = ordinary_role();
    const std::string privilege = "SELECT pg_catalog.has_table_privilege(" +
                                  Dovodarud::Supports::Database::sql_literal(role) + ", " +
                                  Dovodarud::Supports::Database::sql_literal(table_name()) +
                                  ", 'SELECT')";
    execute(*m_super, "GRANT USAGE ON SCHEMA " + schema_name() + " TO " + sql_name(role));
    execute(*m_super, s.grant_user_rights(db, k_schema, role, "TABLE " + table_name(), "SELECT"));
    EXPECT_EQ(scalar(*m_super, privilege), "t");
    auto plain = open_as(role);
    EXPECT_EQ(query(*plain, dialect(*plain).show_content(db, k_schema, k_table, "id", "", "", 0, 5))
                  .rows,
              (Rows{{"1"}, {"2"}}));
    execute(*m_super, s.revoke_user_rights(db, k_schema, role, "TABLE " + table_name(), "SELECT"));
    EXPECT_EQ(scalar(*m_super, privilege), "f");
}

TEST_F(PostgreSQLStatementOnServer, FiltersSelectTheRowsTheyDescribe) {
    auto& s = dialect(*m_super);
    const std::string table = schema_name() + ".\"Fil'ter\"";
    execute(*m_super, "CREATE TABLE " + table + " (\"Na'me\" text, n int, at date)");
    execute(*m_super, "INSERT INTO " + table +
                          " VALUES ('50%_off', 1, '2024-01-01'), ('500 off', 2, '2024-02-01'),"
                          " ('it''s', 3, NULL), ('back\\slash', 4, NULL), ('abc', 12, NULL),"
                          " ('', 5, NULL), (NULL, 6, NULL)");
    const std::pair<std::string, std::string> cases[] = {
        {"Na'me<;>CONTAINS<;>50%", "1"},     {"Na'me<;>CONTAINS<;>_", "1"},
        {"Na'me<;>CONTAINS<;>\\", "1"},      {"Na'me<;>!CONTAINS<;>%", "5"},
        {"Na'me<;>PREFIX<;>it'", "1"},       {"Na'me<;>SUFFIX<;>off", "2"},
        {"Na'me<;>!PREFIX<;>5", "4"},        {"Na'me<;>!SUFFIX<;>f", "4"},
        {"Na'me<;>REGEXP<;>^a", "1"},        {"Na'me<;>!REGEXP<;>o", "4"},
        {"Na'me<;>NULL<;>", "1"},            {"Na'me<;>!NULL<;>", "6"},
        {"Na'me<;>EMPTY<;>", "1"},           {"Na'me<;>!EMPTY<;>", "5"},
        {"n<;>CONTAINS<;>1", "2"},           {"n<;>PREFIX<;>1", "2"},
        {"n<;>BETWEEN<;>2,4", "3"},          {"n<;>!BETWEEN<;>2,4", "4"},
        {"n<;>IN<;>1,3,5", "3"},             {"n<;>!IN<;>1,3,5", "4"},
        {"n<;>>=<;>5", "3"},                 {"Na'me<;>=<;>it's", "1"},
        {"at<;><<;>2024-01-15", "1"},        {"at<;>CONTAINS<;>-02-", "1"},
        {"n<;>CUSTOMIZE<;>n % 2 = 0", "4"},
    };
    for (const auto& [filter, count] : cases) {
        const std::string condition = s.parse_expression(filter);
        ASSERT_FALSE(condition.empty()) << filter;
        EXPECT_EQ(scalar(*m_super, s.show_effected(m_database.name(), k_schema, "Fil'ter",
                                                   condition)),
                  count)
            << filter << " -> " << condition;
    }
}

/// Reads a whole table page by page with no order given.
Rows read_pages(PostgreSQLConnection& connection, const std::string& schema,
                const std::string& table, std::int32_t page,
                const std::function<QueryResult(const std::string&)>& run) {
    Rows all;
    auto& s = dynamic_cast<PostgreSQLStatement&>(*connection.statement());
    for (std::int64_t offset = 0;; offset += page) {
        const QueryResult result = run(s.show_content("", schema, table, "*", "", "", offset, page));
        all.insert(all.end(), result.rows.begin(), result.rows.end());
        if (result.rows.size() < static_cast<std::size_t>(page))
            return all;
    }
}

TEST_F(PostgreSQLStatementOnServer, PagesNeitherRepeatNorSkipRows) {
    const std::string keyed = schema_name() + ".keyed";
    const std::string loose = schema_name() + ".\"Lo'ose\"";
    execute(*m_super, "CREATE TABLE " + keyed + " (b int, a int, doc json, PRIMARY KEY (a, b))");
    execute(*m_super, "INSERT INTO " + keyed +
                          " SELECT (i * 7919) % 503, i % 3, '{\"x\": 1}' FROM"
                          " generate_series(1, 1500) i");
    // No key, unorderable columns and repeated rows.
    execute(*m_super, "CREATE TABLE " + loose + " (doc json, at point, n int)");
    execute(*m_super, "INSERT INTO " + loose +
                          " SELECT ('{\"k\": ' || (i % 40) || '}')::json, point(i % 7, 0), i % 11"
                          " FROM generate_series(1, 1200) i");
    // Churn, so that the physical order differs from the key's.
    execute(*m_super, "UPDATE " + keyed + " SET doc = '{\"y\": 2}' WHERE b % 5 = 0");
    execute(*m_super, "UPDATE " + loose + " SET n = n WHERE n % 3 = 0");

    auto run = [&](const std::string& sql) { return query(*m_super, sql); };
    const Rows keyed_pages = read_pages(*m_super, k_schema, "keyed", 97, run);
    const Rows keyed_all =
        query(*m_super, "SELECT * FROM " + keyed + " ORDER BY a, b").rows;
    EXPECT_EQ(keyed_pages, keyed_all);

    auto sorted = [](Rows rows) {
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    const Rows loose_all = sorted(query(*m_super, "SELECT doc::text, at::text, n::text FROM " +
                                                      loose).rows);
    EXPECT_EQ(sorted(read_pages(*m_super, k_schema, "Lo'ose", 89, run)), loose_all);

    // A dialect whose connection is closed orders by the whole row instead.
    auto closed = PostgreSQLConnection::create();
    EXPECT_EQ(sorted(read_pages(*closed, k_schema, "Lo'ose", 89, run)), loose_all);
    EXPECT_EQ(sorted(read_pages(*closed, k_schema, "keyed", 97, run)), sorted(keyed_all));
}

} // namespace
