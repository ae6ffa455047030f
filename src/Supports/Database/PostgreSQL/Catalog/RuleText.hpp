// A rewrite rule as the server prints it (pg_get_ruledef, pretty form):
//
//   CREATE RULE name AS
//       ON event TO table
//      WHERE condition DO [INSTEAD] action | NOTHING | ( action; action; );
//
// The whole text is the rule's create statement; only its opening is
// rewritten, so that the rule's table is always qualified by its schema. The
// model's separate condition and actions are cut at the keyword DO as a
// lexer sees it (outside string literals, quoted names and parentheses), so
// a WHERE inside an action, or a "DO" inside a literal, never misleads it.
// (The catalog has no deparser for a rule's condition alone: pg_get_expr
// refuses one that names both OLD and NEW.)
#pragma once

#include <string>
#include <string_view>

namespace Dizezida::Dovodarud::Supports::Database {

struct RuleText {
    std::string definition; ///< the create statement, its table qualified
    std::string condition;  ///< the rule's WHERE ("" when it has none)
    std::string actions;    ///< what follows DO [INSTEAD], without the final ";"
};

/// The parts of `server_text`. `printed_start` is the opening the server
/// writes ("CREATE RULE r AS\n    ON UPDATE TO t"), `qualified_start` the
/// same naming the table with its schema. A text that does not open that
/// way is kept as it is.
RuleText read_rule_text(std::string_view server_text, std::string_view printed_start,
                        std::string_view qualified_start, bool has_condition);

/// `definition` as a statement that replaces a rule of that name
/// (CREATE OR REPLACE RULE ...).
std::string replacing_rule(std::string_view definition);

} // namespace Dizezida::Dovodarud::Supports::Database
