/* The C entry points of the front-end library that the launcher calls. */
#pragma once

#include <gio/gio.h>

G_BEGIN_DECLS

/* The one application object; the same object on every call. */
GApplication* dizezida_rezizida_tapplication_get_singleton(void);

/* Records the application home (copied; the caller keeps its string). */
void dizezida_rezizida_tapplication_set_app_home(GApplication* app, const char* home);

/* The recorded application home, or NULL before set_app_home. */
const char* dizezida_rezizida_tapplication_get_app_home(GApplication* app);

G_END_DECLS
