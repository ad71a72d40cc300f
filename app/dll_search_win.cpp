#include <windows.h>

#include "app/dll_search.h"

namespace ondrel {

void RestrictLibrarySearch() {
    // The program's folder, System32 and folders added with AddDllDirectory. Where it fails
    // (Windows without the update that brought it) the standard order stays.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

}  // namespace ondrel
