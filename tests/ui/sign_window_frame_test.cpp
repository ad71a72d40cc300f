// The signing window as a window: controls from the template, initialisation order, layout,
// remembered placement, painting, the About box and teardown.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtTest/QTest>
#include <string>
#include <vector>

#include "tests/ui/modal_box.h"
#include "tests/ui/sign_window_fixture.h"
#include "ui/about_dialog.h"
#include "ui/dialog_font.h"
#include "ui/placement_store.h"
#include "ui/sign_dialog_template.h"
#include "ui/signature_area.h"
#include "ui/terms_view.h"

namespace ondrel::test {
namespace {

using FrameTest = SignWindowTest;

// The template's dialog units in pixels of the window's font.
QRect PixelsOf(const COndrel_signDlg& window, const DialogRect& rect) {
    const Rect r = DialogToPixels(rect, MeasureDialogBaseUnits(window.font()));
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// The window's outer rectangle: its client area and the frame around it.
QRect OuterRect(const QWidget& window) {
    return window.geometry().marginsAdded(window.windowHandle()->frameMargins());
}

void StorePlacement(std::initializer_list<std::pair<const char*, int>> values) {
    QSettings settings(QStringLiteral("Varnock software"), QCoreApplication::applicationName());
    settings.beginGroup(QStringLiteral("SETTING"));
    for (const auto& [key, value] : values) {
        settings.setValue(QLatin1String(key), value);
    }
}

TEST_F(FrameTest, ControlsComeFromTheTemplate) {
    COndrel_signDlg& window = OpenWindow(/*show=*/false);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("签字板"));
    const QStringList captions = {QStringLiteral("阅读条款"), QStringLiteral("同意并签字"),
                                  QStringLiteral("重新签字"), QStringLiteral("完成")};
    const int ids[] = {IDC_READ_TERMS, IDC_AGREE_SIGN, IDC_RESIGN, IDC_DONE};
    for (int i = 0; i < 4; ++i) {
        QPushButton* button = Button(ids[i]);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), captions[i]);
        EXPECT_FALSE(button->isHidden());
        EXPECT_FALSE(button->isDefault());
        EXPECT_FALSE(button->autoDefault());
    }
    for (const ControlTemplate& control : kSignDialogControls) {
        QWidget* widget = Control(control.id);
        ASSERT_NE(widget, nullptr) << control.id;
        EXPECT_EQ(widget->geometry(), PixelsOf(window, control.rect)) << control.id;
        EXPECT_EQ(widget->isHidden(), !control.visibleAtCreation) << control.id;
    }
    auto* status = qobject_cast<QLabel*>(Control(IDC_STATUS));
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text(), QStringLiteral("Unknown"));
    EXPECT_EQ(window.size(), PixelsOf(window, kSignDialogSize).size());
}

TEST_F(FrameTest, TabOrderFollowsTheTemplate) {
    COndrel_signDlg& window = OpenWindow();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_EQ(QApplication::focusWidget(), Terms());
    const std::vector<QWidget*> expected = {Control(IDC_READ_TERMS), Control(IDC_AGREE_SIGN),
                                            Control(IDC_RESIGN), Control(IDC_DONE), Terms()};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
}

TEST_F(FrameTest, InitialisationRunsInItsOrder) {
    std::vector<std::string> steps;
    QString statusWhenTermsLoad;
    bool termsShownAtLayout = false;
    bool maximizedAtPlacement = false;
    SignDialogSeams seams = Seams();
    COndrel_signDlg* window = nullptr;
    seams.initStep = [&](std::string_view step) {
        steps.emplace_back(step);
        if (step == "load terms") {
            statusWhenTermsLoad = qobject_cast<QLabel*>(FindControl(*window, IDC_STATUS))->text();
        } else if (step == "layout") {
            termsShownAtLayout = !FindControl(*window, IDC_TERMS_VIEW)->isHidden();
        } else if (step == "placement") {
            maximizedAtPlacement = window->windowState().testFlag(Qt::WindowMaximized);
        }
    };
    window_ = std::make_unique<COndrel_signDlg>(std::move(seams));
    window = window_.get();
    window->show();
    const std::vector<std::string> expected = {
        "framework",  "about entry", "icon",      "connect tablet", "register notifications",
        "load terms", "maximize",    "placement", "terms mode",     "layout",
        "fill white", "focus"};
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(statusWhenTermsLoad, QStringLiteral("设备未连接"));  // the tablet came first
    EXPECT_TRUE(termsShownAtLayout);                               // terms mode before the layout
    EXPECT_TRUE(maximizedAtPlacement);
    EXPECT_FALSE(window->windowIcon().isNull());
}

TEST_F(FrameTest, FirstStartIsMaximizedAndFocusesTheTermsView) {
    COndrel_signDlg& window = OpenWindow();
    EXPECT_TRUE(window.windowState().testFlag(Qt::WindowMaximized));
    EXPECT_EQ(window.focusWidget(), Terms());
}

TEST_F(FrameTest, LayoutPlacesBothViewsOnOneRectangle) {
    COndrel_signDlg& window = OpenWindow();
    window.setWindowState(Qt::WindowNoState);
    struct Case {
        QSize client;
        QRect views;
    };
    const Case cases[] = {
        {{1000, 700}, {110, 35, 865, 640}},
        {{1920, 1080}, {110, 35, 1785, 1020}},
        {{135, 300}, {110, 35, 0, 240}},
        {{50, 40}, {110, 35, 0, 0}},
    };
    for (const Case& c : cases) {
        window.resize(c.client);
        ASSERT_EQ(window.size(), c.client);
        EXPECT_EQ(Terms()->geometry(), c.views) << c.client.width();
        EXPECT_EQ(Area().geometry(), c.views) << c.client.width();
        EXPECT_EQ(Area().surface().width(), c.views.width());
        EXPECT_EQ(Area().surface().height(), c.views.height());
    }
    // The buttons and the status line stay where the template put them.
    EXPECT_EQ(Control(IDC_DONE)->geometry(), PixelsOf(window, {7, 177, 60, 47}));
    EXPECT_EQ(Control(IDC_STATUS)->geometry(), PixelsOf(window, {74, 7, 96, 8}));
}

TEST_F(FrameTest, PlacementSurvivesIntoTheNextWindow) {
    QRect outer;
    {
        COndrel_signDlg& first = OpenWindow();
        EXPECT_TRUE(first.windowState().testFlag(Qt::WindowMaximized));
        first.setWindowState(Qt::WindowNoState);
        first.setGeometry(100, 120, 600, 400);
        outer = OuterRect(first);
        first.reject();
    }
    const WindowPlacement written = ReadPlacement();
    EXPECT_EQ(written, (WindowPlacement{outer.x(), outer.x() + outer.width(), outer.y(),
                                        outer.y() + outer.height()}));
    EXPECT_LE(written.left, 100);  // the outer rectangle: frame included
    EXPECT_LE(written.top, 120);
    EXPECT_GE(written.right, 700);
    EXPECT_GE(written.bottom, 520);

    COndrel_signDlg& second = OpenWindow();
    EXPECT_FALSE(second.windowState().testFlag(Qt::WindowMaximized));
    EXPECT_EQ(OuterRect(second), outer);
    second.reject();
    EXPECT_EQ(ReadPlacement(), written);
}

TEST_F(FrameTest, ThreeOfFourValuesLeaveTheWindowMaximized) {
    StorePlacement({{"left", 10}, {"right", 500}, {"top", 10}});
    COndrel_signDlg& window = OpenWindow();
    EXPECT_TRUE(window.windowState().testFlag(Qt::WindowMaximized));
    EXPECT_NE(window.frameGeometry(), QRect(10, 10, 490, 490));
}

TEST_F(FrameTest, LeftOfMinus99999CountsAsMissing) {
    StorePlacement({{"left", -99999}, {"right", 500}, {"top", 10}, {"bottom", 400}});
    COndrel_signDlg& window = OpenWindow();
    EXPECT_TRUE(window.windowState().testFlag(Qt::WindowMaximized));
}

TEST_F(FrameTest, ARectangleOffEveryScreenIsNotApplied) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int left = screen.right() + 5000;
    StorePlacement({{"left", left}, {"right", left + 400}, {"top", 100}, {"bottom", 400}});
    COndrel_signDlg& window = OpenWindow();
    EXPECT_TRUE(window.windowState().testFlag(Qt::WindowMaximized));
    EXPECT_LT(window.frameGeometry().left(), left);
}

TEST_F(FrameTest, AValueThatIsNotANumberCountsAsMissing) {
    StorePlacement({{"left", 10}, {"right", 500}, {"top", 10}});
    {
        QSettings settings(QStringLiteral("Varnock software"), QCoreApplication::applicationName());
        settings.setValue(QStringLiteral("SETTING/bottom"), QStringLiteral("lower"));
    }
    EXPECT_EQ(ReadPlacement().bottom, PLACEMENT_UNSET);
    COndrel_signDlg& window = OpenWindow();
    EXPECT_TRUE(window.windowState().testFlag(Qt::WindowMaximized));
}

TEST_F(FrameTest, AMinimizedWindowsParkingPlaceIsNotApplied) {
    StorePlacement({{"left", -32000}, {"right", -31840}, {"top", -32000}, {"bottom", -31973}});
    COndrel_signDlg& window = OpenWindow();
    EXPECT_TRUE(window.windowState().testFlag(Qt::WindowMaximized));
}

TEST_F(FrameTest, TheBackgroundIsWhiteAndInkSurvivesRepaints) {
    COndrel_signDlg& window = OpenWindow();
    window.setWindowState(Qt::WindowNoState);
    window.resize(1000, 700);
    Button(IDC_AGREE_SIGN)->click();
    Area().surface().SetBlack(5, 5);
    window.repaint();
    const QImage shot = window.grab().toImage();
    EXPECT_EQ(shot.pixel(105, 600), 0xFFFFFFFFu);  // between the buttons and the views
    EXPECT_EQ(shot.pixel(990, 690), 0xFFFFFFFFu);  // the margin right and below the views
    EXPECT_EQ(shot.pixel(110 + 5, 35 + 5), 0xFF000000u);
    EXPECT_EQ(shot.pixel(110 + 6, 35 + 5), 0xFFFFFFFFu);
}

TEST_F(FrameTest, AboutBoxOpensFromTheWindowAndClosesWithOk) {
    COndrel_signDlg& window = OpenWindow();
    QAction* about = window.findChild<QAction*>(QStringLiteral("IDM_ABOUTBOX"));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), QStringLiteral("&About 签字手写板..."));
    EXPECT_EQ(about->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(window.contextMenuPolicy(), kWindowContextMenu);
    ASSERT_EQ(window.actions().size(), 2);  // a separator, then the About entry, last
    EXPECT_TRUE(window.actions().at(0)->isSeparator());
    EXPECT_EQ(window.actions().at(1), about);

    QString title;
    QSize size;
    QSize expectedSize;
    int result = -1;
    bool found = false;
    AnswerModalBox<CAboutDlg>(found, [&](CAboutDlg& box) {
        title = box.windowTitle();
        size = box.size();
        const Rect r = DialogToPixels({0, 0, 170, 62}, MeasureDialogBaseUnits(box.font()));
        expectedSize = QSize(r.Width(), r.Height());
        QObject::connect(&box, &QDialog::finished, [&](int r2) { result = r2; });
        box.okButton()->click();
    });
    about->trigger();  // returns when the box has closed
    ASSERT_TRUE(found) << "no About box opened";
    EXPECT_EQ(title, QStringLiteral("签字板"));
    EXPECT_EQ(size, expectedSize);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(FrameTest, F1OpensTheAboutBox) {
    COndrel_signDlg& window = OpenWindow();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget())) {
            opened = true;
            box->okButton()->click();
        }
    });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(FrameTest, TabletReportsWithoutAnExtentDrawNothing) {
    COndrel_signDlg& window = OpenWindow();  // no tablet: the extent is 0 x 0
    Button(IDC_AGREE_SIGN)->click();
    const std::uint8_t down[8] = {0x07, 0x80, 0x10, 0x00, 0x10, 0x00, 0xE8, 0x03};
    EXPECT_EQ(window.OnTabletReport(down), 1);
    EXPECT_EQ(window.OnTabletReport(down), 1);
    EXPECT_EQ(Area().pen(), PenState{});
    const SignatureSurface& surface = Area().surface();
    EXPECT_EQ(surface.PixelAt(0, 0), kWhite);
}

TEST_F(FrameTest, EverySystemCommandOfTheAboutEntryOpensTheBox) {
    COndrel_signDlg& window = OpenWindow();
    int opened = 0;
    for (unsigned command = 0x0010; command <= 0x001F; ++command) {
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget())) {
                ++opened;
                box->accept();
            }
        });
        window.OnSysCommand(command);
    }
    EXPECT_EQ(opened, 16);
    window.OnSysCommand(0x0020);  // not the About entry: returns at once, no box
    window.OnSysCommand(0xF060);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(FrameTest, TeardownStopsReadersAndWritesThePlacement) {
    COndrel_signDlg& window = OpenWindow();
    ASSERT_TRUE(g_readerRunning);
    window.reject();
    EXPECT_FALSE(g_readerRunning);
    EXPECT_TRUE(IsPlacementComplete(ReadPlacement()));
}

TEST_F(FrameTest, AWindowNeverShownWritesNoPlacement) {
    OpenWindow(/*show=*/false);
    window_.reset();
    EXPECT_EQ(ReadPlacement(), WindowPlacement{});
    EXPECT_TRUE(g_readerRunning);
}

}  // namespace
}  // namespace ondrel::test
