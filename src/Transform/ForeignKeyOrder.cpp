#include "Transform/ForeignKeyOrder.hpp"

#include "Supports/Database/PostgreSQL/Catalog/CatalogQueries.hpp"
#include "Supports/Database/SqlText.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <deque>
#include <set>

namespace Dizezida::Dovodarud::Transform {

namespace {

constexpr std::size_t k_unvisited = static_cast<std::size_t>(-1);

/// The strongly connected parts of a graph (Tarjan's, without recursion, so
/// that a long chain of keys cannot exhaust the stack): the part of each node.
std::vector<std::size_t> strong_parts(const std::vector<std::vector<std::size_t>>& edges,
                                      std::size_t& count) {
    const std::size_t n = edges.size();
    std::vector<std::size_t> index(n, k_unvisited), low(n, 0), part(n, k_unvisited);
    std::vector<std::size_t> stack;
    std::vector<bool> on_stack(n, false);
    std::size_t counter = 0;
    count = 0;
    struct Frame {
        std::size_t node;
        std::size_t next;
    };
    const auto visit = [&](std::vector<Frame>& calls, std::size_t node) {
        index[node] = low[node] = counter++;
        stack.push_back(node);
        on_stack[node] = true;
        calls.push_back({node, 0});
    };
    for (std::size_t start = 0; start < n; ++start) {
        if (index[start] != k_unvisited)
            continue;
        std::vector<Frame> calls;
        visit(calls, start);
        while (!calls.empty()) {
            const std::size_t node = calls.back().node;
            if (calls.back().next < edges[node].size()) {
                const std::size_t next = edges[node][calls.back().next++];
                if (index[next] == k_unvisited)
                    visit(calls, next);
                else if (on_stack[next])
                    low[node] = std::min(low[node], index[next]);
                continue;
            }
            calls.pop_back();
            if (!calls.empty())
                low[calls.back().node] = std::min(low[calls.back().node], low[node]);
            if (low[node] != index[node])
                continue;
            for (std::size_t member = k_unvisited; member != node;) {
                member = stack.back();
                stack.pop_back();
                on_stack[member] = false;
                part[member] = count;
            }
            ++count;
        }
    }
    return part;
}

/// The shortest way from `start` back to itself through the other nodes of
/// its part (the part has more than one node).
std::vector<std::size_t> cycle_through(std::size_t start,
                                       const std::vector<std::vector<std::size_t>>& edges,
                                       const std::vector<std::size_t>& part) {
    std::vector<std::size_t> came_from(edges.size(), k_unvisited);
    std::deque<std::size_t> queue{start};
    came_from[start] = start;
    while (!queue.empty()) {
        const std::size_t node = queue.front();
        queue.pop_front();
        for (const std::size_t next : edges[node]) {
            if (next == start && node != start) {
                std::vector<std::size_t> path{start};
                for (std::size_t at = node; at != start; at = came_from[at])
                    path.insert(path.begin() + 1, at);
                path.push_back(start);
                return path;
            }
            if (part[next] == part[start] && came_from[next] == k_unvisited) {
                came_from[next] = node;
                queue.push_back(next);
            }
        }
    }
    return {start, start};
}

} // namespace

std::string TableName::text() const {
    return Supports::Database::sql_qualified(schema, table);
}

std::vector<TableGroup> order_by_foreign_keys(std::vector<TableName> tables,
                                              const std::vector<ForeignKeyLink>& keys,
                                              KeyOrder order) {
    std::sort(tables.begin(), tables.end());
    tables.erase(std::unique(tables.begin(), tables.end()), tables.end());
    const auto node_of = [&](const TableName& name) {
        const auto found = std::lower_bound(tables.begin(), tables.end(), name);
        return found != tables.end() && *found == name
                   ? static_cast<std::size_t>(found - tables.begin())
                   : k_unvisited;
    };
    // Child to parent, by node number (so by name).
    std::vector<std::vector<std::size_t>> refers(tables.size());
    std::vector<bool> self(tables.size(), false);
    struct Link {
        std::size_t child, parent;
        bool deferrable;
    };
    std::vector<Link> links;
    for (const ForeignKeyLink& key : keys) {
        const std::size_t child = node_of(key.child), parent = node_of(key.parent);
        if (child == k_unvisited || parent == k_unvisited)
            continue;
        links.push_back({child, parent, key.deferrable});
        refers[child].push_back(parent);
        if (child == parent)
            self[child] = true;
    }
    for (auto& list : refers) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
    }

    std::size_t count = 0;
    const std::vector<std::size_t> part = strong_parts(refers, count);
    std::vector<TableGroup> groups(count);
    std::vector<std::size_t> first(count, k_unvisited);
    for (std::size_t node = 0; node < tables.size(); ++node) {
        TableGroup& group = groups[part[node]];
        if (group.tables.empty())
            first[part[node]] = node;
        group.tables.push_back(tables[node]);
        group.cycle = group.cycle || self[node] || group.tables.size() > 1;
    }
    for (std::size_t p = 0; p < count; ++p) {
        TableGroup& group = groups[p];
        group.deferrable = std::all_of(links.begin(), links.end(), [&](const Link& link) {
            return part[link.child] != p || part[link.parent] != p || link.deferrable;
        });
        if (group.cycle)
            for (const std::size_t node : group.tables.size() > 1
                                              ? cycle_through(first[p], refers, part)
                                              : std::vector<std::size_t>{first[p], first[p]})
                group.path.push_back(tables[node]);
    }

    // The groups in order: a group is ready once every group it must follow
    // has gone; of the ready ones, the smallest first table goes first.
    std::vector<std::set<std::size_t>> before(count);
    std::vector<std::size_t> waiting(count, 0);
    for (const Link& link : links) {
        std::size_t earlier = part[link.parent], later = part[link.child];
        if (order == KeyOrder::children_first)
            std::swap(earlier, later);
        if (earlier != later && before[earlier].insert(later).second)
            ++waiting[later];
    }
    std::set<std::pair<std::size_t, std::size_t>> ready; // (first node, group)
    for (std::size_t p = 0; p < count; ++p)
        if (waiting[p] == 0)
            ready.insert({first[p], p});
    std::vector<TableGroup> ordered;
    ordered.reserve(count);
    while (!ready.empty()) {
        const std::size_t p = ready.begin()->second;
        ready.erase(ready.begin());
        for (const std::size_t later : before[p])
            if (--waiting[later] == 0)
                ready.insert({first[later], later});
        ordered.push_back(std::move(groups[p]));
    }
    return ordered;
}

std::string cycle_text(const TableGroup& group) {
    std::string text;
    for (const TableName& name : group.path)
        text += (text.empty() ? "" : " -> ") + name.text();
    return text;
}

Core::Result<std::vector<ForeignKeyLink>>
read_foreign_keys(Contracts::Database::IConnection& connection,
                  const std::vector<std::string>& schemas) {
    namespace Queries = Supports::Database::CatalogQueries;
    auto rows = connection.execute_as_model(Queries::foreign_key_links(Queries::Scope(schemas)));
    if (!rows)
        return Core::fail(std::move(rows).error());
    std::vector<ForeignKeyLink> keys;
    for (std::size_t row = 0; row < (*rows)->get_row_count(); ++row) {
        const auto text = [&](std::size_t column) { return (*rows)->get_text_at(row, column); };
        keys.push_back({{text(0), text(1)}, {text(2), text(3)}, text(4), text(5) == "t"});
    }
    return keys;
}

Core::Result<bool> may_set_replication_role(Contracts::Database::IConnection& connection) {
    auto may =
        connection.execute_as_scalar(Supports::Database::CatalogQueries::may_set_replication_role(
            connection.get_major_version()));
    if (!may)
        return Core::fail(std::move(may).error());
    return *may && (*may)->to_string() == "t";
}

Core::Result<CycleSetting> cycle_setting(Contracts::Database::IConnection& connection,
                                         const std::vector<TableGroup>& groups,
                                         std::string_view refusal) {
    using Way = CycleSetting::Way;
    const auto cycle = std::find_if(groups.begin(), groups.end(),
                                    [](const TableGroup& group) { return group.cycle; });
    if (cycle == groups.end())
        return CycleSetting{};
    const auto fixed = std::find_if(groups.begin(), groups.end(), [](const TableGroup& group) {
        return group.cycle && !group.deferrable;
    });
    if (fixed == groups.end())
        return CycleSetting{Way::deferred, "SET CONSTRAINTS ALL DEFERRED", {}};
    auto may = may_set_replication_role(connection);
    if (!may)
        return Core::fail(std::move(may).error());
    const std::string keys = fmt::format(
        "the foreign keys {} form a cycle and are not all DEFERRABLE", cycle_text(*fixed));
    if (*may)
        return CycleSetting{Way::replica, "SET LOCAL session_replication_role = replica",
                            keys + ": the rows are written with session_replication_role = "
                                   "replica, so the target's foreign keys and triggers do not "
                                   "fire for them"};
    const std::uint32_t major = connection.get_major_version();
    return Core::fail(Core::Error{
        "Transform", 0,
        fmt::format("{}, and the role may not set session_replication_role ({}); {}", keys,
                    major == 0 || major >= 15 ? "a superuser, or a role granted SET on it, may"
                                              : "only a superuser may",
                    refusal)});
}

} // namespace Dizezida::Dovodarud::Transform
