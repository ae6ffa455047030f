// The application singleton: a GApplication whose command line is the
// headless front end of the engine.
#include "ui/rezizida.h"

#include "ui/FrontEnd.hpp"

#include <string>
#include <vector>

struct DizezidaRezizidaTApplication {
    GApplication parent_instance;
    char* app_home;
};

struct DizezidaRezizidaTApplicationClass {
    GApplicationClass parent_class;
};

G_DEFINE_TYPE(DizezidaRezizidaTApplication, dizezida_rezizida_tapplication, G_TYPE_APPLICATION)

namespace {

DizezidaRezizidaTApplication* as_tapplication(GApplication* app) {
    return G_TYPE_CHECK_INSTANCE_CAST(app, dizezida_rezizida_tapplication_get_type(),
                                      DizezidaRezizidaTApplication);
}

// The whole command line runs in this process; nothing is sent to a primary
// instance.
gboolean run_local_command_line(GApplication* app, gchar*** arguments, int* exit_status) {
    std::vector<std::string> args;
    for (gchar** arg = *arguments; arg && *arg; ++arg)
        args.emplace_back(*arg);
    const char* home = as_tapplication(app)->app_home;
    *exit_status = Dizezida::Rezizida::run_front_end(args, home ? home : "");
    return TRUE;
}

void finalize(GObject* object) {
    auto* self = reinterpret_cast<DizezidaRezizidaTApplication*>(object);
    g_free(self->app_home);
    G_OBJECT_CLASS(dizezida_rezizida_tapplication_parent_class)->finalize(object);
}

} // namespace

static void dizezida_rezizida_tapplication_class_init(DizezidaRezizidaTApplicationClass* klass) {
    G_APPLICATION_CLASS(klass)->local_command_line = run_local_command_line;
    G_OBJECT_CLASS(klass)->finalize = finalize;
}

static void dizezida_rezizida_tapplication_init(DizezidaRezizidaTApplication* self) {
    self->app_home = nullptr;
}

GApplication* dizezida_rezizida_tapplication_get_singleton(void) {
    static GApplication* singleton = G_APPLICATION(
        g_object_new(dizezida_rezizida_tapplication_get_type(), "application-id",
                     "org.gnome.Dizezida", "flags", G_APPLICATION_NON_UNIQUE, nullptr));
    return singleton;
}

void dizezida_rezizida_tapplication_set_app_home(GApplication* app, const char* home) {
    g_return_if_fail(app != nullptr);
    DizezidaRezizidaTApplication* self = as_tapplication(app);
    g_free(self->app_home);
    self->app_home = g_strdup(home);
}

const char* dizezida_rezizida_tapplication_get_app_home(GApplication* app) {
    g_return_val_if_fail(app != nullptr, nullptr);
    return as_tapplication(app)->app_home;
}
