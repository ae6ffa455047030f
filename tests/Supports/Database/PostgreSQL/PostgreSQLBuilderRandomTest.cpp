// Create scripts of random schemas. For each seed of a fixed set, two
// schemas of objects that use each other at random (enums and domains, SQL
// routines on them and on the rows of tables and views, tables with
// defaults, checks and generated columns calling routines, foreign keys in
// circles and to their own table, inheritance, indexes on expressions,
// triggers, views on tables, views and routines, materialized views with
// indexes) are made on the server in an order that works, under names that
// sort in another order. Their script must apply to an empty database,
// rebuild them exactly, and create every object after each one the server
// says it needs.
#include "tests/Supports/Database/PostgreSQL/ScriptRebuild.hpp"

#include "Supports/Database/SqlText.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <random>

using namespace Dizezida::Testing;
using namespace Dizezida::Dovodarud::MetaModel;
using Dizezida::Dovodarud::Supports::Database::sql_literal;
using Dizezida::Dovodarud::Supports::Database::sql_name;
using Dizezida::Dovodarud::Supports::Database::sql_qualified;

namespace {

constexpr const char* k_first = "Rånd A";
constexpr const char* k_second = "rand_b";

/// An object the generator made, by schema and name.
struct Named {
    std::string schema, name;
    std::string qualified() const { return sql_qualified(schema, name); }
    std::string call(const std::string& arguments = {}) const {
        return qualified() + "(" + arguments + ")";
    }
};

/// A relation or a set-returning routine: what a select can read from.
struct Source {
    std::string from;                 ///< the FROM item, without alias
    std::vector<std::string> numbers; ///< its integer columns, "id" first
};

struct Table {
    Named named;
    Source source;
    bool keyed = false;              ///< a primary key on id (a table that inherits none)
    std::vector<std::string> refers; ///< the tables its foreign keys name
    std::vector<std::string> plain;  ///< integer columns without a default
};

/// A routine made for one type or relation.
struct Routine {
    Named named;
    std::string on; ///< the type or the FROM item it was made for
};

/// Two schemas of random objects, as statements in an order that works.
class RandomSchemas {
public:
    RandomSchemas(std::uint32_t seed, std::uint32_t major) : m_random(seed), m_major(major) {
        const std::size_t objects = 20 + pick(21);
        while (m_statements.size() < objects)
            step();
    }

    const std::vector<std::string>& statements() const { return m_statements; }

private:
    std::size_t pick(std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(m_random);
    }
    bool chance(int percent) { return static_cast<int>(pick(100)) < percent; }
    template <typename T> const T& any(const std::vector<T>& list) {
        return list[pick(list.size())];
    }

    /// A name in either schema with a random prefix, so that the order of
    /// names is no order of creation; some need quoting.
    Named named(const std::string& kind) {
        const bool awkward = pick(6) == 0;
        std::string prefix;
        for (int letter = 0; letter < 2; ++letter)
            prefix.push_back(static_cast<char>((awkward ? 'A' : 'a') + pick(26)));
        return {pick(2) == 0 ? k_first : k_second,
                prefix + (awkward ? " " : "_") + kind + std::to_string(++m_count)};
    }
    std::string column() { return "c" + std::to_string(++m_count); }

    /// Makes one object of a kind chosen by weight (or nothing when what
    /// that kind needs is not made yet).
    void step() {
        using Make = void (RandomSchemas::*)();
        static constexpr std::pair<std::size_t, Make> kinds[] = {
            {2, &RandomSchemas::make_enum},   {1, &RandomSchemas::make_sequence},
            {3, &RandomSchemas::make_domain}, {6, &RandomSchemas::make_routine},
            {6, &RandomSchemas::make_table},  {3, &RandomSchemas::make_late_key},
            {2, &RandomSchemas::make_rule},   {1, &RandomSchemas::make_late_default},
            {2, &RandomSchemas::make_index},  {1, &RandomSchemas::make_trigger},
            {3, &RandomSchemas::make_view},   {2, &RandomSchemas::make_materialized},
        };
        std::size_t total = 0;
        for (const auto& [weight, make] : kinds)
            total += weight;
        std::size_t roll = pick(total);
        for (const auto& [weight, make] : kinds) {
            if (roll < weight) {
                (this->*make)();
                return;
            }
            roll -= weight;
        }
    }

    void make_enum() {
        const Named type = named("mood");
        m_statements.push_back("CREATE TYPE " + type.qualified() +
                               " AS ENUM ('low', 'mid', 'high')");
        m_enums.push_back(type.qualified());
    }

    void make_sequence() {
        const Named sequence = named("seq");
        m_statements.push_back("CREATE SEQUENCE " + sequence.qualified());
        m_sequences.push_back(sequence.qualified());
    }

    void make_domain() {
        const Named domain = named("dom");
        std::string sql = "CREATE DOMAIN " + domain.qualified() + " AS ";
        switch (pick(4)) {
        case 0: {
            if (m_enums.empty())
                return;
            const std::string& type = any(m_enums);
            sql += type;
            for (const Routine& check : m_enum_checks)
                if (check.on == type && chance(60)) {
                    sql += " CHECK (" + check.named.call("VALUE") + ")";
                    break;
                }
            break;
        }
        case 1:
            if (m_domains.empty())
                return;
            sql += any(m_domains);
            break;
        case 2:
            sql += "integer";
            if (!m_int_defaults.empty() && chance(30))
                sql += " DEFAULT " + any(m_int_defaults).named.call();
            if (!m_int_checks.empty())
                sql += " CHECK (" + any(m_int_checks).named.call("VALUE") + ")";
            break;
        default:
            sql += "text";
            if (!m_text_checks.empty())
                sql += " CHECK (" + any(m_text_checks).named.call("VALUE") + ")";
            break;
        }
        m_statements.push_back(sql);
        m_domains.push_back(domain.qualified());
    }

    void make_routine() {
        Named routine = named("fn");
        const std::size_t kind = pick(10);
        // Some share the name of another of other arguments.
        if (kind == 1 && !m_int_checks.empty() && chance(40)) {
            const Named& other = any(m_int_checks).named;
            const auto same = [&](const Routine& made) {
                return made.named.call() == other.call();
            };
            if (std::none_of(m_text_checks.begin(), m_text_checks.end(), same))
                routine = other;
        }
        const std::string head = "CREATE FUNCTION " + routine.qualified();
        switch (kind) {
        case 0:
            m_statements.push_back(head + "(integer) RETURNS boolean LANGUAGE sql IMMUTABLE"
                                          " AS 'SELECT $1 > -1000000'");
            m_int_checks.push_back({routine, "integer"});
            return;
        case 1:
            m_statements.push_back(head + "(text) RETURNS boolean LANGUAGE sql IMMUTABLE"
                                          " AS 'SELECT length($1) < 1000'");
            m_text_checks.push_back({routine, "text"});
            return;
        case 2: {
            if (m_enums.empty())
                return;
            const std::string& type = any(m_enums);
            m_statements.push_back(head + "(" + type +
                                   ") RETURNS boolean LANGUAGE sql IMMUTABLE"
                                   " AS 'SELECT $1 IS NOT NULL'");
            m_enum_checks.push_back({routine, type});
            return;
        }
        case 3:
            m_statements.push_back(head + "(integer) RETURNS integer LANGUAGE sql IMMUTABLE"
                                          " AS 'SELECT $1 * 2'");
            m_values.push_back({routine, "integer"});
            return;
        case 4:
            m_statements.push_back(head + "() RETURNS integer LANGUAGE sql AS 'SELECT 7'");
            m_int_defaults.push_back({routine, "integer"});
            return;
        case 5: {
            if (m_enums.empty())
                return;
            const std::string& type = any(m_enums);
            m_statements.push_back(head + "() RETURNS " + type +
                                   " LANGUAGE sql AS $$SELECT 'mid'::" + type + "$$");
            m_enum_defaults.push_back({routine, type});
            return;
        }
        case 6: {
            // The rows of a table or view, filtered.
            if (m_relations.empty())
                return;
            const Source& of = any(m_relations);
            m_statements.push_back(head + "(integer) RETURNS SETOF " + of.from +
                                   " LANGUAGE sql STABLE AS 'SELECT * FROM " + of.from +
                                   " WHERE id > $1'");
            m_sets.push_back({routine.call("0"), of.numbers});
            return;
        }
        case 7: {
            // A row of a table or view as argument.
            if (m_relations.empty())
                return;
            const Source& of = any(m_relations);
            m_statements.push_back(head + "(r " + of.from +
                                   ") RETURNS integer LANGUAGE sql STABLE AS 'SELECT ($1).id'");
            m_row_routines.push_back({routine, of.from});
            return;
        }
        case 8: {
            // A body the server parses, and so a routine that needs a relation
            // (and maybe another routine).
            if (m_major < 14 || m_relations.empty())
                return;
            std::string value = "count(*)";
            if (!m_values.empty() && chance(50))
                value += " + " + any(m_values).named.call("1");
            const std::string& counted = any(m_relations).from;
            m_statements.push_back(head +
                                   "() RETURNS bigint LANGUAGE sql STABLE BEGIN ATOMIC SELECT " +
                                   value + " FROM " + counted + "; END");
            m_counts.push_back({routine, counted});
            return;
        }
        default:
            m_statements.push_back(head + "() RETURNS trigger LANGUAGE plpgsql"
                                          " AS $$BEGIN RETURN NEW; END$$");
            m_trigger_routines.push_back({routine, "trigger"});
            return;
        }
    }

    void make_table() {
        Table table{named("tab"), {}, false, {}, {}};
        table.source.from = table.named.qualified();
        const Table* parent = nullptr;
        std::vector<const Table*> parents;
        for (const Table& other : m_tables)
            if (other.keyed)
                parents.push_back(&other);
        if (!parents.empty() && chance(25))
            parent = any(parents);
        std::vector<std::string> lines;
        if (parent) {
            table.source.numbers = parent->source.numbers;
        } else {
            table.keyed = true;
            table.source.numbers = {"id"};
            lines.push_back(std::string("id ") + (chance(25) ? "serial" : "integer") +
                            " PRIMARY KEY");
        }
        std::vector<std::string> later;
        for (std::size_t count = 1 + pick(4); count > 0; --count) {
            const std::string name = column();
            std::string line;
            bool number = false;
            // Another kind when one is not possible yet.
            for (int attempt = 0; attempt < 8 && line.empty(); ++attempt) {
                switch (pick(18)) {
                case 0:
                    if (m_int_defaults.empty())
                        continue;
                    line = "integer DEFAULT " + any(m_int_defaults).named.call();
                    number = true;
                    break;
                case 1:
                    if (m_int_checks.empty())
                        continue;
                    line = "integer CHECK (" + any(m_int_checks).named.call(name) + ")";
                    table.plain.push_back(name);
                    number = true;
                    break;
                case 2:
                    if (m_text_checks.empty())
                        continue;
                    line = "text CHECK (" + any(m_text_checks).named.call(name) + ")";
                    break;
                case 3:
                    if (m_enums.empty())
                        continue;
                    line = any(m_enums) + " DEFAULT 'mid'";
                    break;
                case 4: {
                    if (m_enum_defaults.empty())
                        continue;
                    const Routine& made = any(m_enum_defaults);
                    line = made.on + " DEFAULT " + made.named.call();
                    break;
                }
                case 5: {
                    if (m_enum_checks.empty())
                        continue;
                    const Routine& check = any(m_enum_checks);
                    line = check.on + " CHECK (" + check.named.call(name) + ")";
                    break;
                }
                case 6:
                    if (m_domains.empty())
                        continue;
                    line = any(m_domains);
                    break;
                case 7:
                    if (m_major < 12 || m_values.empty())
                        continue;
                    line = "integer GENERATED ALWAYS AS (" + any(m_values).named.call("id") +
                           ") STORED";
                    number = true;
                    break;
                case 8:
                    if (m_counts.empty())
                        continue;
                    line = "bigint DEFAULT " + any(m_counts).named.call();
                    break;
                case 9:
                case 14:
                case 15: {
                    if (parents.empty())
                        continue;
                    // Rather a table with a key to add later: a circle once added.
                    const Table* target = any(parents);
                    for (const LaterKey& key : m_later_keys)
                        if (m_tables[key.table].keyed && chance(50)) {
                            target = &m_tables[key.table];
                            break;
                        }
                    line = "integer REFERENCES " + target->source.from + " (id)";
                    table.refers.push_back(target->source.from);
                    number = true;
                    break;
                }
                case 10:
                    if (!table.keyed)
                        continue;
                    line = "integer REFERENCES " + table.source.from + " (id)";
                    number = true;
                    break;
                case 11:
                    // The row type of another relation.
                    if (m_relations.empty())
                        continue;
                    line = any(m_relations).from;
                    break;
                case 12:
                    if (m_enums.empty())
                        continue;
                    line = any(m_enums) + "[]";
                    break;
                case 13:
                    if (m_sequences.empty())
                        continue;
                    line =
                        "bigint DEFAULT nextval(" + sql_literal(any(m_sequences)) + "::regclass)";
                    break;
                default:
                    // A key added once a later table exists: circles.
                    line = "integer";
                    later.push_back(name);
                    table.plain.push_back(name);
                    number = true;
                    break;
                }
            }
            if (line.empty())
                continue;
            lines.push_back(sql_name(name) + " " + line);
            if (number)
                table.source.numbers.push_back(name);
        }
        std::string sql = "CREATE TABLE " + table.source.from + " (";
        for (std::size_t at = 0; at < lines.size(); ++at)
            sql += (at == 0 ? "" : ", ") + lines[at];
        sql += ")";
        if (parent)
            sql += " INHERITS (" + parent->source.from + ")";
        m_statements.push_back(sql);
        for (const std::string& name : later)
            m_later_keys.push_back({table.source.from, name, m_tables.size()});
        m_tables.push_back(table);
        m_relations.push_back(table.source);
    }

    void make_late_key() {
        if (m_later_keys.empty())
            return;
        const std::size_t chosen = pick(m_later_keys.size());
        const LaterKey key = m_later_keys[chosen];
        std::vector<const Table*> targets, newer, circles;
        for (std::size_t at = 0; at < m_tables.size(); ++at)
            if (m_tables[at].keyed) {
                const Table& other = m_tables[at];
                targets.push_back(&other);
                if (at > key.table)
                    newer.push_back(&other);
                if (std::find(other.refers.begin(), other.refers.end(), key.from) !=
                    other.refers.end())
                    circles.push_back(&other);
            }
        if (targets.empty())
            return;
        const Table* target = !circles.empty() ? any(circles)
                              : !newer.empty() ? any(newer)
                                               : any(targets);
        m_statements.push_back("ALTER TABLE " + key.from + " ADD FOREIGN KEY (" +
                               sql_name(key.column) + ") REFERENCES " + target->source.from +
                               " (id)" + (chance(50) ? " DEFERRABLE INITIALLY DEFERRED" : ""));
        m_tables[key.table].refers.push_back(target->source.from);
        m_later_keys.erase(m_later_keys.begin() + static_cast<std::ptrdiff_t>(chosen));
    }

    /// A rule on a table or view that writes to another relation, maybe one
    /// built on the first.
    void make_rule() {
        std::vector<const Source*> relations;
        for (const Table& table : m_tables)
            relations.push_back(&table.source);
        for (const Source& view : m_views)
            relations.push_back(&view);
        if (relations.size() < 2)
            return;
        const Source& on = *any(relations);
        const Source& into = *any(relations);
        if (&on == &into)
            return;
        const std::string rule = "CREATE RULE " + sql_name(named("ru").name) + " AS ON ";
        m_statements.push_back(chance(50)
                                   ? rule + "INSERT TO " + on.from + " DO ALSO INSERT INTO " +
                                         into.from + " (id) VALUES (NEW.id)"
                                   : rule + "DELETE TO " + on.from + " DO ALSO DELETE FROM " +
                                         into.from + " WHERE id = OLD.id");
    }

    /// A default that counts rows, given once the table exists: the routine
    /// may read the table itself.
    void make_late_default() {
        std::vector<Table*> tables;
        for (Table& table : m_tables)
            if (!table.plain.empty())
                tables.push_back(&table);
        if (tables.empty() || m_counts.empty())
            return;
        Table& table = *any(tables);
        const Routine* count = &any(m_counts);
        for (const Routine& other : m_counts)
            if (other.on == table.source.from && chance(50))
                count = &other;
        const std::size_t chosen = pick(table.plain.size());
        m_statements.push_back("ALTER TABLE " + table.source.from + " ALTER COLUMN " +
                               sql_name(table.plain[chosen]) + " SET DEFAULT " +
                               count->named.call());
        table.plain.erase(table.plain.begin() + static_cast<std::ptrdiff_t>(chosen));
    }

    void make_index() {
        std::vector<const Source*> indexed;
        for (const Table& table : m_tables)
            indexed.push_back(&table.source);
        for (const Source& view : m_materialized)
            indexed.push_back(&view);
        if (indexed.empty())
            return;
        index_on(*any(indexed));
    }

    void index_on(const Source& on) {
        const std::string& number = any(on.numbers);
        std::string sql = "CREATE INDEX " + sql_name(named("ix").name) + " ON " + on.from + " (";
        sql += m_values.empty() || chance(40)
                   ? sql_name(number)
                   : "(" + any(m_values).named.call(sql_name(number)) + ")";
        sql += ")";
        if (!m_int_checks.empty() && chance(30))
            sql += " WHERE " + any(m_int_checks).named.call(sql_name(number));
        m_statements.push_back(sql);
    }

    void make_trigger() {
        if (m_tables.empty() || m_trigger_routines.empty())
            return;
        m_statements.push_back("CREATE TRIGGER " + sql_name(named("trg").name) +
                               " BEFORE INSERT OR UPDATE ON " + any(m_tables).source.from +
                               " FOR EACH ROW EXECUTE PROCEDURE " +
                               any(m_trigger_routines).named.call());
    }

    void make_view() { make_select(false); }
    void make_materialized() { make_select(true); }

    void make_select(bool materialized) {
        std::vector<const Source*> sources;
        for (const Source& relation : m_relations)
            sources.push_back(&relation);
        for (const Source& set : m_sets)
            sources.push_back(&set);
        if (sources.empty())
            return;
        const Named view = named(materialized ? "mv" : "vw");
        const Source& from = *any(sources);
        Source made{view.qualified(), {"id"}};
        std::string select = "SELECT x.id";
        for (std::size_t at = 1; at < from.numbers.size(); ++at)
            if (chance(50)) {
                select += ", x." + sql_name(from.numbers[at]);
                made.numbers.push_back(from.numbers[at]);
            }
        for (const Routine& row : m_row_routines)
            if (row.on == from.from && chance(70)) {
                made.numbers.push_back(column());
                select += ", " + row.named.call("x") + " AS " + made.numbers.back();
                break;
            }
        if (!m_values.empty() && chance(40)) {
            made.numbers.push_back(column());
            select += ", " + any(m_values).named.call("x.id") + " AS " + made.numbers.back();
        }
        if (!m_counts.empty() && chance(40))
            select += ", " + any(m_counts).named.call() + " AS " + column();
        std::string body = select + " FROM " + from.from + " x";
        if (chance(30)) {
            const Source& other = *any(sources);
            body += " JOIN " + other.from + " y ON y.id = x.id";
        }
        if (!m_int_checks.empty() && chance(30))
            body += " WHERE " + any(m_int_checks).named.call("x.id");
        m_statements.push_back(
            std::string(materialized ? "CREATE MATERIALIZED VIEW " : "CREATE VIEW ") + made.from +
            " AS " + body);
        m_relations.push_back(made);
        if (materialized) {
            m_materialized.push_back(made);
            if (chance(60))
                index_on(made);
        } else {
            m_views.push_back(made);
        }
    }

    struct LaterKey {
        std::string from, column;
        std::size_t table; ///< the position of the table in m_tables
    };

    std::mt19937 m_random;
    std::uint32_t m_major;
    std::size_t m_count = 0;
    std::vector<std::string> m_statements;
    std::vector<std::string> m_enums, m_domains, m_sequences;
    std::vector<Routine> m_int_checks, m_text_checks, m_enum_checks, m_values, m_int_defaults,
        m_enum_defaults, m_row_routines, m_counts, m_trigger_routines;
    std::vector<Source> m_sets, m_relations, m_views, m_materialized;
    std::vector<Table> m_tables;
    std::vector<LaterKey> m_later_keys;
};

/// A name as the server's own deparsers print it.
std::string server_name(const std::string& name) {
    const bool plain = !name.empty() &&
                       (std::islower(static_cast<unsigned char>(name[0])) || name[0] == '_') &&
                       std::all_of(name.begin(), name.end(), [](char c) {
                           return std::islower(static_cast<unsigned char>(c)) ||
                                  std::isdigit(static_cast<unsigned char>(c)) || c == '_';
                       });
    return plain ? name : sql_name(name);
}

std::string kind_of(const std::string& key) {
    return key.substr(0, key.find('\x1f'));
}

/// Where the statements of each part of an object are in a script, by line.
class ScriptLines {
public:
    explicit ScriptLines(const std::string& script) {
        std::size_t start = 0;
        while (start <= script.size()) {
            const std::size_t end = std::min(script.find('\n', start), script.size());
            m_lines.push_back(script.substr(start, end - start));
            start = end + 1;
        }
    }

    /// The lines that begin a statement of the part.
    std::vector<std::size_t> of(const MetaObject& object, DependencyPart part) const {
        const std::string kind = kind_of(dependency_key(object));
        const std::string name = sql_qualified(object.get_schema(), object.get_name());
        // A routine as the server prints it, with its arguments: overloads differ.
        const auto arguments = object.get_attributes().find("ARGUMENTS");
        const std::string signature =
            server_name(object.get_schema()) + "." + server_name(object.get_name()) + "(" +
            (arguments == object.get_attributes().end() ? std::string() : arguments->second) + ")";
        std::vector<std::size_t> found;
        for (std::size_t at = 0; at < m_lines.size(); ++at) {
            const std::string& line = m_lines[at];
            bool matches = false;
            switch (part) {
            case DependencyPart::create:
                matches =
                    kind == "table"
                        ? line.starts_with("CREATE ") &&
                              line.find(" TABLE IF NOT EXISTS " + name + " ") != std::string::npos
                    : kind == "type" ? line.starts_with("CREATE TYPE " + name + " ") ||
                                           line.starts_with("CREATE DOMAIN " + name + " ")
                    : kind == "sequence"
                        ? line.starts_with("CREATE SEQUENCE IF NOT EXISTS " + name + " ")
                    : kind == "function"
                        ? line.starts_with("CREATE OR REPLACE FUNCTION " + signature)
                    : kind == "view" ? line.starts_with("CREATE VIEW " + name + " ")
                    : kind == "miew" ? line.starts_with("CREATE MATERIALIZED VIEW " + name + " ")
                                     : false;
                break;
            case DependencyPart::extras:
                matches = line.starts_with("CREATE ") &&
                          (line.find(" INDEX ") != std::string::npos ||
                           line.find(" TRIGGER ") != std::string::npos) &&
                          (line.find(" ON " + name + " ") != std::string::npos ||
                           line.find(" ON ONLY " + name + " ") != std::string::npos ||
                           line.ends_with(" ON " + name));
                break;
            case DependencyPart::keys:
                matches = line.starts_with("ALTER TABLE " + name + " ADD CONSTRAINT ") &&
                          line.find(" FOREIGN KEY (") != std::string::npos;
                break;
            case DependencyPart::own:
                matches = line.starts_with("ALTER SEQUENCE " + name + " OWNED BY ");
                break;
            case DependencyPart::rules: {
                // The server's text: the relation on the line after the name.
                const std::string next = at + 1 < m_lines.size() ? m_lines[at + 1] : std::string();
                const std::string printed =
                    server_name(object.get_schema()) + "." + server_name(object.get_name());
                matches = line.starts_with("CREATE RULE ") &&
                          (next.find(" TO " + printed + " ") != std::string::npos ||
                           next.find(" TO " + name + " ") != std::string::npos);
                break;
            }
            }
            if (matches)
                found.push_back(at);
        }
        return found;
    }

    const std::string& line(std::size_t at) const { return m_lines[at]; }

private:
    std::vector<std::string> m_lines;
};

const char* part_name(DependencyPart part) {
    switch (part) {
    case DependencyPart::create:
        return "create";
    case DependencyPart::extras:
        return "extras";
    case DependencyPart::keys:
        return "keys";
    case DependencyPart::rules:
        return "rules";
    case DependencyPart::own:
        return "own";
    }
    return "?";
}

std::string readable(const std::string& key) {
    std::string text = key;
    std::replace(text.begin(), text.end(), '\x1f', '/');
    return text;
}

class PostgreSQLBuilderRandomSchemas : public ScriptRebuild,
                                       public ::testing::WithParamInterface<std::uint32_t> {
protected:
    /// Every dependency the server gave against the script's order: the
    /// statements of the needed part must all come before the first of the
    /// dependent part. Counts the dependencies checked.
    /// Whether a table's default calling `routine` is set by a statement of
    /// its own after line `after` (a default whose routine reads the table).
    static bool default_set_after(const std::string& script, const MetaObject& table,
                                  const MetaObject& routine, std::size_t after) {
        if (!dynamic_cast<const MetaTable*>(&table) || !dynamic_cast<const MetaFunction*>(&routine))
            return false;
        const std::string head =
            "ALTER TABLE " + sql_qualified(table.get_schema(), table.get_name()) + " ALTER COLUMN ";
        for (std::size_t at = script.find(head); at != std::string::npos; at = script.find(head, at + 1)) {
            const std::size_t end = script.find('\n', at);
            const std::string line = script.substr(at, end == std::string::npos ? end : end - at);
            const auto line_number = static_cast<std::size_t>(
                std::count(script.begin(), script.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
            if (line_number > after && line.find(" SET DEFAULT ") != std::string::npos &&
                line.find(routine.get_name()) != std::string::npos)
                return true;
        }
        return false;
    }

    std::string misplaced(const std::vector<std::shared_ptr<MetaSchema>>& schemas,
                          const std::string& script, std::size_t& checked) {
        std::map<std::string, const MetaObject*> objects;
        for (const auto& schema : schemas)
            for (const auto& object : schema->objects())
                objects.emplace(dependency_key(*object), object.get());
        const ScriptLines lines(script);
        std::string wrong;
        for (const auto& [key, object] : objects) {
            if (lines.of(*object, DependencyPart::create).empty())
                wrong += "no CREATE of " + readable(key) + "\n";
            for (const MetaDependency& depend : object->depends()) {
                const std::string what = readable(key) + " (" + part_name(depend.part) +
                                         ") needs " + readable(depend.key) + " (" +
                                         part_name(depend.needed) + ")";
                const auto needed = objects.find(depend.key);
                if (needed == objects.end()) {
                    wrong += what + ": no such object in the model\n";
                    continue;
                }
                const auto dependent_lines = lines.of(*object, depend.part);
                const auto needed_lines = lines.of(*needed->second, depend.needed);
                if (dependent_lines.empty() || needed_lines.empty()) {
                    wrong += what + ": not in the script\n";
                    continue;
                }
                ++checked;
                const std::size_t first = dependent_lines.front(), last = needed_lines.back();
                if (last >= first && !default_set_after(script, *object, *needed->second, last))
                    wrong += what + ": line " + std::to_string(first + 1) + " `" +
                             lines.line(first) + "` comes before line " + std::to_string(last + 1) +
                             " `" + lines.line(last) + "`\n";
            }
        }
        return wrong;
    }
};

TEST_P(PostgreSQLBuilderRandomSchemas, RebuildExactlyWithEveryObjectAfterWhatItNeeds) {
    const std::uint32_t seed = GetParam();
    const RandomSchemas made(seed, major());
    std::string statements =
        "CREATE SCHEMA " + sql_name(k_first) + ";\nCREATE SCHEMA " + sql_name(k_second) + ";\n";
    for (const std::string& statement : made.statements())
        statements += statement + ";\n";
    execute(*m_super, "CREATE SCHEMA " + sql_name(k_first));
    execute(*m_super, "CREATE SCHEMA " + sql_name(k_second));
    for (const std::string& statement : made.statements())
        execute(*m_super, statement);
    ASSERT_FALSE(HasFailure()) << "seed " << seed << ": the random schemas were not made\n"
                               << statements;

    const Rebuilt rebuilt = rebuild({k_first, k_second});
    const std::string context = "seed " + std::to_string(seed) + "\n-- made as:\n" + statements +
                                "\n-- script:\n" + rebuilt.script;
    ASSERT_FALSE(rebuilt.script.empty()) << context << rebuilt.error;
    std::size_t checked = 0;
    EXPECT_EQ(misplaced(rebuilt.schemas, rebuilt.script, checked), "") << context;
    // The server records a dependency for nearly every statement made.
    EXPECT_GE(checked, made.statements().size() / 2) << context;
    ASSERT_EQ(rebuilt.error, "") << context;
    EXPECT_EQ(rebuilt.differences, "") << context;
}

INSTANTIATE_TEST_SUITE_P(Seeds, PostgreSQLBuilderRandomSchemas,
                         ::testing::Values(1u, 2u, 3u, 5u, 8u, 13u, 21u, 34u, 232u),
                         [](const ::testing::TestParamInfo<std::uint32_t>& info) {
                             return "seed" + std::to_string(info.param);
                         });

} // namespace
