// Create scripts checked on the server: schemas of the scratch database are
// read into the model, scripted as one script, applied with psql (stopping
// at the first error) to an empty database, and the two databases compared
// through the server's own deparsers.
#pragma once

#include "Model/MetaModel.hpp"
#include "tests/Supports/Database/PostgreSQL/CatalogServer.hpp"

#include <memory>
#include <string>
#include <vector>

namespace Dizezida::Testing {

/// Runs a script with psql, stopping at the first error; the error text, or "".
std::string apply_with_psql(const std::string& conninfo, const std::string& script);

class ScriptRebuild : public CatalogServer {
protected:
    /// What one rebuild did.
    struct Rebuilt {
        std::vector<std::shared_ptr<Dovodarud::MetaModel::MetaSchema>> schemas; ///< as read
        std::string script;
        std::string error;       ///< why reading, scripting or applying failed, or ""
        std::string differences; ///< "- original" and "+ rebuilt" lines, or ""
    };

    /// What the server's own deparsers say about every user object of the schemas.
    std::vector<std::string> snapshot(PostgreSQLConnection& connection,
                                      const std::vector<std::string>& schemas);
    /// Scripts the schemas of the scratch database (one schema through
    /// `build_schema`, several through `build_schemas`) and applies the
    /// script to a new database.
    Rebuilt rebuild(const std::vector<std::string>& schemas);
};

} // namespace Dizezida::Testing
