// The About entry in a real native window's system menu (Qt's windows platform): the entry
// itself, its command arriving as the title bar's menu posts it, the standard commands left to
// the default handling, and Alt+Space choosing the entry from the keyboard.

#include <gtest/gtest.h>
#include <windows.h>

#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <string>
#include <vector>

#include "tests/support/pump_until.h"
#include "ui/about_dialog.h"
#include "ui/about_entry.h"

namespace ondrel {
namespace {

using test::PumpUntil;

class AboutWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window.resize(400, 300);
        hwnd = reinterpret_cast<HWND>(window.winId());  // makes the native window
        if (!IsWindow(hwnd)) {
            GTEST_SKIP() << "no native window here (Qt's platform: "
                         << QGuiApplication::platformName().toStdString() << ")";
        }
        InstallAboutEntry(window, QString::fromUtf8(kAboutEntryText), IDM_ABOUTBOX,
                          [this](unsigned command) { commands.push_back(command); });
        window.show();
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(hwnd) != FALSE; }));
    }

    QWidget window;
    HWND hwnd = nullptr;
    std::vector<unsigned> commands;
};

TEST_F(AboutWindowTest, TheSystemMenuEndsWithASeparatorAndTheEntry) {
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    ASSERT_NE(menu, nullptr);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(GetMenuItemID(menu, count - 1), IDM_ABOUTBOX);
    wchar_t text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(count - 1), text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), QString::fromUtf8(kAboutEntryText).toStdWString());
    MENUITEMINFOW separator{};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_FTYPE;
    ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(count - 2), TRUE, &separator));
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
}

TEST_F(AboutWindowTest, TheEntryPostedByTheMenuReachesTheWindowOnce) {
    // The title bar's menu posts the command; the event loop hands it over without a result.
    ASSERT_TRUE(PostMessageW(hwnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0));
    ASSERT_TRUE(PumpUntil([&] { return !commands.empty(); }));
    EXPECT_EQ(commands, std::vector<unsigned>{IDM_ABOUTBOX});
}

TEST_F(AboutWindowTest, StandardCommandsKeepTheirDefaultHandling) {
    ASSERT_TRUE(PostMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0));
    ASSERT_TRUE(PumpUntil([&] { return IsIconic(hwnd) != FALSE; }));
    EXPECT_TRUE(commands.empty());
}

TEST_F(AboutWindowTest, AltSpaceOpensTheMenuAndItsLastEntryIsTheAbout) {
    // Once the menu is open (its window class is #32768), Up goes from nothing chosen, or the
    // first entry, round to the last one, and Return chooses it.
    bool keysSent = false;
    QTimer menuWatch;
    QObject::connect(&menuWatch, &QTimer::timeout, [&] {
        HWND popup = FindWindowW(L"#32768", nullptr);
        if (!keysSent && popup != nullptr && IsWindowVisible(popup)) {
            keysSent = true;
            PostMessageW(hwnd, WM_KEYDOWN, VK_UP, 0);
            PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 0);
        }
    });
    menuWatch.start(20);
    ASSERT_TRUE(PostMessageW(hwnd, WM_SYSKEYDOWN, VK_SPACE, 1 << 29));  // bit 29: Alt is down
    ASSERT_TRUE(PumpUntil([&] { return !commands.empty(); }));
    EXPECT_TRUE(keysSent);
    EXPECT_EQ(commands, std::vector<unsigned>{IDM_ABOUTBOX});
}

}  // namespace
}  // namespace ondrel
