// dizezida-postgresql: records the application home and runs the application.
#include "launcher/Home.hpp"
#include "ui/rezizida.h"

int main(int argc, char** argv) {
    const std::string home = Dizezida::Launcher::application_home(argc > 0 ? argv[0] : "");
    dizezida_rezizida_tapplication_set_app_home(dizezida_rezizida_tapplication_get_singleton(),
                                                home.c_str());
    const int status = g_application_run(dizezida_rezizida_tapplication_get_singleton(), argc, argv);
    return status;
}
