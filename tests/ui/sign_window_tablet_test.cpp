// The signing window with a simulated tablet (ONDREL_TABLET_SIM names a FIFO the test writes
// script lines into): strokes drawn at once and captured as shown, and a teardown that leaves
// no reader behind.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QTimer>
#include <QtTest/QTest>
#include <chrono>
#include <functional>
#include <string>

#include "tests/support/pump_until.h"
#include "tests/support/thread_count.h"
#include "tests/ui/sign_window_fixture.h"
#include "ui/sign_dialog_template.h"
#include "ui/signature_area.h"

namespace ondrel::test {
namespace {

class TabletWindowTest : public SignWindowTest {
  protected:
    void SetUp() override {
        SignWindowTest::SetUp();
        fifo_ = root_ / "tablet.fifo";
        ASSERT_EQ(mkfifo(fifo_.c_str(), 0600), 0);
        // Read and write, so that opening never waits for the other end and the script never
        // sees an end while the test runs.
        writer_ = open(fifo_.c_str(), O_RDWR);
        ASSERT_GE(writer_, 0);
        SendPrelude();
        setenv("ONDREL_TABLET_SIM", fifo_.c_str(), 1);
    }

    void TearDown() override {
        SignWindowTest::TearDown();
        unsetenv("ONDREL_TABLET_SIM");
        if (writer_ >= 0) {
            close(writer_);
        }
    }

    // A 10000 x 10000 tablet, present from the start. The sleep ends the part of the script that
    // runs before the window first looks for the tablet. Each window's tablet reads its own.
    void SendPrelude() { Send("param 00 00 10 27 10 27\nplug\nsleep 1\n"); }

    void Send(const std::string& lines) {
        ASSERT_EQ(write(writer_, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
    }

    bool Connected() const {
        return qobject_cast<QLabel*>(Control(IDC_STATUS))->text() == QStringLiteral("设备已连接");
    }

    // A window whose simulated tablet is open, or the test is skipped on a build without one.
    COndrel_signDlg& OpenConnectedWindow() {
        COndrel_signDlg& window = OpenWindow();
        if (!PumpUntil([this] { return Connected(); }, std::chrono::seconds(5))) {
            ADD_FAILURE() << "no simulated tablet: status reads "
                          << qobject_cast<QLabel*>(Control(IDC_STATUS))->text().toStdString();
        }
        return window;
    }

    std::filesystem::path fifo_;
    int writer_ = -1;
};

TEST_F(TabletWindowTest, StrokesShowAtOnceAndThePreviewCapturesThem) {
    COndrel_signDlg& window = OpenConnectedWindow();
    ASSERT_TRUE(Connected());
    Control(IDC_AGREE_SIGN)->setFocus();
    Button(IDC_AGREE_SIGN)->click();
    SignatureArea& area = Area();
    // The maximized size arrives as events of its own; the stroke is drawn after them.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    const int w = area.width();
    const int h = area.height();
    ASSERT_GT(w, 20);
    ASSERT_GT(h, 20);

    // A horizontal stroke at a tenth of the height, from 10 % to 90 % of the width.
    Send("stroke 1000 1000 9000 1000 8 1000\n");
    const int row = h * 1000 / 10000;
    const int middle = w * 5000 / 10000;
    ASSERT_TRUE(PumpUntil(
        [&] { return !Area().pen().penDown && Area().pen().lastPoint.x == w * 9000 / 10000; }));
    EXPECT_EQ(area.surface().PixelAt(middle, row), kBlack);
    EXPECT_EQ(area.surface().PixelAt(middle, h - 2), kWhite);
    const QImage shown = area.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(middle, row), 0xFF000000u);

    timeline_.Advance(1000);
    QImage preview;
    ASSERT_TRUE(preview.load(QString::fromStdString(Preview().string()), "BMP"));
    EXPECT_EQ(preview.convertToFormat(QImage::Format_RGB32), shown);
}

TEST_F(TabletWindowTest, SignAgainWipesTheInkButKeepsThePen) {
    OpenConnectedWindow();
    ASSERT_TRUE(Connected());
    Button(IDC_AGREE_SIGN)->click();
    Send("stroke 1000 5000 9000 5000 4 1000\n");
    ASSERT_TRUE(PumpUntil([&] { return Area().pen().lastPoint.x > 0 && !Area().pen().penDown; }));
    const PenState before = Area().pen();
    Button(IDC_RESIGN)->click();
    const SignatureSurface& surface = Area().surface();
    EXPECT_EQ(surface.PixelAt(surface.width() / 2, surface.height() / 2), kWhite);
    EXPECT_EQ(Area().pen(), before);
}

TEST_F(TabletWindowTest, TeardownLeavesNoReaderThread) {
    // One window first, so that threads the toolkit keeps for good are already there.
    OpenConnectedWindow().reject();
    window_.reset();
    const std::size_t baseline = ThreadCount();

    g_readerRunning = true;
    SendPrelude();
    COndrel_signDlg& window = OpenConnectedWindow();
    ASSERT_TRUE(Connected());
    EXPECT_GT(ThreadCount(), baseline);  // the reader (and the script) run
    window.reject();
    EXPECT_FALSE(g_readerRunning);
    window_.reset();
    // A joined thread can still be listed for a moment while the kernel finishes its exit.
    EXPECT_TRUE(WaitForThreadCountAtMost(baseline))
        << ThreadCount() << " threads, baseline " << baseline;
}

}  // namespace
}  // namespace ondrel::test
