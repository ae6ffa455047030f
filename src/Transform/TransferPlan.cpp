#include "Transform/TransferPlan.hpp"

#include "provider/Contracts/DbObject.hpp"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>

namespace Dizezida::Dovodarud::Transform {

using Zozuvoru::Contracts::DbObject;

namespace {

constexpr std::string_view k_database = "OPTION|SOURCE|DATABASE";
constexpr std::string_view k_drop = "OPTION|RESULT|DROP_OBJECT";
constexpr std::string_view k_continue = "OPTION|RESULT|CONTINUE";
constexpr std::string_view k_binary = "OPTION|RESULT|BINARY";
constexpr std::string_view k_jobs = "OPTION|RESULT|JOBS";
const std::string k_schema = to_string(DbObject::SCHEMA);
const std::string k_table = to_string(DbObject::TABLE);
const std::string k_view = to_string(DbObject::VIEW);

Core::Error plan_error(std::string message) {
    return Core::Error{"Transform", 0, std::move(message)};
}

std::string flag(bool on) {
    return on ? "true" : "false";
}

/// A count above 0 (rows per page, jobs); 0 (the default) for any other text.
std::size_t count_of(const std::string& text) {
    long long rows = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), rows);
    if (error != std::errc() || end != text.data() + text.size() || rows < 1)
        return 0;
    return static_cast<std::size_t>(rows);
}

Core::Result<nlohmann::json> json_array(std::string_view key, const std::string& text) {
    auto json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_discarded() || !json.is_array())
        return Core::fail(plan_error(fmt::format("option {}: {} is not a JSON array", key, text)));
    return json;
}

Core::Result<std::vector<ColumnPair>> columns_of(std::string_view key, const std::string& text) {
    std::vector<ColumnPair> columns;
    if (text.empty() || text == "ALL")
        return columns;
    auto items = json_array(key, text);
    if (!items)
        return Core::fail(std::move(items).error());
    for (const auto& item : *items) {
        if (item.is_string())
            columns.push_back({item.get<std::string>(), item.get<std::string>()});
        else if (item.is_array() && item.size() == 2 && item[0].is_string() && item[1].is_string())
            columns.push_back({item[0].get<std::string>(), item[1].get<std::string>()});
        else
            return Core::fail(plan_error(
                fmt::format("option {}: {} is neither a column name nor a [source, target] pair",
                            key, item.dump())));
    }
    return columns;
}

Core::Result<std::vector<std::string>> conditions_of(std::string_view key,
                                                     const std::string& text) {
    std::vector<std::string> conditions;
    if (text.empty())
        return conditions;
    auto items = json_array(key, text);
    if (!items)
        return Core::fail(std::move(items).error());
    for (const auto& item : *items) {
        if (!item.is_string())
            return Core::fail(
                plan_error(fmt::format("option {}: {} is not a condition", key, item.dump())));
        std::string condition = item.get<std::string>();
        if (condition.find_first_not_of(" \t\r\n") != std::string::npos)
            conditions.push_back(std::move(condition));
    }
    return conditions;
}

/// The fields of an object whose MODE is "true"; `field` is its key field.
Core::Result<TransferObjectPlan> object_fields(const JobOptions& options,
                                               const std::string& field) {
    const auto key = [&](const std::string& kind, std::string_view what) {
        return option_key(kind, field, what);
    };
    TransferObjectPlan object;
    object.target_name = option_value(options, key(k_table, "NAME"));
    object.batch = count_of(option_value(options, key(k_table, "BATCH")));
    object.view_to_table = option_value(options, key(k_table, "VIEW2TABLE")) == "true";
    const std::string fields_key =
        options.count(key(k_table, "FIELDS")) ? key(k_table, "FIELDS") : key(k_view, "FIELDS");
    auto columns = columns_of(fields_key, option_value(options, fields_key));
    if (!columns)
        return Core::fail(std::move(columns).error());
    object.columns = std::move(*columns);
    const std::string records_key = key(k_table, "RECORDS");
    auto conditions = conditions_of(records_key, option_value(options, records_key));
    if (!conditions)
        return Core::fail(std::move(conditions).error());
    object.conditions = std::move(*conditions);
    return object;
}

/// Adds the object of a "table|<field>|MODE" key.
Core::Result<void> add_object(TransferPlan& plan, const JobOptions& options,
                              const std::string& field, const std::string& mode) {
    const std::vector<std::string> names = key_names(field);
    const bool named = std::none_of(names.begin(), names.end(),
                                    [](const std::string& name) { return name.empty(); });
    if (names.size() > 2 || !named)
        return Core::fail(plan_error(fmt::format("option key {}: \"{}\" is not a table name (write "
                                                 "\\ before each \\, | and . of a name)",
                                                 option_key(k_table, field, "MODE"), field)));
    const ObjectName name =
        names.size() == 2 ? ObjectName{names[0], names[1]} : ObjectName{std::string(), names[0]};
    TransferObjectPlan& object = plan.objects[name];
    if (mode != "true")
        return {};
    auto fields = object_fields(options, field);
    if (!fields)
        return Core::fail(std::move(fields).error());
    object = std::move(*fields);
    return {};
}

nlohmann::json column_list(const std::vector<ColumnPair>& columns) {
    nlohmann::json list = nlohmann::json::array();
    for (const ColumnPair& column : columns)
        list.push_back({column.source, column.target});
    return list;
}

void write_object(JobOptions& options, const ObjectName& name, const TransferObjectPlan& object) {
    const std::string field =
        name.first.empty() ? key_name(name.second) : key_name(name.first, name.second);
    const auto set = [&](std::string_view what, std::string value) {
        options[option_key(k_table, field, what)] = std::move(value);
    };
    set("MODE", "true");
    if (!object.target_name.empty())
        set("NAME", object.target_name);
    if (object.batch != 0)
        set("BATCH", std::to_string(object.batch));
    if (!object.columns.empty())
        set("FIELDS", column_list(object.columns).dump());
    if (!object.conditions.empty())
        set("RECORDS", nlohmann::json(object.conditions).dump());
    if (object.view_to_table)
        set("VIEW2TABLE", "true");
}

} // namespace

std::string TransferPlan::target_schema(const std::string& schema) const {
    const auto found = schemas.find(schema);
    return found == schemas.end() || found->second.empty() ? schema : found->second;
}

const TransferObjectPlan* TransferPlan::object(const std::string& schema,
                                               const std::string& name) const {
    auto found = objects.find({schema, name});
    if (found == objects.end())
        found = objects.find({std::string(), name});
    return found == objects.end() ? nullptr : &found->second;
}

Core::Result<TransferPlan> transfer_plan(const JobOptions& options) {
    TransferPlan plan;
    plan.source_database = option_value(options, k_database);
    plan.drop = option_value(options, k_drop) == "true";
    plan.go_on = option_value(options, k_continue) == "true";
    plan.binary = option_value(options, k_binary) != "false";
    plan.jobs = count_of(option_value(options, k_jobs));
    for (const auto& [key, mode] : options) {
        const std::vector<std::string> fields = key_fields(key);
        if (fields.size() != 3 || fields[2] != "MODE")
            continue;
        if (fields[0] == k_schema) {
            const std::string target =
                option_value(options, option_key(k_schema, fields[1], "NAME"));
            plan.schemas[unescaped(fields[1])] = mode == "true" ? target : std::string();
        } else if (fields[0] == k_table) {
            DIZEZIDA_TRY(add_object(plan, options, fields[1], mode));
        }
    }
    return plan;
}

JobOptions transfer_options(const TransferPlan& plan) {
    JobOptions options{{std::string(k_database), plan.source_database},
                       {std::string(k_drop), flag(plan.drop)},
                       {std::string(k_continue), flag(plan.go_on)}};
    if (!plan.binary)
        options[std::string(k_binary)] = flag(false);
    if (plan.jobs != 0)
        options[std::string(k_jobs)] = std::to_string(plan.jobs);
    for (const auto& [schema, target] : plan.schemas) {
        options[option_key(k_schema, key_name(schema), "MODE")] = "true";
        if (!target.empty())
            options[option_key(k_schema, key_name(schema), "NAME")] = target;
    }
    for (const auto& [name, object] : plan.objects)
        write_object(options, name, object);
    return options;
}

} // namespace Dizezida::Dovodarud::Transform
