#include "app/dll_search.h"
#include "app/ondrel_sign_app.h"

int main(int argc, char* argv[]) {
    ondrel::RestrictLibrarySearch();
    ondrel::COndrel_signApp app(argc, argv);
    app.InitInstance();
    return 0;
}
