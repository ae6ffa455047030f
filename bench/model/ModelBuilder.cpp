#include "bench/model/ModelBuilder.hpp"

#include "Model/MetaSchema.hpp"
#include "Model/MetaTable.hpp"

#include <fmt/format.h>

#include <sys/resource.h>

namespace Dizezida::Bench {

using namespace Dovodarud::MetaModel;

std::shared_ptr<MetaDatabase> build_model(std::size_t tables, std::size_t columns) {
    static constexpr std::pair<DataType, const char*> k_types[] = {
        {DataType::INTEGER, "integer"},
        {DataType::VARCHAR, "character varying(64)"},
        {DataType::TIMESTAMP, "timestamp without time zone"},
        {DataType::NUMERIC, "numeric(12,2)"},
        {DataType::BOOLEAN, "boolean"},
    };
    auto database = MetaDatabase::with_name("bench");
    auto schema = database->append("public");
    schema->get_tables().reserve(tables);
    for (std::size_t t = 0; t < tables; ++t) {
        auto table = MetaTable::with_names("bench", "public", fmt::format("table_{}", t));
        table->get_attributes()["OWNER"] = "postgres";
        table->set_comment(fmt::format("table number {}", t));
        for (std::size_t c = 0; c < columns; ++c) {
            const auto& [type, raw] = k_types[c % std::size(k_types)];
            auto column = table->new_column(fmt::format("column_{}", c), type);
            column->set_database("bench");
            column->set_schema("public");
            column->set_raw_type(raw);
            column->set_ordinal(static_cast<std::uint32_t>(c + 1));
            column->set_not_null(c == 0);
            column->set_is_primary_key(c == 0);
            column->set_primary_ordinal(c == 0 ? 1 : 0);
            if (c == 0)
                column->set_default_value(fmt::format("nextval('table_{}_id_seq'::regclass)", t));
        }
        schema->get_tables().push_back(std::move(table));
    }
    return database;
}

double peak_rss_mib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB on Linux
}

} // namespace Dizezida::Bench
