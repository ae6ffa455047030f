#include "Supports/Database/PostgreSQL/Scripts/ScriptOrder.hpp"

#include "Model/MetaObject.hpp"

#include <algorithm>
#include <optional>
#include <set>
#include <tuple>
#include <unordered_map>

namespace Dizezida::Dovodarud::Supports::Database::ScriptOrder {

namespace {

/// Positions of the pieces by node (the first piece of a node).
std::unordered_map<std::string_view, std::size_t> by_node(const std::vector<Piece>& pieces) {
    std::unordered_map<std::string_view, std::size_t> nodes;
    for (std::size_t at = 0; at < pieces.size(); ++at)
        nodes.emplace(pieces[at].node, at);
    return nodes;
}

using Priority = std::tuple<std::uint8_t, std::string_view, std::string_view, std::size_t>;

Priority rank_of(const std::vector<Piece>& pieces, std::size_t at) {
    return Priority{pieces[at].rank, pieces[at].schema, pieces[at].name, at};
}

/// Where to break a circle once no piece left is free: the lowest piece of
/// the circles that need no other piece left. A piece that only waits for a
/// circle is no part of it and keeps waiting. The circles are the strongly
/// connected components of the pieces left (Tarjan's method, without
/// recursion); a component is finished after every component it needs.
std::size_t circle_start(const std::vector<Piece>& pieces,
                         const std::vector<std::vector<std::size_t>>& needs,
                         const std::set<Priority>& rest) {
    constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::vector<bool> left(pieces.size(), false);
    for (const Priority& piece : rest)
        left[std::get<3>(piece)] = true;
    std::vector<std::size_t> index(pieces.size(), none), low(pieces.size(), 0);
    std::vector<std::size_t> component(pieces.size(), none);
    std::vector<bool> stacked(pieces.size(), false);
    std::vector<std::size_t> stack;
    std::size_t counter = 0, components = 0;
    std::optional<Priority> best;
    struct Call {
        std::size_t at, next;
    };
    std::vector<Call> calls;
    const auto visit = [&](std::size_t at) {
        index[at] = low[at] = counter++;
        stack.push_back(at);
        stacked[at] = true;
        calls.push_back({at, 0});
    };
    for (const Priority& start : rest) {
        if (index[std::get<3>(start)] != none)
            continue;
        visit(std::get<3>(start));
        while (!calls.empty()) {
            const std::size_t at = calls.back().at;
            if (calls.back().next < needs[at].size()) {
                const std::size_t need = needs[at][calls.back().next++];
                if (!left[need])
                    continue;
                if (index[need] == none)
                    visit(need);
                else if (stacked[need])
                    low[at] = std::min(low[at], index[need]);
                continue;
            }
            calls.pop_back();
            if (!calls.empty())
                low[calls.back().at] = std::min(low[calls.back().at], low[at]);
            if (low[at] != index[at])
                continue;
            const std::size_t id = components++;
            std::vector<std::size_t> members;
            std::size_t member = none;
            do {
                member = stack.back();
                stack.pop_back();
                stacked[member] = false;
                component[member] = id;
                members.push_back(member);
            } while (member != at);
            bool free = true;
            for (const std::size_t piece : members)
                for (const std::size_t need : needs[piece])
                    free = free && (!left[need] || component[need] == id);
            if (free)
                for (const std::size_t piece : members)
                    if (!best || rank_of(pieces, piece) < *best)
                        best = rank_of(pieces, piece);
        }
    }
    return std::get<3>(*best);
}

} // namespace

std::string node_of(const std::string& key, MetaModel::DependencyPart part) {
    std::string node = key;
    node.push_back('\x1e');
    node.push_back(static_cast<char>('0' + static_cast<int>(part)));
    return node;
}

Piece piece_of(const MetaModel::MetaObject& object, MetaModel::DependencyPart part,
               std::uint8_t rank, std::string text, bool single) {
    Piece piece;
    piece.node = node_of(MetaModel::dependency_key(object), part);
    piece.rank = rank;
    piece.schema = object.get_schema();
    piece.name = object.get_name();
    piece.text = std::move(text);
    for (const MetaModel::MetaDependency& depend : object.depends())
        if (single || depend.part == part)
            piece.needs.push_back(node_of(depend.key, depend.needed));
    return piece;
}

std::vector<std::size_t> order(const std::vector<Piece>& pieces) {
    const auto nodes = by_node(pieces);
    std::vector<std::vector<std::size_t>> dependents(pieces.size()), needs(pieces.size());
    std::vector<std::size_t> waiting(pieces.size(), 0);
    for (std::size_t at = 0; at < pieces.size(); ++at) {
        std::set<std::size_t> needed;
        for (const std::string& need : pieces[at].needs)
            if (const auto found = nodes.find(need); found != nodes.end() && found->second != at)
                needed.insert(found->second);
        waiting[at] = needed.size();
        needs[at].assign(needed.begin(), needed.end());
        for (const std::size_t other : needed)
            dependents[other].push_back(at);
    }
    std::set<Priority> ready, rest;
    for (std::size_t at = 0; at < pieces.size(); ++at)
        (waiting[at] == 0 ? ready : rest).insert(rank_of(pieces, at));

    std::vector<std::size_t> ordered;
    ordered.reserve(pieces.size());
    while (!ready.empty() || !rest.empty()) {
        std::size_t at = 0;
        if (!ready.empty()) {
            at = std::get<3>(*ready.begin());
            ready.erase(ready.begin());
        } else {
            at = circle_start(pieces, needs, rest);
            rest.erase(rank_of(pieces, at));
        }
        ordered.push_back(at);
        for (const std::size_t other : dependents[at])
            if (waiting[other] > 0 && --waiting[other] == 0 && rest.erase(rank_of(pieces, other)))
                ready.insert(rank_of(pieces, other));
    }
    return ordered;
}

std::vector<std::size_t> closure(const std::vector<Piece>& pieces,
                                 const std::vector<std::size_t>& wanted) {
    const auto nodes = by_node(pieces);
    std::vector<bool> taken(pieces.size(), false);
    std::vector<std::size_t> stack(wanted.begin(), wanted.end());
    while (!stack.empty()) {
        const std::size_t at = stack.back();
        stack.pop_back();
        if (at >= pieces.size() || taken[at])
            continue;
        taken[at] = true;
        for (const std::string& need : pieces[at].needs)
            if (const auto found = nodes.find(need); found != nodes.end())
                stack.push_back(found->second);
    }
    std::vector<std::size_t> kept;
    for (std::size_t at = 0; at < pieces.size(); ++at)
        if (taken[at])
            kept.push_back(at);
    return kept;
}

} // namespace Dizezida::Dovodarud::Supports::Database::ScriptOrder
