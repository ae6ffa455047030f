#include "ui/CatalogReader.hpp"

#include "Contracts/Database/IAdaptable.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/SqlText.hpp"

#include <unistd.h>

#include <iostream>

namespace Dizezida::Rezizida {

using namespace Dizezida::Dovodarud;
using Dizezida::Dovodarud::Supports::Database::sql_literal;

namespace {

/// Counts objects read and shows the count on a terminal.
class Progress {
public:
    Progress() : m_shown(isatty(STDERR_FILENO) != 0) {}
    ~Progress() {
        if (m_shown && m_count > 0)
            std::cerr << '\n';
    }
    void add(const MetaModel::MetaSchema& schema) {
        m_count += schema.get_tables().size() + schema.get_views().size() +
                   schema.get_functions().size() + schema.get_procedures().size() +
                   schema.get_miews().size() + schema.get_types().size() +
                   schema.get_sequences().size();
        if (m_shown)
            std::cerr << "\rread " << m_count << " objects (schema " << schema.get_name() << ")"
                      << std::flush;
    }

private:
    bool m_shown;
    std::size_t m_count = 0;
};

/// A single value of a query, or "" after printing the error.
} // namespace

std::string scalar(Supports::Database::ConnectionImpl& connection, const std::string& sql,
                   const std::string& command) {
    auto value = connection.execute_as_scalar(sql, 0);
    if (!value) {
        std::cerr << command << ": " << value.error().message << '\n';
        return {};
    }
    return *value ? (*value)->to_string() : std::string();
}

std::shared_ptr<MetaModel::MetaObject> read_catalog(Supports::Database::ConnectionImpl& connection,
                                                    const CatalogSelection& selection,
                                                    const std::string& command) {
    auto adapter = connection.adapter();
    const auto failed = [&](const Core::Error& error) {
        std::cerr << command << ": " << error.message << '\n';
        return std::shared_ptr<MetaModel::MetaObject>();
    };
    const std::string database_name =
        scalar(connection, "SELECT pg_catalog.current_database()", command);
    if (database_name.empty())
        return nullptr;
    Progress progress;
    if (!selection.table.empty()) {
        const auto point = selection.table.find('.');
        if (point == std::string::npos) {
            std::cerr << command << ": --table takes SCHEMA.TABLE\n";
            return nullptr;
        }
        const std::string schema = selection.table.substr(0, point);
        const std::string name = selection.table.substr(point + 1);
        const std::string exists = scalar(
            connection,
            "SELECT count(*) FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n"
            " ON n.oid = c.relnamespace WHERE c.relkind IN ('r', 'p', 'f') AND n.nspname = " +
                sql_literal(schema) + " AND c.relname = " + sql_literal(name),
            command);
        if (exists != "1") {
            if (!exists.empty())
                std::cerr << command << ": no table " << selection.table << '\n';
            return nullptr;
        }
        auto table = MetaModel::MetaTable::with_names(database_name, schema, name);
        if (auto filled = adapter->fill_meta_table(table, 1); !filled)
            return failed(filled.error());
        return table;
    }
    auto database = MetaModel::MetaDatabase::with_name(database_name);
    if (selection.schemas.empty()) {
        if (auto filled = adapter->fill_meta_database(database, 0); !filled)
            return failed(filled.error());
        if (!selection.system)
            std::erase_if(database->get_schemas(), [](const auto& schema) {
                return schema->get_name() == "pg_catalog" ||
                       schema->get_name() == "information_schema";
            });
    } else {
        for (const std::string& name : selection.schemas) {
            const std::string exists = scalar(
                connection,
                "SELECT count(*) FROM pg_catalog.pg_namespace WHERE nspname = " + sql_literal(name),
                command);
            if (exists == "0" && selection.missing_ok)
                continue;
            if (exists != "1") {
                if (!exists.empty())
                    std::cerr << command << ": no schema " << name << '\n';
                return nullptr;
            }
            database->append(name);
        }
    }
    // Every schema in one pass: a fixed number of queries, however many schemas.
    if (auto filled = adapter->fill_meta_schemas(database->get_schemas(), 1); !filled)
        return failed(filled.error());
    for (const auto& schema : database->get_schemas())
        progress.add(*schema);
    return database;
}

} // namespace Dizezida::Rezizida
