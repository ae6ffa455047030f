// The order of script pieces without a server: what each piece needs comes
// first, ties go by rank, schema and name whatever the order of the list,
// circles are broken at their lowest piece, and a closure keeps exactly
// what the wanted pieces need.
#include "Supports/Database/PostgreSQL/Scripts/ScriptOrder.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace Dizezida::Dovodarud::Supports::Database;
using ScriptOrder::Piece;

namespace {

/// A piece whose node is its name.
Piece piece(const std::string& name, std::uint8_t rank = 1, const std::string& schema = "s",
            std::vector<std::string> needs = {}) {
    Piece made;
    made.node = schema + "." + name;
    made.rank = rank;
    made.schema = schema;
    made.name = name;
    made.text = made.node + ";";
    made.needs = std::move(needs);
    return made;
}

/// The nodes of the pieces in their order.
std::vector<std::string> ordered(const std::vector<Piece>& pieces) {
    std::vector<std::string> nodes;
    for (const std::size_t at : ScriptOrder::order(pieces))
        nodes.push_back(pieces.at(at).node);
    return nodes;
}

std::vector<std::string> nodes_at(const std::vector<Piece>& pieces,
                                  const std::vector<std::size_t>& positions) {
    std::vector<std::string> nodes;
    for (const std::size_t at : positions)
        nodes.push_back(pieces.at(at).node);
    return nodes;
}

TEST(ScriptOrder, WhatAPieceNeedsComesFirstWhateverItsRankAndName) {
    // Listed and ranked the wrong way round: a needs b, b needs c, c needs d.
    const std::vector<Piece> chain = {
        piece("a", 1, "s", {"s.b"}),
        piece("b", 2, "s", {"s.c"}),
        piece("c", 3, "s", {"s.d"}),
        piece("d", 4, "s"),
    };
    EXPECT_EQ(ordered(chain), (std::vector<std::string>{"s.d", "s.c", "s.b", "s.a"}));

    // A piece goes as soon as its needs are placed, not after every other
    // piece of lower rank: y waits for x only; z is free but of the highest rank.
    const std::vector<Piece> mixed = {
        piece("z", 9, "s"),
        piece("y", 1, "s", {"t.x"}),
        piece("x", 5, "t"),
        piece("w", 6, "s"),
    };
    EXPECT_EQ(ordered(mixed), (std::vector<std::string>{"t.x", "s.y", "s.w", "s.z"}));
}

TEST(ScriptOrder, TiesGoByRankThenSchemaThenNameWhateverTheListOrder) {
    std::vector<Piece> pieces = {
        piece("b", 2, "a"),
        piece("a", 2, "b"),
        piece("z", 1, "z"),
        piece("a", 1, "z"),
        piece("c", 2, "a"),
        piece("m", 3, "a"),
        piece("a", 3, "a"),
        piece("k", 1, "a"),
        // Needs that tie once met: e and f both wait for k.
        piece("f", 1, "c", {"a.k"}),
        piece("e", 1, "c", {"a.k"}),
    };
    const std::vector<std::string> expected = {"a.k", "c.e", "c.f", "z.a", "z.z",
                                               "a.b", "a.c", "b.a", "a.a", "a.m"};
    EXPECT_EQ(ordered(pieces), expected);
    std::mt19937 random(20240611);
    for (int round = 0; round < 20; ++round) {
        std::shuffle(pieces.begin(), pieces.end(), random);
        EXPECT_EQ(ordered(pieces), expected) << "round " << round;
    }
}

TEST(ScriptOrder, NeedsOfNoPieceAndOfThePieceItselfAreMet) {
    const std::vector<Piece> pieces = {
        piece("b", 2, "s", {"s.elsewhere", "s.b"}),
        piece("a", 1, "s", {"s.a"}),
        piece("c", 3, "s", {"s.a", "nowhere"}),
        piece("d", 2, "s"),
    };
    // Were a need on itself a circle, a would wait until b, c and d are out.
    EXPECT_EQ(ordered(pieces), (std::vector<std::string>{"s.a", "s.b", "s.d", "s.c"}));
}

TEST(ScriptOrder, ACircleIsBrokenAtItsLowestPieceOnceNothingElseCanGo) {
    // p and q need each other; r needs q; f is free.
    const std::vector<Piece> two = {
        piece("r", 3, "s", {"s.q"}),
        piece("q", 2, "s", {"s.p"}),
        piece("p", 2, "s", {"s.q"}),
        piece("f", 4, "s"),
    };
    EXPECT_EQ(ordered(two), (std::vector<std::string>{"s.f", "s.p", "s.q", "s.r"}));

    // The lowest by schema, then by name, when the ranks tie.
    const std::vector<Piece> by_schema = {piece("a", 2, "t", {"s.z"}), piece("z", 2, "s", {"t.a"})};
    EXPECT_EQ(ordered(by_schema), (std::vector<std::string>{"s.z", "t.a"}));

    // A piece waiting for a circle is no part of it: l, the lowest piece
    // left, needs the circle m-n and still comes after it.
    const std::vector<Piece> waiting = {
        piece("l", 1, "s", {"s.n"}),
        piece("n", 5, "s", {"s.m"}),
        piece("m", 5, "s", {"s.n"}),
    };
    EXPECT_EQ(ordered(waiting), (std::vector<std::string>{"s.m", "s.n", "s.l"}));

    // Two circles, one needing the other: the needed one first, whatever
    // their ranks.
    const std::vector<Piece> circles = {
        piece("a", 1, "s", {"s.b", "s.y"}),
        piece("b", 1, "s", {"s.a"}),
        piece("x", 7, "s", {"s.y"}),
        piece("y", 7, "s", {"s.x"}),
    };
    EXPECT_EQ(ordered(circles), (std::vector<std::string>{"s.x", "s.y", "s.a", "s.b"}));
}

TEST(ScriptOrder, ClosureKeepsExactlyWhatTheWantedPiecesNeed) {
    const std::vector<Piece> pieces = {
        piece("a", 1, "s", {"s.b"}), piece("b", 1, "s", {"s.c", "missing"}),
        piece("c", 1, "s"),          piece("d", 1, "s", {"s.e"}),
        piece("e", 1, "s"),          piece("f", 1, "s", {"s.g"}),
        piece("g", 1, "s", {"s.f"}), piece("h", 1, "s", {"s.a"}),
    };
    EXPECT_EQ(nodes_at(pieces, ScriptOrder::closure(pieces, {0})),
              (std::vector<std::string>{"s.a", "s.b", "s.c"}));
    // In list order, whatever the order of the wanted ones; a circle ends.
    EXPECT_EQ(nodes_at(pieces, ScriptOrder::closure(pieces, {6, 3})),
              (std::vector<std::string>{"s.d", "s.e", "s.f", "s.g"}));
    EXPECT_EQ(nodes_at(pieces, ScriptOrder::closure(pieces, {2, 2, 4})),
              (std::vector<std::string>{"s.c", "s.e"}));
    EXPECT_TRUE(ScriptOrder::closure(pieces, {}).empty());
    EXPECT_EQ(ScriptOrder::closure(pieces, {7}).size(), 4u);
}

} // namespace
