// What a synchronisation brings into line, typed: the two schemas, the
// objects that take part, and whether to go on after a failure. The front
// end builds it directly; an option map (JobOptions.hpp) converts to it and
// back here, and nowhere else.
//
// Option keys of a synchronisation:
//   OPTION|SOURCE|DATABASE, OPTION|SOURCE|SCHEMA   the source
//   OPTION|TARGET|DATABASE, OPTION|TARGET|SCHEMA   the target
//   OPTION|RESULT|CONTINUE                         "true": go on after a failure
//   OPTION|<kind>|<name>                           the object takes part (kind as the
//                                                  provider spells it: "table", "view",
//                                                  "function", ...); any value
#pragma once

#include "Transform/JobOptions.hpp"

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Dizezida::Dovodarud::Transform {

struct SyncPlan {
    SyncPlan() = default;

    std::string source_database, source_schema;
    std::string target_database, target_schema;
    bool go_on = false; ///< each statement under a savepoint; a failure undoes only itself
    /// The objects that take part: (kind, name).
    std::set<std::pair<std::string, std::string>, std::less<>> objects;

    bool takes_part(const std::string& kind, const std::string& name) const;
    /// The names of the tables that take part, in order.
    std::vector<std::string> tables() const;

    bool operator==(const SyncPlan&) const = default;
};

/// The plan an option map describes.
SyncPlan sync_plan(const JobOptions& options);
/// The option map of a plan (`sync_plan` reads the same plan back).
JobOptions sync_options(const SyncPlan& plan);

} // namespace Dizezida::Dovodarud::Transform
