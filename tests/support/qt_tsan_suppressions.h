#pragma once

// Include from a test program's main file only: it defines the program's ThreadSanitizer
// suppressions.
//
// Qt is not built with ThreadSanitizer: its mutexes (the posted-event queue that wakes the window
// thread, the thread pool that modal loops start) synchronise through futexes TSan cannot see,
// so Qt's own bookkeeping shows up as races. Only what happens inside Qt is silenced; the
// program's threads and its own data stay checked.

#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "race:QThreadPool\n"
           "race:QThreadPoolThread\n"
           "race:QWaitCondition::~QWaitCondition\n";
}
#endif
