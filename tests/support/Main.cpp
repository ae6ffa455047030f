// The main function of every test executable.
#include <gtest/gtest.h>

#include <cstdlib>

namespace Dizezida::Testing {
void install_platform_log_writer();
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Catalog readers stop on a column their query lacks, here and in the
    // programs the tests start.
    ::setenv("DIZEZIDA_STRICT_CATALOG", "1", 0);
    Dizezida::Testing::install_platform_log_writer();
    return RUN_ALL_TESTS();
}

// Under ThreadSanitizer: GLib's locks are futex based and invisible to the
// sanitizer, so GLib's own bookkeeping (main-context sources, worker thread
// hand-overs) reads as a race. Only memory functions called from inside GLib
// and GIO are excused; races in our code stay reported.
#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libglib-2.0.so.0\n"
           "called_from_lib:libgio-2.0.so.0\n";
}
#endif
