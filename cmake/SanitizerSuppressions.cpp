// Built into the programs of the sanitizer builds only: what the sanitizers report from inside
// libraries that are not ours and not built with them.

// Qt, its X11 libraries and GLib are not instrumented, and their worker threads (Qt's pooled
// threads for image conversion and painting, the one that reads X events, GLib's beneath them)
// hand memory from thread to thread under locks made of bare futex calls, which the thread
// sanitizer cannot see (Xlib also frees its display's locks still held). So the sanitizer ignores
// what those libraries themselves do through its interceptors (allocation, copying, locking) and
// nothing else: every access of our code is still checked, whichever thread it runs on and
// whatever called it, a Qt timer, event or signal included, and a race in it fails the tests.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6XcbQpa.so.6\n"
           "called_from_lib:libxcb.so.1\n"
           "called_from_lib:libX11.so.6\n"
           "called_from_lib:libXrender.so.1\n"
           "called_from_lib:libXfixes.so.3\n"
           "called_from_lib:libglib-2.0.so.0\n";
}

// Fontconfig keeps its configuration and font sets for the life of the process, and so does
// libdbus its connection to the session bus, which Qt opens on a real display.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so.1\n"
           "leak:libdbus-1.so.3\n";
}
