// A program built against the installed engine alone, the way a desktop
// application is: it reads a server record, formats SQL, writes a model
// object as JSON, makes a PostgreSQL connection object and the application
// object, and prints what it got.
#include "Model/MetaJson.hpp"
#include "Model/MetaModel.hpp"
#include "Supports/Database/Formatter.hpp"
#include "Supports/Database/PostgreSQL/Dialect/PostgreSQLConnection.hpp"
#include "provider/Supports/ConnInfo.hpp"
#include "ui/rezizida.h"

#include <iostream>

int main() {
    using namespace Dizezida;
    auto server = Zozuvoru::Supports::server_from_conninfo("host=db.example port=6543 user=me dbname=shop");
    if (!server)
        return 1;
    std::cout << Zozuvoru::Supports::server_endpoint(**server) << '\n';

    Dovodarud::Supports::Database::Formatter formatter;
    std::cout << formatter.minify("SELECT  a,\n  b FROM t") << '\n';

    auto table = std::make_shared<Dovodarud::MetaModel::MetaTable>();
    table->set_name("orders");
    std::cout << (Dovodarud::MetaModel::to_json_text(*table).find("\"orders\"") != std::string::npos)
              << '\n';

    std::cout << (Dovodarud::Supports::Database::PostgreSQLConnection::create() != nullptr) << '\n';

    GApplication* app = dizezida_rezizida_tapplication_get_singleton();
    dizezida_rezizida_tapplication_set_app_home(app, "/opt/home");
    std::cout << dizezida_rezizida_tapplication_get_app_home(app) << '\n';
    return 0;
}
