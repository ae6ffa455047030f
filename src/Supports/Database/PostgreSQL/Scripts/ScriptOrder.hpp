// The order of a script's statements: a stable topological order of what
// each piece needs, so that every statement runs after the objects it uses.
//
// A piece is one part of one object (MetaModel/MetaDependency.hpp): its node
// is the object's dependency key and the part. Among the pieces whose needs
// are all placed, the one of the lowest rank (its kind), then schema, then
// name comes first, so the same model always gives the same script. Needs
// that name no piece of the list (objects the script does not create) are
// met already. Pieces that need each other in a circle are placed, once
// nothing else can be, lowest rank, schema and name first; pieces that only
// wait for a circle still come after it.
//
// Threads: pure functions.
#pragma once

#include "Model/MetaDependency.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace Dizezida::Dovodarud::MetaModel {
class MetaObject;
} // namespace Dizezida::Dovodarud::MetaModel

namespace Dizezida::Dovodarud::Supports::Database::ScriptOrder {

/// The kind order among pieces that are free to go.
enum Rank : std::uint8_t {
    type_rank = 1,
    sequence_rank,
    routine_rank,
    table_rank,
    owned_rank,
    extras_rank,
    keys_rank,
    rules_rank,
    view_rank,
    miew_rank,
    view_rules_rank,
};

struct Piece {
    std::string node;          ///< `node_of(key, part)`
    std::uint8_t rank = 0;     ///< the kind, for ties
    std::string schema, name;  ///< for ties
    std::string text;          ///< the statements
    std::vector<std::string> needs; ///< nodes
};

/// The node of an object's part.
std::string node_of(const std::string& key, MetaModel::DependencyPart part);

/// A piece of an object's part, needing what the object's dependencies of
/// that part name (with `single`, of every part: an object written as one).
Piece piece_of(const MetaModel::MetaObject& object, MetaModel::DependencyPart part,
               std::uint8_t rank, std::string text, bool single = false);

/// The positions of the pieces in their order.
std::vector<std::size_t> order(const std::vector<Piece>& pieces);

/// The positions of the pieces whose nodes `wanted` are, with every piece
/// they need, directly or not (a set closed under needs, in list order).
std::vector<std::size_t> closure(const std::vector<Piece>& pieces,
                                 const std::vector<std::size_t>& wanted);

} // namespace Dizezida::Dovodarud::Supports::Database::ScriptOrder
