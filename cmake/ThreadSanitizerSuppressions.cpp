// Built into the programs of the thread-sanitizer build only. Qt's own worker threads
// (image conversion and painting) synchronize inside Qt, which is not built with the sanitizer,
// so the sanitizer sees their memory accesses without the locks around them; reports from inside
// Qt are left out. Races in our code, including ours through Qt calls on our threads, still fail
// the tests.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "race:libQt6Core.so.6\n"
           "race:libQt6Gui.so.6\n";
}
