// Declares IInspectable: the contract of a dialect's type catalog.
//
// It maps a server's native type names to type classes, value types, SQL type
// names and default literals, and lists the choices the server offers for
// each kind of setting.
#pragma once

#include "Contracts/Database/DbMetaType.hpp"
#include "core/Object.hpp"
#include "provider/Contracts/DataType.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace Dizezida::Dovodarud::Contracts::Database {

class IInspectable {
    DIZEZIDA_INTERFACE(IInspectable)
public:
    virtual ~IInspectable() = default;
    /// The values (or the queries producing them) the server offers for a kind.
    virtual std::vector<std::string> support(DbMetaType meta_type) const = 0;
    /// The default value literal of a new column of a native type.
    virtual std::string get_type_default(std::string_view native_type) const = 0;
    virtual Zozuvoru::Contracts::DataType get_data_type(std::string_view native_type) const = 0;
    /// The native type name that stands for a type class.
    virtual std::string get_sql_type(Zozuvoru::Contracts::DataType data_type) const = 0;
    /// The type for a new column that holds every value of a column whose
    /// class and native type name are known: the native type where the
    /// class alone would lose values, else `get_sql_type(data_type)`.
    virtual std::string get_column_sql_type(Zozuvoru::Contracts::DataType data_type,
                                            std::string_view native_type) const {
        (void)native_type;
        return get_sql_type(data_type);
    }
    /// The registered name of the value type that holds values of a native
    /// type ("gint64", "gchararray", ...; "void" when there is none).
    virtual std::string get_glib_type(std::string_view native_type) const = 0;
};

} // namespace Dizezida::Dovodarud::Contracts::Database
