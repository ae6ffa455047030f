#include "Transform/SyncPlan.hpp"

#include <array>

namespace Dizezida::Dovodarud::Transform {

namespace {

constexpr std::string_view k_option = "OPTION";
constexpr std::string_view k_table = "table";

/// The plan's fields that option keys without names hold.
struct FixedKey {
    std::string_view key;
    std::string SyncPlan::*field;
};
constexpr std::array<FixedKey, 4> k_fixed_keys{{
    {"OPTION|SOURCE|DATABASE", &SyncPlan::source_database},
    {"OPTION|SOURCE|SCHEMA", &SyncPlan::source_schema},
    {"OPTION|TARGET|DATABASE", &SyncPlan::target_database},
    {"OPTION|TARGET|SCHEMA", &SyncPlan::target_schema},
}};
constexpr std::string_view k_continue = "OPTION|RESULT|CONTINUE";

bool fixed_group(std::string_view field) {
    return field == "SOURCE" || field == "TARGET" || field == "RESULT";
}

} // namespace

bool SyncPlan::takes_part(const std::string& kind, const std::string& name) const {
    return objects.count({kind, name}) != 0;
}

std::vector<std::string> SyncPlan::tables() const {
    std::vector<std::string> names;
    for (auto it = objects.lower_bound(std::pair(std::string(k_table), std::string()));
         it != objects.end() && it->first == k_table; ++it)
        names.push_back(it->second);
    return names;
}

SyncPlan sync_plan(const JobOptions& options) {
    SyncPlan plan;
    for (const FixedKey& fixed : k_fixed_keys)
        plan.*fixed.field = option_value(options, fixed.key);
    plan.go_on = option_value(options, k_continue) == "true";
    for (const auto& [key, value] : options) {
        const std::vector<std::string> fields = key_fields(key);
        if (fields.size() == 3 && fields[0] == k_option && !fixed_group(fields[1]))
            plan.objects.emplace(unescaped(fields[1]), unescaped(fields[2]));
    }
    return plan;
}

JobOptions sync_options(const SyncPlan& plan) {
    JobOptions options;
    for (const FixedKey& fixed : k_fixed_keys)
        options[std::string(fixed.key)] = plan.*fixed.field;
    options[std::string(k_continue)] = plan.go_on ? "true" : "false";
    for (const auto& [kind, name] : plan.objects)
        options[option_key(k_option, key_name(kind), key_name(name))] = "";
    return options;
}

} // namespace Dizezida::Dovodarud::Transform
