#pragma once

// Where the process looks for the libraries it loads by name.

namespace ondrel {

// Windows: from here on only the program's own folder and the system's (never the working
// folder, which is the site folder and writable by the desk's user, nor the folders on PATH).
// Qt and its plugins are in the program's folder, so they are found as before. Call it first
// thing, before anything loads a library. Elsewhere nothing to do.
void RestrictLibrarySearch();

}  // namespace ondrel
