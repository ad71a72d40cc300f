#include "app/dll_search.h"

namespace ondrel {

// The dynamic loader takes no library from the working folder here.
void RestrictLibrarySearch() {}

}  // namespace ondrel
