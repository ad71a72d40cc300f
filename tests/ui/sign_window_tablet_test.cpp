// The signing window with a simulated tablet (ONDREL_TABLET_SIM names a pipe the test writes
// script lines into: a FIFO, or a named pipe on Windows): strokes drawn at once and captured as
// shown, and a teardown that leaves no reader behind.

#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QLabel>
#include <QTimer>
#include <QtTest/QTest>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "tests/support/pump_until.h"
#include "tests/support/script_pipe.h"
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
        script_ = std::make_unique<ScriptPipe>(root_);
        ASSERT_TRUE(script_->isOpen());
        SendPrelude();
        qputenv("ONDREL_TABLET_SIM", QByteArray::fromStdString(script_->path()));
    }

    void TearDown() override {
        SignWindowTest::TearDown();
        qunsetenv("ONDREL_TABLET_SIM");
        script_.reset();
    }

    // A 10000 x 10000 tablet, present from the start. The sleep ends the part of the script that
    // runs before the window first looks for the tablet. Each window's tablet reads its own.
    void SendPrelude() { Send("param 00 00 10 27 10 27\nplug\nsleep 1\n"); }

    void Send(const std::string& lines) { ASSERT_TRUE(script_->Send(lines)); }

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

    // Open for writing while the test runs, so that the script never ends meanwhile.
    std::unique_ptr<ScriptPipe> script_;
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

TEST_F(TabletWindowTest, AScriptThatWaitsForSigningDrawsOnlyAfterTheVisitorAgrees) {
    OpenConnectedWindow();
    ASSERT_TRUE(Connected());
    // Sent while the terms are shown: were the stroke drawn now, agreeing would wipe it.
    Send("wait signing\nstroke 1000 5000 9000 5000 8 1000\n");
    QCoreApplication::processEvents();
    EXPECT_EQ(Area().pen().lastPoint.x, 0);
    Button(IDC_AGREE_SIGN)->click();
    ASSERT_TRUE(PumpUntil([&] { return Area().pen().lastPoint.x > 0 && !Area().pen().penDown; }));
    const SignatureSurface& surface = Area().surface();
    EXPECT_EQ(surface.PixelAt(surface.width() / 2, surface.height() / 2), kBlack);

    // Back to the terms and agreeing again wipes the signature.
    Button(IDC_READ_TERMS)->click();
    Button(IDC_AGREE_SIGN)->click();
    const SignatureSurface& again = Area().surface();
    EXPECT_EQ(again.PixelAt(again.width() / 2, again.height() / 2), kWhite);
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
