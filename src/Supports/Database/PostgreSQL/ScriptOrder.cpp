#include "Supports/Database/PostgreSQL/ScriptOrder.hpp"

#include "Model/MetaObject.hpp"

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
    std::vector<std::vector<std::size_t>> dependents(pieces.size());
    std::vector<std::size_t> waiting(pieces.size(), 0);
    for (std::size_t at = 0; at < pieces.size(); ++at) {
        std::set<std::size_t> needed;
        for (const std::string& need : pieces[at].needs)
            if (const auto found = nodes.find(need); found != nodes.end() && found->second != at)
                needed.insert(found->second);
        waiting[at] = needed.size();
        for (const std::size_t other : needed)
            dependents[other].push_back(at);
    }
    using Rank = std::tuple<std::uint8_t, std::string_view, std::string_view, std::size_t>;
    const auto rank_of = [&](std::size_t at) {
        return Rank{pieces[at].rank, pieces[at].schema, pieces[at].name, at};
    };
    std::set<Rank> ready, rest;
    for (std::size_t at = 0; at < pieces.size(); ++at)
        (waiting[at] == 0 ? ready : rest).insert(rank_of(at));

    std::vector<std::size_t> ordered;
    ordered.reserve(pieces.size());
    while (!ready.empty() || !rest.empty()) {
        // A circle: the lowest of the pieces left goes first.
        std::set<Rank>& from = ready.empty() ? rest : ready;
        const std::size_t at = std::get<3>(*from.begin());
        from.erase(from.begin());
        ordered.push_back(at);
        for (const std::size_t other : dependents[at])
            if (waiting[other] > 0 && --waiting[other] == 0 && rest.erase(rank_of(other)))
                ready.insert(rank_of(other));
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
