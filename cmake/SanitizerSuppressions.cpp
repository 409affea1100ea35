// Built into the programs of the sanitizer builds only: what the sanitizers report from inside
// libraries that are not ours and not built with them.

// Qt's own worker threads (image conversion and painting) synchronize inside Qt, which is not
// instrumented, so the thread sanitizer sees their memory accesses without the locks around
// them. Races in our code, including ours through Qt calls on our threads, still fail the tests.
// GLib, under those threads, hands its slice allocator's memory from thread to thread under
// locks made of bare futex calls, which the sanitizer cannot see either: only reports with a
// frame inside GLib are left out (its frames carry no symbols, so no narrower name exists).
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "race:libQt6Core.so.6\n"
           "race:libQt6Gui.so.6\n"
           "race:libglib-2.0.so.0\n";
}

// Fontconfig keeps its configuration and font sets for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so.1\n";
}
