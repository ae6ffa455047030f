#include "ui/CatalogReader.hpp"

#include "Contracts/Database/IAdaptable.hpp"
#include "Contracts/Database/IExplorable.hpp"
#include "Model/MetaModel.hpp"

#include <unistd.h>

#include <algorithm>
#include <iostream>

namespace Dizezida::Rezizida {

using namespace Dizezida::Dovodarud;

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

std::string database_name(Supports::Database::ConnectionImpl& connection,
                          const std::string& command) {
    auto name = connection.explorer()->current_database();
    if (!name) {
        std::cerr << command << ": " << name.error().message << '\n';
        return {};
    }
    return *name;
}

std::shared_ptr<MetaModel::MetaObject> read_catalog(Supports::Database::ConnectionImpl& connection,
                                                    const CatalogSelection& selection,
                                                    const std::string& command) {
    auto adapter = connection.adapter();
    const auto failed = [&](const Core::Error& error) {
        std::cerr << command << ": " << error.message << '\n';
        return std::shared_ptr<MetaModel::MetaObject>();
    };
    const auto explorer = connection.explorer();
    const std::string database = database_name(connection, command);
    if (database.empty())
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
        auto relations = explorer->relations({schema});
        if (!relations)
            return failed(relations.error());
        const bool exists = std::ranges::any_of(*relations, [&](const auto& relation) {
            return relation.name == name && (relation.is_table() || relation.kind == 'f');
        });
        if (!exists) {
            std::cerr << command << ": no table " << selection.table << '\n';
            return nullptr;
        }
        auto table = MetaModel::MetaTable::with_names(database, schema, name);
        if (auto filled = adapter->fill_meta_table(table, 1); !filled)
            return failed(filled.error());
        return table;
    }
    auto model = MetaModel::MetaDatabase::with_name(database);
    if (selection.schemas.empty()) {
        if (auto filled = adapter->fill_meta_database(model, 0); !filled)
            return failed(filled.error());
        if (!selection.system)
            std::erase_if(model->get_schemas(), [](const auto& schema) {
                return schema->get_name() == "pg_catalog" ||
                       schema->get_name() == "information_schema";
            });
    } else {
        for (const std::string& name : selection.schemas) {
            auto exists = explorer->has_schema(name);
            if (!exists)
                return failed(exists.error());
            if (!*exists && selection.missing_ok)
                continue;
            if (!*exists) {
                std::cerr << command << ": no schema " << name << '\n';
                return nullptr;
            }
            model->append(name);
        }
    }
    // Every schema in one pass: a fixed number of queries, however many schemas.
    if (auto filled = adapter->fill_meta_schemas(model->get_schemas(), 1); !filled)
        return failed(filled.error());
    for (const auto& schema : model->get_schemas())
        progress.add(*schema);
    return model;
}

} // namespace Dizezida::Rezizida
