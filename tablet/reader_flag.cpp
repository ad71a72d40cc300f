#include "tablet/reader_flag.h"

namespace ondrel {

std::atomic<bool> g_readerRunning{true};

}  // namespace ondrel
