// The main of the test programs that need real native windows: Qt's windows platform, whatever
// the environment chooses for the others (the Wine prefix of the tests sets offscreen).
#include <gtest/gtest.h>

#include <QApplication>
#include <vector>

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    char platformOption[] = "-platform";
    char platformName[] = "windows";
    args.push_back(platformOption);
    args.push_back(platformName);
    int count = static_cast<int>(args.size());
    QApplication app(count, args.data());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
