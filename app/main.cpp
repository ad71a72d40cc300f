#include <QCoreApplication>
#include <string>
#include <vector>

#include "app/dll_search.h"
#include "app/eight_bit_display.h"
#include "app/ondrel_sign_app.h"

int main(int argc, char* argv[]) {
    ondrel::RestrictLibrarySearch();
    // Qt takes its "-visual" option out of the arguments again, so the program's own rule (any
    // argument forces the agreement refresh) sees only the user's.
    ondrel::EightBitDisplay eightBitDisplay;
    std::string visual = eightBitDisplay.visualOption();
    std::string visualFlag = "-visual";
    std::vector<char*> args(argv, argv + argc);
    if (!visual.empty()) {
        args.insert(args.begin() + 1, {visualFlag.data(), visual.data()});
    }
    args.push_back(nullptr);
    int count = static_cast<int>(args.size()) - 1;
    ondrel::COndrel_signApp app(count, args.data());
    eightBitDisplay.Watch(*QCoreApplication::instance());
    app.InitInstance();
    return 0;
}
