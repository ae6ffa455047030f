// Under ThreadSanitizer: GLib's locks are futex based and invisible to the
// sanitizer, so the hand-over of data to GLib's own worker thread (file
// monitors) reads as a race. Only memory functions called from inside GLib
// and GIO are excused; races in our code stay reported.
#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libglib-2.0.so.0\n"
           "called_from_lib:libgio-2.0.so.0\n";
}
#endif
