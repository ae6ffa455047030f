// Lists the objects of one kind for the object browser and runs object-level
// commands (such as locking a login).
#pragma once

#include "core/Error.hpp"
#include "core/Object.hpp"
#include "provider/Contracts/DbObject.hpp"

#include <memory>
#include <string_view>

namespace Dizezida::Zozuvoru::Contracts {
class TableModel;
}

namespace Dizezida::Dovodarud::Contracts::Database {

class IExplorable {
    DIZEZIDA_INTERFACE(IExplorable)
public:
    virtual ~IExplorable() = default;
    /// The objects of one kind in a schema, as a table for the navigator.
    [[nodiscard]] virtual Core::Result<std::shared_ptr<Zozuvoru::Contracts::TableModel>>
    load_objects(Zozuvoru::Contracts::DbObject kind, std::string_view database,
                 std::string_view schema, std::string_view extra_data) = 0;
    /// Runs a named command on one object.
    [[nodiscard]] virtual Core::Result<void>
    exec_command(Zozuvoru::Contracts::DbObject kind, std::string_view database,
                 std::string_view schema, std::string_view object, std::string_view extra_data,
                 std::string_view command) = 0;
};

} // namespace Dizezida::Dovodarud::Contracts::Database
