#include "Supports/Database/PostgreSQL/Adapter/PostgreSQLAdapterV11x.hpp"

#include "Contracts/Database/IStatement.hpp"
#include "Model/MetaKeys.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/PostgreSQL/Catalog/CatalogRows.hpp"
#include "Supports/Database/SqlText.hpp"
#include "core/Precondition.hpp"
#include "core/Properties.hpp"

#include <fmt/format.h>

#include <map>
#include <optional>

namespace Dizezida::Dovodarud::Supports::Database {

namespace Keys = MetaModel::Keys;

using namespace MetaModel;
namespace Queries = CatalogQueries;

namespace {

std::string boolean_text(const CatalogRows& rows, std::size_t row, std::string_view column) {
    return rows.flag(row, column) ? "true" : "false";
}

/// "name=value," for each row, the last "," left out (a boolean value as true or false).
std::string pairs(const CatalogRows& rows, std::string_view name, std::string_view value,
                  bool boolean = false) {
    std::string out;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (!out.empty())
            out += ',';
        out += rows.text(row, name) + "=" +
               (boolean ? boolean_text(rows, row, value) : rows.text(row, value));
    }
    return out;
}

constexpr std::string_view k_arguments = Keys::arguments;

} // namespace

/// Turns the session's JIT compilation off while a deep fill runs and puts
/// the earlier setting back: compiling the large catalog queries costs far
/// more than running them (0.1 s become 1 s on 1,000 tables).
class PostgreSQLAdapterV11x::JitPause {
public:
    explicit JitPause(const PostgreSQLAdapterV11x& adapter) : m_adapter(adapter) {
        const std::uint32_t major = adapter.major();
        if (major != 0 && major < 11)
            return; // no JIT before 11
        auto previous = adapter.run("SELECT pg_catalog.current_setting('jit') AS jit,"
                                    " pg_catalog.set_config('jit', 'off', false)");
        if (previous && !previous->empty())
            m_previous = previous->text(0, "jit");
    }
    ~JitPause() {
        if (!m_previous.empty() && m_previous != "off")
            (void)m_adapter.run("SELECT pg_catalog.set_config('jit', " + sql_literal(m_previous) +
                                ", false)");
    }
    JitPause(const JitPause&) = delete;
    JitPause& operator=(const JitPause&) = delete;

private:
    const PostgreSQLAdapterV11x& m_adapter;
    std::string m_previous;
};

std::shared_ptr<PostgreSQLAdapterV11x>
PostgreSQLAdapterV11x::create(const Contracts::Database::ConnectionPtr& connection) {
    DIZEZIDA_RETURN_VAL_IF_NULL(connection, nullptr);
    return std::make_shared<PostgreSQLAdapterV11x>(connection);
}

Core::Result<CatalogRows> PostgreSQLAdapterV11x::run(const std::string& sql) const {
    const auto connection = get_connection();
    if (!connection)
        return Core::fail(Core::Error::sql(30003, "the adapter's connection is gone"));
    return CatalogRows::query(*connection, sql);
}

std::uint32_t PostgreSQLAdapterV11x::major() const {
    const auto connection = get_connection();
    return connection ? connection->get_major_version() : 0;
}

// ---------------------------------------------------------------- containers

Core::Result<void> PostgreSQLAdapterV11x::fill_meta_database(const Ptr<MetaDatabase>& database,
                                                             std::int32_t full) {
    DIZEZIDA_RETURN_VAL_IF_NULL(database, {});
    if (!database->is_filled()) {
        auto rows = run(Queries::database(database->get_name()));
        if (!rows)
            return std::unexpected(rows.error());
        if (rows->empty())
            return Core::fail(missing_object("database", "", database->get_name()));
        auto& attributes = database->get_attributes();
        attributes[Keys::owner] = rows->text(0, "owner");
        attributes[Keys::encoding] = rows->text(0, "charset");
        attributes[Keys::lc_collate] = rows->text(0, "datcollate");
        attributes[Keys::lc_ctype] = rows->text(0, "datctype");
        attributes[Keys::is_template] = boolean_text(*rows, 0, "datistemplate");
        attributes[Keys::allow_connections] = boolean_text(*rows, 0, "datallowconn");
        attributes[Keys::database_connection_limit] = rows->text(0, "datconnlimit");
        attributes[Keys::tablespace] = rows->text(0, "spcname");
        database->set_comment(rows->text(0, "description"));

        auto extensions = run(Queries::extensions());
        if (!extensions)
            return std::unexpected(extensions.error());
        attributes[Keys::extension] = pairs(*extensions, "extname", "extversion");

        auto schemas = run(Queries::schemas());
        if (!schemas)
            return std::unexpected(schemas.error());
        for (std::size_t row = 0; row < schemas->size(); ++row)
            database->append(schemas->text(row, "schema_name"));
    }
    if (full) {
        const JitPause pause(*this);
        DIZEZIDA_TRY(fill_schemas(database->get_schemas(), true));
    }
    database->set_filled(true);
    return {};
}

Core::Result<void> PostgreSQLAdapterV11x::fill_meta_schema(const Ptr<MetaSchema>& schema,
                                                           std::int32_t full) {
    DIZEZIDA_RETURN_VAL_IF_NULL(schema, {});
    return fill_meta_schemas({schema}, full);
}

Core::Result<void>
PostgreSQLAdapterV11x::fill_meta_schemas(const std::vector<Ptr<MetaSchema>>& schemas, std::int32_t full) {
    for (const auto& schema : schemas)
        DIZEZIDA_RETURN_VAL_IF_NULL(schema, {});
    std::optional<JitPause> pause;
    if (full)
        pause.emplace(*this);
    return fill_schemas(schemas, full != 0);
}

std::string PostgreSQLAdapterV11x::table_key(std::string_view schema, std::string_view name) {
    std::string key(schema);
    key.push_back('\0');
    key.append(name);
    return key;
}

PostgreSQLAdapterV11x::TableIndex PostgreSQLAdapterV11x::one_table(const Ptr<MetaTable>& table) {
    return {{table_key(table->get_schema(), table->get_name()), table}};
}

namespace {

/// Schemas by name (the adapter's SchemaIndex).
using Schemas = std::map<std::string, MetaSchema*>;

Schemas by_name(const std::vector<std::shared_ptr<MetaSchema>>& schemas) {
    Schemas named;
    for (const auto& schema : schemas)
        named.emplace(schema->get_name(), schema.get());
    return named;
}

/// A scope of every schema of the index.
CatalogQueries::Scope scope_of(const Schemas& schemas) {
    std::vector<std::string> names;
    for (const auto& [name, schema] : schemas)
        names.push_back(name);
    return CatalogQueries::Scope(std::move(names));
}

} // namespace

Core::Result<void> PostgreSQLAdapterV11x::each_schema_row(
    const std::string& sql, const SchemaIndex& schemas,
    const std::function<void(MetaSchema&, const CatalogRows&, std::size_t)>& apply) {
    auto rows = run(sql);
    if (!rows)
        return std::unexpected(rows.error());
    for (std::size_t row = 0; row < rows->size(); ++row)
        if (const auto found = schemas.find(rows->text(row, "schema_name")); found != schemas.end())
            apply(*found->second, *rows, row);
    return {};
}

Core::Result<void> PostgreSQLAdapterV11x::fill_schemas(const std::vector<Ptr<MetaSchema>>& schemas,
                                                       bool full) {
    std::vector<Ptr<MetaSchema>> unlisted;
    for (const auto& schema : schemas)
        if (schema && !schema->is_filled())
            unlisted.push_back(schema);
    if (!unlisted.empty())
        DIZEZIDA_TRY(read_listings(unlisted));
    if (full && !schemas.empty()) {
        const Scope scope = scope_of(by_name(schemas));
        TableIndex tables;
        std::vector<std::shared_ptr<MetaView>> views;
        std::vector<std::shared_ptr<MetaFunction>> routines;
        for (const auto& schema : schemas) {
            for (const auto& table : schema->get_tables())
                if (!table->is_filled())
                    tables.emplace(table_key(schema->get_name(), table->get_name()), table);
            for (const auto& view : schema->get_views())
                if (!view->is_filled())
                    views.push_back(view);
            for (const auto* list : {&schema->get_functions(), &schema->get_procedures()})
                for (const auto& routine : *list)
                    if (!routine->is_filled())
                        routines.push_back(routine);
        }
        DIZEZIDA_TRY(fill_tables(scope, tables, true));
        DIZEZIDA_TRY(read_views(scope, views));
        DIZEZIDA_TRY(read_routines(scope, routines));
        DIZEZIDA_TRY(read_dependencies(scope, schemas));
    }
    for (const auto& schema : schemas)
        schema->set_filled(true);
    return {};
}

Core::Result<void> PostgreSQLAdapterV11x::read_listings(const std::vector<Ptr<MetaSchema>>& schemas) {
    const SchemaIndex named = by_name(schemas);
    const Scope scope = scope_of(named);
    DIZEZIDA_TRY(each_schema_row(Queries::schema_owner(scope), named,
                                 [](MetaSchema& schema, const CatalogRows& rows, std::size_t row) {
                                     schema.get_attributes()[Keys::owner] =
                                         rows.text(row, "schema_owner");
                                     schema.set_comment(rows.text(row, "comment"));
                                 }));
    DIZEZIDA_TRY(each_schema_row(
        Queries::schema_relations(scope), named,
        [](MetaSchema& schema, const CatalogRows& rows, std::size_t row) {
            const std::string relation = rows.text(row, "table_name");
            if (rows.text(row, "table_type") == "VIEW")
                schema.get_views().push_back(
                    MetaView::with_names(schema.get_database(), schema.get_name(), relation));
            else
                schema.get_tables().push_back(
                    MetaTable::with_names(schema.get_database(), schema.get_name(), relation));
        }));
    DIZEZIDA_TRY(each_schema_row(
        Queries::schema_routines(scope, major()), named,
        [](MetaSchema& schema, const CatalogRows& rows, std::size_t row) {
            auto routine = MetaFunction::with_names(schema.get_database(), schema.get_name(),
                                                    rows.text(row, "proname"));
            const bool is_function = rows.text(row, "prokind") != "p";
            routine->set_is_function(is_function);
            routine->get_attributes()[std::string(k_arguments)] = rows.text(row, "arguments");
            (is_function ? schema.get_functions() : schema.get_procedures()).push_back(routine);
        }));
    DIZEZIDA_TRY(read_types_and_sequences(scope, named));

    SchemaIndex with_views;
    DIZEZIDA_TRY(each_schema_row(
        Queries::materialized_views(scope), named,
        [&](MetaSchema& schema, const CatalogRows& rows, std::size_t row) {
            auto view = Materialized::with_names(schema.get_database(), schema.get_name(),
                                                 rows.text(row, "mviewname"));
            view->get_attributes()[Keys::owner] = rows.text(row, "mviewowner");
            view->set_table_space(rows.text(row, "tablespace"));
            view->set_definition(rows.text(row, "definition"));
            view->set_with_data(rows.flag(row, "relispopulated"));
            view->set_comment(rows.text(row, "comment"));
            view->set_filled(true);
            schema.get_miews().push_back(view);
            with_views.emplace(schema.get_name(), &schema);
        }));
    if (!with_views.empty())
        DIZEZIDA_TRY(read_view_indexes(scope_of(with_views), with_views));
    return {};
}

namespace {

DependencyPart part_named(std::string_view part) {
    if (part == "extras")
        return DependencyPart::extras;
    if (part == "keys")
        return DependencyPart::keys;
    if (part == "rules")
        return DependencyPart::rules;
    if (part == "own")
        return DependencyPart::own;
    return DependencyPart::create;
}

} // namespace

Core::Result<void>
PostgreSQLAdapterV11x::read_dependencies(const Scope& scope,
                                         const std::vector<Ptr<MetaSchema>>& schemas) {
    std::unordered_map<std::string, MetaObject*> objects;
    for (const auto& schema : schemas)
        for (const auto& object : schema->objects()) {
            object->depends().clear();
            objects.emplace(dependency_key(*object), object.get());
        }
    auto rows = run(Queries::dependencies(scope));
    if (!rows)
        return std::unexpected(rows.error());
    for (std::size_t row = 0; row < rows->size(); ++row) {
        const auto found = objects.find(dependency_key(
            rows->text(row, "kind"), rows->text(row, "schema_name"), rows->text(row, "name")));
        if (found == objects.end())
            continue;
        found->second->depends().push_back(
            {part_named(rows->text(row, "part")),
             dependency_key(rows->text(row, "refer_kind"), rows->text(row, "refer_schema"),
                            rows->text(row, "refer_name")),
             part_named(rows->text(row, "refer_part"))});
    }
    return {};
}

Core::Result<void>
PostgreSQLAdapterV11x::read_view_indexes(const Scope& scope, const SchemaIndex& schemas) {
    auto rows = run(Queries::indexes(scope, major(), false));
    if (!rows)
        return std::unexpected(rows.error());
    std::unordered_map<std::string, Materialized*> views;
    for (const auto& [name, schema] : schemas)
        for (const auto& view : schema->get_miews())
            views.emplace(table_key(name, view->get_name()), view.get());
    for (std::size_t row = 0; row < rows->size(); ++row) {
        const auto found =
            views.find(table_key(rows->text(row, "schema_name"), rows->text(row, "table_name")));
        if (found == views.end())
            continue;
        Materialized& view = *found->second;
        auto index = MetaIndex::with_names(view.get_database(), view.get_schema(), view.get_name(),
                                           rows->text(row, "index_name"));
        apply_index(*index, *rows, row);
        view.get_indexes().push_back(index);
    }
    return {};
}

Core::Result<void> PostgreSQLAdapterV11x::read_types_and_sequences(const Scope& scope,
                                                                   const SchemaIndex& schemas) {
    DIZEZIDA_TRY(each_schema_row(
        Queries::types(scope), schemas, [](MetaSchema& schema, const CatalogRows& rows, std::size_t row) {
            auto type = MetaType::with_names(schema.get_database(), schema.get_name(), rows.text(row, "name"));
            const std::string kind = rows.text(row, "typtype");
            type->set_kind(kind == "e"   ? "ENUM"
                           : kind == "c" ? "COMPOSITE"
                           : kind == "r" ? "RANGE"
                                         : "DOMAIN");
            type->set_definition(rows.text(row, "definition"));
            type->set_comment(rows.text(row, "comment"));
            type->set_filled(true);
            schema.get_types().push_back(type);
        }));
    return each_schema_row(
        Queries::sequences(scope), schemas, [](MetaSchema& schema, const CatalogRows& rows, std::size_t row) {
            auto sequence = MetaSequence::with_names(schema.get_database(), schema.get_name(),
                                                     rows.text(row, "name"));
            sequence->set_data_type(rows.text(row, "data_type"));
            sequence->set_start(rows.number(row, "seqstart", 1));
            sequence->set_increment(rows.number(row, "seqincrement", 1));
            sequence->set_minimum(rows.number(row, "seqmin", 1));
            sequence->set_maximum(rows.number(row, "seqmax"));
            sequence->set_cache(rows.number(row, "seqcache", 1));
            sequence->set_cycle(rows.flag(row, "seqcycle"));
            sequence->set_owned_schema(rows.text(row, "owned_schema"));
            sequence->set_owned_table(rows.text(row, "owned_table"));
            sequence->set_owned_column(rows.text(row, "owned_column"));
            sequence->set_comment(rows.text(row, "comment"));
            sequence->set_filled(true);
            schema.get_sequences().push_back(sequence);
        });
}

Core::Result<void> PostgreSQLAdapterV11x::fill_meta_table(const Ptr<MetaTable>& table,
                                                          std::int32_t full) {
    DIZEZIDA_RETURN_VAL_IF_NULL(table, {});
    if (table->is_filled())
        return {};
    return fill_tables({table->get_schema(), table->get_name()}, one_table(table), full != 0);
}

// ---------------------------------------------------------------- views and routines

Core::Result<void>
PostgreSQLAdapterV11x::read_views(const Scope& scope,
                                  const std::vector<std::shared_ptr<MetaView>>& views) {
    if (views.empty())
        return {};
    auto rows = run(Queries::views(scope));
    if (!rows)
        return std::unexpected(rows.error());
    std::unordered_map<std::string, std::size_t> by_name;
    for (std::size_t row = 0; row < rows->size(); ++row)
        by_name.emplace(table_key(rows->text(row, "schema_name"), rows->text(row, "view_name")), row);
    for (const auto& view : views) {
        const auto found = by_name.find(table_key(view->get_schema(), view->get_name()));
        if (found == by_name.end())
            return Core::fail(missing_object("view", view->get_schema(), view->get_name()));
        const std::size_t row = found->second;
        auto& attributes = view->get_attributes();
        attributes[Keys::with_option] = rows->text(row, "options");
        attributes[Keys::owner] = rows->text(row, "viewowner");
        view->set_comment(rows->text(row, "description"));
        view->set_definition(rows->text(row, "definition"));
        const std::vector<std::string> depends = rows->list(row, "depends");
        if (!depends.empty())
            attributes[Keys::depends] = fmt::format("{}", fmt::join(depends, ","));
        view->get_rules().clear();
        view->set_filled(true);
    }
    // The rules that make views writable, handed to their views.
    auto rules = run(Queries::rules(scope, true));
    if (!rules)
        return std::unexpected(rules.error());
    std::unordered_map<std::string, MetaView*> named;
    for (const auto& view : views)
        named.emplace(table_key(view->get_schema(), view->get_name()), view.get());
    for (std::size_t row = 0; row < rules->size(); ++row)
        if (const auto found = named.find(table_key(rules->text(row, "schema_name"), rules->text(row, "table_name")));
            found != named.end())
            found->second->get_rules().push_back(rule_from_row(*rules, row));
    return {};
}

Core::Result<void> PostgreSQLAdapterV11x::fill_meta_view(const Ptr<MetaView>& view) {
    DIZEZIDA_RETURN_VAL_IF_NULL(view, {});
    if (view->is_filled())
        return {};
    if (auto materialized = std::dynamic_pointer_cast<Materialized>(view))
        return {}; // read with its schema
    return read_views({view->get_schema(), view->get_name()}, {view});
}

namespace {

std::string_view mode_word(std::string_view letter) {
    if (letter == "i")
        return "IN";
    if (letter == "o")
        return "OUT";
    if (letter == "b")
        return "INOUT";
    if (letter == "t")
        return "TABLE";
    if (letter == "v")
        return "VARIADIC";
    return "";
}

/// A routine's properties from row `row` of the routine query.
void apply_routine(MetaFunction& routine, const CatalogRows& rows, std::size_t row) {
    routine.set_is_function(rows.text(row, "prokind") != "p");
    auto& attributes = routine.get_attributes();
    attributes[Keys::owner] = rows.text(row, "owner");
    attributes[Keys::language] = rows.text(row, "language");
    attributes[Keys::external_security] = rows.flag(row, "prosecdef") ? "DEFINER" : "INVOKER";
    attributes[Keys::result_set] = rows.flag(row, "proretset") ? "true" : "false";
    const std::string volatility = rows.text(row, "provolatile");
    attributes[Keys::result_depend] = volatility == "i"   ? "IMMUTABLE"
                                      : volatility == "s" ? "STABLE"
                                                          : "VOLATILE";
    attributes[std::string(k_arguments)] = rows.text(row, "arguments");
    attributes[Keys::definition] = rows.text(row, "full_definition");
    routine.set_return_type(rows.is_null(row, "return_type") ? "" : rows.text(row, "return_type"));
    routine.set_body(rows.text(row, "definition"));
    routine.set_comment(rows.text(row, "comment"));

    // One text per parameter: [mode] [name] type [= default].
    const std::vector<std::string> names = rows.list(row, "proargnames");
    const std::vector<std::string> modes = rows.list(row, "proargmodes");
    const std::vector<std::string> types = rows.list(row, "argument_types");
    const std::vector<std::string> defaults = rows.list(row, "defaults");
    std::vector<std::string> parameters;
    for (std::size_t k = 0; k < types.size(); ++k) {
        std::string text;
        if (k < modes.size() && !mode_word(modes[k]).empty())
            text += std::string(mode_word(modes[k])) + " ";
        if (k < names.size() && !names[k].empty())
            text += names[k] + " ";
        text += types[k] + " ";
        if (k < defaults.size() && !defaults[k].empty())
            text += "= " + defaults[k] + " ";
        text.pop_back();
        parameters.push_back(std::move(text));
    }
    routine.set_parameters(std::move(parameters));
}

} // namespace

Core::Result<void>
PostgreSQLAdapterV11x::read_routines(const Scope& scope,
                                     const std::vector<std::shared_ptr<MetaFunction>>& routines) {
    if (routines.empty())
        return {};
    // One routine alone is picked by its identity arguments when it has them.
    const bool single = !scope.name.empty();
    const auto& attributes = routines.front()->get_attributes();
    const auto arguments = attributes.find(std::string(k_arguments));
    const bool by_arguments = single && arguments != attributes.end();
    auto rows = run(Queries::routines(scope, major(), by_arguments,
                                      by_arguments ? arguments->second : std::string()));
    if (!rows)
        return std::unexpected(rows.error());
    std::map<std::pair<std::string, std::string>, std::size_t> by_signature;
    std::unordered_map<std::string, std::size_t> by_name;
    for (std::size_t row = 0; row < rows->size(); ++row) {
        const std::string key = table_key(rows->text(row, "schema_name"), rows->text(row, "proname"));
        by_signature.emplace(std::pair{key, rows->text(row, "arguments")}, row);
        by_name.emplace(key, row);
    }
    for (const auto& routine : routines) {
        const auto& own = routine->get_attributes();
        const auto signature = own.find(std::string(k_arguments));
        const std::string key = table_key(routine->get_schema(), routine->get_name());
        std::size_t row = rows->size();
        if (signature != own.end()) {
            const auto found = by_signature.find({key, signature->second});
            row = found == by_signature.end() ? row : found->second;
        } else if (const auto found = by_name.find(key); found != by_name.end()) {
            row = found->second;
        }
        if (row == rows->size())
            return Core::fail(missing_object("routine", routine->get_schema(), routine->get_name()));
        apply_routine(*routine, *rows, row);
        routine->set_filled(true);
    }
    return {};
}

Core::Result<void> PostgreSQLAdapterV11x::fill_meta_function(const Ptr<MetaFunction>& function) {
    DIZEZIDA_RETURN_VAL_IF_NULL(function, {});
    if (function->is_filled())
        return {};
    return read_routines({function->get_schema(), function->get_name()}, {function});
}

// ---------------------------------------------------------------- roles and privileges

Core::Result<void> PostgreSQLAdapterV11x::fill_account(MetaRelation& account,
                                                       const Ptr<MetaRelation>& shared) {
    if (account.is_filled())
        return {};
    const auto connection = get_connection();
    const auto dialect = connection ? connection->statement() : nullptr;
    if (!dialect)
        return Core::fail(Core::Error::sql(30003, "the adapter's connection has no dialect"));
    auto rows = run(dialect->show_user_detail(account.get_database(), account.get_schema(),
                                              account.get_name()));
    if (!rows)
        return std::unexpected(rows.error());
    if (!rows->empty()) {
        auto& attributes = account.get_attributes();
        attributes[Keys::oid] = rows->text(0, "oids");
        attributes[Keys::super_user] = boolean_text(*rows, 0, "rolsuper");
        attributes[Keys::inherit] = boolean_text(*rows, 0, "rolinherit");
        attributes[Keys::create_role] = boolean_text(*rows, 0, "rolcreaterole");
        attributes[Keys::create_database] = boolean_text(*rows, 0, "rolcreatedb");
        attributes[Keys::bypass] = boolean_text(*rows, 0, "rolbypassrls");
        attributes[Keys::replication] = boolean_text(*rows, 0, "rolreplication");
        attributes[Keys::login] = boolean_text(*rows, 0, "rolcanlogin");
        attributes[Keys::role_connection_limit] = rows->text(0, "rolconnlimit");
        const std::string valid_until = rows->text(0, "rolvaliduntil");
        attributes[Keys::valid_until] = valid_until.size() >= 10 ? valid_until.substr(0, 10) : "";
        account.set_password(rows->text(0, "rolpassword"));
        account.set_comment(rows->text(0, "comment"));
    }
    DIZEZIDA_TRY(load_relation(shared));
    DIZEZIDA_TRY(load_role_privileges(shared));
    account.set_filled(true);
    return {};
}

Core::Result<void> PostgreSQLAdapterV11x::fill_meta_user(const Ptr<MetaUser>& user) {
    DIZEZIDA_RETURN_VAL_IF_NULL(user, {});
    return fill_account(*user, user);
}

Core::Result<void> PostgreSQLAdapterV11x::fill_meta_role(const Ptr<MetaRole>& role) {
    DIZEZIDA_RETURN_VAL_IF_NULL(role, {});
    return fill_account(*role, role);
}

Core::Result<void> PostgreSQLAdapterV11x::load_relation(const Ptr<MetaRelation>& account) {
    DIZEZIDA_RETURN_VAL_IF_NULL(account, {});
    auto roles = run(Queries::memberships(account->get_name()));
    if (!roles)
        return std::unexpected(roles.error());
    if (!roles->empty())
        account->get_attributes()[Keys::roles] = pairs(*roles, "role_name", "admin_option", true);
    auto members = run(Queries::members(account->get_name()));
    if (!members)
        return std::unexpected(members.error());
    if (!members->empty())
        account->get_attributes()[Keys::members] =
            pairs(*members, "role_name", "admin_option", true);
    return {};
}

std::string PostgreSQLAdapterV11x::extract_and_translate_privilege(std::string_view privileges,
                                                                   std::string_view user) {
    for (const std::string& item : CatalogRows::parse_array(privileges)) {
        // grantee=letters/grantor, the grantee in double quotes when it needs them.
        std::string grantee;
        std::size_t at = 0;
        if (!item.empty() && item[0] == '"') {
            for (at = 1; at < item.size(); ++at) {
                if (item[at] == '"' && at + 1 < item.size() && item[at + 1] == '"')
                    grantee.push_back(item[++at]);
                else if (item[at] == '"')
                    break;
                else
                    grantee.push_back(item[at]);
            }
            ++at;
        } else {
            at = item.find('=');
            grantee = item.substr(0, at);
        }
        if (grantee != user || at >= item.size() || item[at] != '=')
            continue;
        const std::string letters = item.substr(at + 1, item.find('/', at) - at - 1);
        std::string out;
        constexpr std::pair<char, std::string_view> names[] = {
            {'r', "SELECT"},     {'a', "INSERT"},  {'w', "UPDATE"}, {'d', "DELETE"},
            {'D', "TRUNCATE"},   {'x', "REFERENCES"}, {'t', "TRIGGER"}, {'C', "CREATE"},
            {'c', "CONNECT"},    {'T', "TEMPORARY"}, {'X', "EXECUTE"}, {'U', "USAGE"}};
        for (const auto& [letter, name] : names) {
            const std::size_t found = letters.find(letter);
            if (found == std::string::npos)
                continue;
            const bool grantable = found + 1 < letters.size() && letters[found + 1] == '*';
            out += fmt::format("{}={},", name, grantable ? "W" : "G");
        }
        if (!out.empty())
            out.pop_back();
        return out;
    }
    return {};
}

Core::Result<void> PostgreSQLAdapterV11x::load_role_privileges(const Ptr<MetaRelation>& account) {
    DIZEZIDA_RETURN_VAL_IF_NULL(account, {});
    const std::string& name = account->get_name();
    auto& privileges = account->get_privileges();
    std::string keys;
    auto store = [&](const std::string& key, const std::string& acl) {
        privileges[key] = extract_and_translate_privilege(acl, name);
        keys += key + ",";
    };
    const auto connection = get_connection();
    const std::string database = connection && connection->get_server()
                                     ? connection->get_server()->initial()
                                     : account->get_database();
    for (std::string_view object_class : {"DATABASE", "TABLESPACE", "SCHEMA", "RELATION", "COLUMN",
                                          "ROUTINE", Keys::language, "SERVER", "WRAPPER"}) {
        auto rows = run(Queries::privileged_objects(object_class, name, database, major()));
        if (!rows)
            return std::unexpected(rows.error());
        for (std::size_t row = 0; row < rows->size(); ++row) {
            const std::string acl = rows->text(row, "acl");
            const std::string object = rows->text(row, "name");
            const std::string schema =
                rows->has("schema_name") ? rows->text(row, "schema_name") : "";
            if (object_class == "DATABASE") {
                store("DATABASE:*.*", acl);
            } else if (object_class == "SCHEMA") {
                store("SCHEMA:" + object + ".*", acl);
            } else if (object_class == "RELATION") {
                const std::string kind = rows->text(row, "relkind");
                const std::string_view prefix = kind == "v"   ? "VIEW"
                                                : kind == "m" ? "MATERIALIZED"
                                                : kind == "S" ? "SEQUENCE"
                                                              : "TABLE";
                store(fmt::format("{}:{}.{}", prefix, schema, object), acl);
            } else if (object_class == "COLUMN") {
                store(fmt::format("COLUMN:{}.{}.{}", schema, rows->text(row, "table_name"), object),
                      acl);
            } else if (object_class == "ROUTINE") {
                const bool procedure = rows->text(row, "prokind") == "p";
                store(fmt::format("{}:{}.{}", procedure ? "PROCEDURE" : "FUNCTION", schema, object),
                      acl);
            } else {
                store(fmt::format("{}:{}", object_class, object), acl);
            }
        }
    }
    privileges[Keys::privilege_objects] = keys;
    return {};
}

void PostgreSQLAdapterV11x::load_privileges(Core::StringMap& map,
                                            std::span<const std::string> kinds) {
    static const std::pair<std::string_view, std::string_view> table[] = {
        {"DATABASE", "CREATE,TEMPORARY,CONNECT"},
        {"DOMAIN", "USAGE"},
        {"FUNCTION", "EXECUTE"},
        {"PROCEDURE", "EXECUTE"},
        {"WRAPPER", "USAGE"},
        {"SERVER", "USAGE"},
        {Keys::language, "USAGE"},
        {"SCHEMA", "USAGE,CREATE"},
        {"SEQUENCE", "SELECT,UPDATE,USAGE"},
        {"TABLE", "INSERT,SELECT,UPDATE,DELETE,TRUNCATE,REFERENCES,TRIGGER"},
        {"COLUMN", "INSERT,SELECT,UPDATE,REFERENCES"},
        {Keys::tablespace, "CREATE"},
        {"TYPE", "USAGE"},
    };
    for (const auto& [kind, privileges] : table) {
        const bool wanted =
            kinds.empty() || std::any_of(kinds.begin(), kinds.end(), [&](const std::string& k) {
                std::string upper = k;
                std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) {
                    return static_cast<char>(std::toupper(c));
                });
                return upper == kind;
            });
        if (wanted)
            map[std::string(kind)] = std::string(privileges);
    }
}

Core::Result<void> PostgreSQLAdapterV11x::load_privileges(const Ptr<std::vector<std::string>>& matrix) {
    DIZEZIDA_RETURN_VAL_IF_NULL(matrix, {});
    Core::StringMap map;
    load_privileges(map, {});
    for (const auto& [kind, privileges] : map)
        matrix->push_back(kind + "=" + privileges);
    return {};
}

// ---------------------------------------------------------------- dispatch

Core::Result<void> PostgreSQLAdapterV11x::fill_meta_object(const Ptr<MetaObject>& meta_object) {
    DIZEZIDA_RETURN_VAL_IF_NULL(meta_object, {});
    switch (meta_object->character()) {
    case DbObject::DATABASE:
        return fill_meta_database(std::dynamic_pointer_cast<MetaDatabase>(meta_object), 0);
    case DbObject::SCHEMA:
        return fill_meta_schema(std::dynamic_pointer_cast<MetaSchema>(meta_object), 0);
    case DbObject::TABLE:
        return fill_meta_table(std::dynamic_pointer_cast<MetaTable>(meta_object), 0);
    case DbObject::EVENT:
        return fill_meta_event(std::dynamic_pointer_cast<MetaEvent>(meta_object));
    case DbObject::FUNCTION:
        return fill_meta_function(std::dynamic_pointer_cast<MetaFunction>(meta_object));
    case DbObject::INDEX:
        return fill_meta_index(std::dynamic_pointer_cast<MetaIndex>(meta_object));
    case DbObject::ROLE:
        return fill_meta_role(std::dynamic_pointer_cast<MetaRole>(meta_object));
    case DbObject::TRIGGER:
        return fill_meta_trigger(std::dynamic_pointer_cast<MetaTrigger>(meta_object));
    case DbObject::USER:
        return fill_meta_user(std::dynamic_pointer_cast<MetaUser>(meta_object));
    case DbObject::VIEW:
    case DbObject::MATERIALIZED_VIEW:
        return fill_meta_view(std::dynamic_pointer_cast<MetaView>(meta_object));
    default:
        return {};
    }
}

const Core::TypeInfo& PostgreSQLAdapterV11x::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<PostgreSQLAdapterV11x, Adapter>(
        "DizezidaDovodarudSupportsDatabasePostgreSQLAdapterV11x", {});
    return info;
}

} // namespace Dizezida::Dovodarud::Supports::Database

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Database::PostgreSQLAdapterV11x)
