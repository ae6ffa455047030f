#include "Supports/Database/SqlBuilder.hpp"

#include "Model/MetaKeys.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/SqlText.hpp"
#include "core/Precondition.hpp"

#include <algorithm>
#include <functional>
#include <limits>
#include <queue>
#include <unordered_map>

namespace Dizezida::Dovodarud::Supports::Database {

namespace Keys = MetaModel::Keys;

using MetaModel::MetaDatabase;
using MetaModel::MetaEvent;
using MetaModel::MetaFunction;
using MetaModel::MetaIndex;
using MetaModel::MetaObject;
using MetaModel::MetaRole;
using MetaModel::MetaSchema;
using MetaModel::MetaTable;
using MetaModel::MetaTrigger;
using MetaModel::MetaUser;
using MetaModel::MetaView;
using Zozuvoru::Contracts::DataSetModel;
using Zozuvoru::Contracts::TableModel;

const Core::TypeInfo& SqlBuilder::static_type() {
    static const Core::TypeInfo info = Core::TypeInfo::make_class<SqlBuilder, Core::Object>(
        "DizezidaDovodarudSupportsDatabaseSqlBuilder", {},
        {&Contracts::Database::IBuildable::static_type()});
    return info;
}

std::shared_ptr<SqlBuilder> SqlBuilder::create(const Contracts::Database::ConnectionPtr& conn) {
    DIZEZIDA_RETURN_VAL_IF_NULL(conn, nullptr);
    return std::make_shared<SqlBuilder>(conn);
}

// ---- Defaults: a dialect that does not override an operation yields "". ----

std::string SqlBuilder::build_create(const Ptr<MetaObject>& meta_object, bool) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(meta_object, {});
    return {};
}
std::string SqlBuilder::build_delete(const Ptr<MetaObject>& meta_object) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(meta_object, {});
    return {};
}
std::string SqlBuilder::build_patch(const Ptr<MetaObject>& meta_object) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(meta_object, {});
    return {};
}
std::string SqlBuilder::build_normal(const Ptr<MetaTable>& table,
                                     Contracts::Database::SqlAction) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(table, {});
    return {};
}
std::string SqlBuilder::build_caller(const Ptr<MetaFunction>& function) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(function, {});
    return {};
}
std::string SqlBuilder::alter_database(const Ptr<MetaDatabase>& database_old,
                                       const Ptr<MetaDatabase>& database_new) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(database_old, {});
    DIZEZIDA_RETURN_VAL_IF_NULL(database_new, {});
    return {};
}
std::string SqlBuilder::create_database(const Ptr<MetaDatabase>& database, std::int32_t) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(database, {});
    return {};
}
std::string SqlBuilder::alter_schema(const Ptr<MetaSchema>& schema_old,
                                     const Ptr<MetaSchema>& schema_new) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(schema_old, {});
    DIZEZIDA_RETURN_VAL_IF_NULL(schema_new, {});
    return {};
}
std::string SqlBuilder::build_schema(const Ptr<MetaSchema>& schema, bool) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(schema, {});
    return {};
}
std::string SqlBuilder::build_schemas(const std::vector<Ptr<MetaSchema>>& schemas,
                                      bool keep_raw_type) const {
    std::string sql;
    for (const auto& schema : schemas)
        sql += build_schema(schema, keep_raw_type);
    return sql;
}
std::string SqlBuilder::build_table(const Ptr<MetaTable>& table, bool) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(table, {});
    return {};
}
std::string SqlBuilder::build_view(const Ptr<MetaView>& view) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(view, {});
    return {};
}
std::string SqlBuilder::build_index(const Ptr<MetaIndex>& index) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(index, {});
    return {};
}
std::string SqlBuilder::build_trigger(const Ptr<MetaTrigger>& trigger) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(trigger, {});
    return {};
}
std::string SqlBuilder::build_function(const Ptr<MetaFunction>& function) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(function, {});
    return {};
}
std::string SqlBuilder::build_user(const Ptr<MetaUser>& user) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(user, {});
    return {};
}
std::string SqlBuilder::build_role(const Ptr<MetaRole>& role) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(role, {});
    return {};
}
std::string SqlBuilder::build_script(const Ptr<DataSetModel>& dataset) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(dataset, {});
    return {};
}
std::string SqlBuilder::build_event(const Ptr<MetaEvent>& event) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(event, {});
    return {};
}
std::string SqlBuilder::patch_event(const Ptr<MetaEvent>& event) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(event, {});
    return {};
}
std::string SqlBuilder::patch_function(const Ptr<MetaFunction>& func) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(func, {});
    return {};
}
std::string SqlBuilder::patch_script(const Ptr<MetaDatabase>& database) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(database, {});
    return {};
}
std::string SqlBuilder::patch_table(const Ptr<MetaTable>& table) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(table, {});
    return {};
}
std::string SqlBuilder::patch_view(const Ptr<MetaView>& view) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(view, {});
    return {};
}
std::string SqlBuilder::patch_data_table(const Ptr<TableModel>& model) const {
    DIZEZIDA_RETURN_VAL_IF_NULL(model, {});
    return {};
}

// ---- Quoting ----

namespace {

/// `name` in backticks, inner backticks doubled.
void append_backticked(std::string& out, std::string_view name) {
    out += '`';
    for (const char c : name) {
        if (c == '`')
            out += '`';
        out += c;
    }
    out += '`';
}

} // namespace

std::string SqlBuilder::quote_identifier(std::string_view identifier, std::string_view separator,
                                         std::string_view replacement) const {
    std::string out;
    // An empty separator occurs everywhere and splits nothing: one name.
    if (separator.empty() || identifier.find(separator) == std::string_view::npos) {
        append_backticked(out, identifier);
        return out;
    }
    std::size_t from = 0;
    while (true) {
        const std::size_t to = identifier.find(separator, from);
        const std::string_view piece = identifier.substr(from, to - from);
        if (!piece.empty() && piece != replacement)
            append_backticked(out, piece);
        else
            out += replacement;
        if (to == std::string_view::npos)
            break;
        out += separator;
        from = to + separator.size();
    }
    return out;
}

// ---- Ordering by dependence ----

namespace {

using Graph = std::vector<std::vector<std::size_t>>; // node -> the nodes it needs first
constexpr std::size_t k_unset = std::numeric_limits<std::size_t>::max();

/// Strongly connected components (Tarjan's, without recursion so long chains
/// cannot exhaust the stack): component number per node.
std::vector<std::size_t> components(const Graph& needs) {
    const std::size_t n = needs.size();
    std::vector<std::size_t> order(n, k_unset), low(n, 0), component(n, k_unset);
    std::vector<bool> on_stack(n, false);
    std::vector<std::size_t> stack;
    std::vector<std::pair<std::size_t, std::size_t>> frames; // node, next edge
    std::size_t counter = 0, count = 0;
    const auto visit = [&](std::size_t node) {
        order[node] = low[node] = counter++;
        stack.push_back(node);
        on_stack[node] = true;
        frames.emplace_back(node, 0);
    };
    for (std::size_t root = 0; root < n; ++root) {
        if (order[root] != k_unset)
            continue;
        visit(root);
        while (!frames.empty()) {
            const std::size_t node = frames.back().first;
            const std::size_t edge = frames.back().second;
            if (edge < needs[node].size()) {
                ++frames.back().second;
                const std::size_t next = needs[node][edge];
                if (order[next] == k_unset)
                    visit(next);
                else if (on_stack[next])
                    low[node] = std::min(low[node], order[next]);
                continue;
            }
            if (low[node] == order[node]) {
                std::size_t member;
                do {
                    member = stack.back();
                    stack.pop_back();
                    on_stack[member] = false;
                    component[member] = count;
                } while (member != node);
                ++count;
            }
            frames.pop_back();
            if (!frames.empty())
                low[frames.back().first] = std::min(low[frames.back().first], low[node]);
        }
    }
    return component;
}

/// A stable topological order of nodes numbered in their current order:
/// repeatedly the first node whose needs are all placed; when a cycle leaves
/// none, the first node not yet placed. `needs` lists are free of repeats
/// and of the node itself.
std::vector<std::size_t> stable_order(const Graph& needs) {
    const std::size_t n = needs.size();
    Graph needed_by(n);
    std::vector<std::size_t> waiting(n);
    for (std::size_t node = 0; node < n; ++node) {
        waiting[node] = needs[node].size();
        for (const std::size_t need : needs[node])
            needed_by[need].push_back(node);
    }
    std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<>> ready;
    for (std::size_t node = 0; node < n; ++node)
        if (waiting[node] == 0)
            ready.push(node);
    std::vector<bool> placed(n, false);
    std::vector<std::size_t> result;
    result.reserve(n);
    std::size_t first_open = 0;
    while (result.size() < n) {
        if (ready.empty()) { // a cycle: break it at its first node
            while (placed[first_open])
                ++first_open;
            ready.push(first_open);
        }
        const std::size_t node = ready.top();
        ready.pop();
        if (placed[node])
            continue;
        placed[node] = true;
        result.push_back(node);
        for (const std::size_t other : needed_by[node])
            if (--waiting[other] == 0 && !placed[other])
                ready.push(other);
    }
    return result;
}

/// `needs` of the nodes in `members` (ascending), renumbered to positions in
/// `members` and keeping only needs inside it.
Graph restricted(const Graph& needs, const std::vector<std::size_t>& members,
                 const std::vector<std::size_t>& position) {
    Graph local(members.size());
    for (std::size_t i = 0; i < members.size(); ++i)
        for (const std::size_t need : needs[members[i]])
            if (position[need] != k_unset)
                local[i].push_back(position[need]);
    return local;
}

} // namespace

void SqlBuilder::order_with_dependence(const Ptr<MetaSchema>& schema, std::size_t start) const {
    DIZEZIDA_RETURN_IF_NULL(schema);
    auto& tables = schema->get_tables();
    if (start >= tables.size() || tables.size() - start < 2)
        return;
    const std::size_t n = tables.size() - start;
    const auto table_at = [&](std::size_t node) -> const MetaTable* {
        return tables[start + node].get();
    };

    // Which tables of the open range a reference can mean: same name, and
    // same schema when the reference names one.
    std::unordered_map<std::string_view, std::vector<std::size_t>> by_name;
    for (std::size_t node = 0; node < n; ++node)
        if (const MetaTable* table = table_at(node))
            by_name[table->get_name()].push_back(node);
    const auto schema_of = [&](const MetaTable& table) -> const std::string& {
        return table.get_schema().empty() ? schema->get_name() : table.get_schema();
    };
    Graph needs(n);
    const auto need = [&](std::size_t node, std::string_view refer_schema,
                          std::string_view refer_table) {
        const auto found = by_name.find(refer_table);
        if (found == by_name.end())
            return;
        for (const std::size_t other : found->second)
            if (other != node &&
                (refer_schema.empty() || schema_of(*table_at(other)) == refer_schema))
                needs[node].push_back(other);
    };
    for (std::size_t node = 0; node < n; ++node) {
        const MetaTable* table = table_at(node);
        if (!table)
            continue;
        for (const auto& constraint : table->get_constraints())
            if (const auto* key = dynamic_cast<const MetaModel::MetaForeignKey*>(constraint.get()))
                need(node, key->get_refer_schema(), key->get_refer_table());
        const auto& options = table->get_options();
        if (const auto inherits = options.find(Keys::inherits); inherits != options.end())
            for (const QualifiedName& parent : parse_qualified_list(inherits->second))
                need(node, parent.schema, parent.name);
        std::ranges::sort(needs[node]);
        const auto repeats = std::ranges::unique(needs[node]);
        needs[node].erase(repeats.begin(), repeats.end());
    }

    // Tables that need each other form one group; groups are placed in a
    // stable order of the group graph (numbered by their first member), the
    // members of each group in a stable order of the keys inside it.
    const std::vector<std::size_t> component = components(needs);
    std::vector<std::size_t> group_of_component(n, k_unset);
    std::vector<std::vector<std::size_t>> members;
    std::vector<std::size_t> group(n);
    for (std::size_t node = 0; node < n; ++node) {
        std::size_t& g = group_of_component[component[node]];
        if (g == k_unset) {
            g = members.size();
            members.emplace_back();
        }
        group[node] = g;
        members[g].push_back(node);
    }
    Graph group_needs(members.size());
    for (std::size_t node = 0; node < n; ++node)
        for (const std::size_t other : needs[node])
            if (group[other] != group[node])
                group_needs[group[node]].push_back(group[other]);
    for (auto& list : group_needs) {
        std::ranges::sort(list);
        const auto repeats = std::ranges::unique(list);
        list.erase(repeats.begin(), repeats.end());
    }

    std::vector<std::size_t> position(n, k_unset);
    std::vector<std::shared_ptr<MetaTable>> ordered;
    ordered.reserve(n);
    for (const std::size_t g : stable_order(group_needs)) {
        const std::vector<std::size_t>& list = members[g];
        if (list.size() == 1) {
            ordered.push_back(std::move(tables[start + list.front()]));
            continue;
        }
        for (std::size_t i = 0; i < list.size(); ++i)
            position[list[i]] = i;
        for (const std::size_t i : stable_order(restricted(needs, list, position)))
            ordered.push_back(std::move(tables[start + list[i]]));
        for (const std::size_t node : list)
            position[node] = k_unset;
    }
    std::ranges::move(ordered, tables.begin() + static_cast<std::ptrdiff_t>(start));
}

} // namespace Dizezida::Dovodarud::Supports::Database

DIZEZIDA_REGISTER_TYPE(Dizezida::Dovodarud::Supports::Database::SqlBuilder)
