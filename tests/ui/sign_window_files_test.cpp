// The signature files of a real window: a final signature that cannot be written must not leave
// the last visitor's in its place, and the preview, written on a worker thread, is never in the
// way of Done or of teardown.

#include <QDebug>
#include <QImage>
#include <QString>
#include <mutex>
#include <string>
#include <vector>

#include "imaging/area_capture.h"
#include "tests/support/file_size_limit.h"
#include "tests/ui/files_log_capture.h"
#include "tests/ui/sign_window_fixture.h"

namespace ondrel::test {
namespace {

using FilesTest = SignWindowTest;

// The last visitor's signature, a complete BMP the finishing script would take for a new one.
std::string PlantEarlierSignature(const std::filesystem::path& path) {
    SignatureSurface earlier(40, 20);
    earlier.FillSpanBlack(10, 5, 35);
    const std::optional<Bitmap> bitmap = CopyAreaToBitmap({0, 0, 40, 20}, earlier);
    EXPECT_EQ(SaveBitmapToFile(&*bitmap, path, 24), 1);
    return ReadWholeFile(path);
}

TEST_F(FilesTest, AFolderThatFillsUpBeforeDoneLeavesNoEarlierSignatureForTheScript) {
    PlantEarlierSignature(Final());
    COndrel_signDlg& window = OpenWindow();
    Button(IDC_AGREE_SIGN)->click();
    Area().surface().FillSpanBlack(20, 10, 60);
    timeline_.Advance(1000);
    const std::string preview = ReadWholeFile(Preview());
    ASSERT_GT(preview.size(), 4096u);
    // Room for the script's own small files, not for a signature.
    if (!WithFileSizeLimit(4096, [&] { Button(IDC_DONE)->click(); })) {
        GTEST_SKIP() << "this platform has no file-size limit to fill the folder with";
    }
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(std::filesystem::exists(Final()));
    EXPECT_EQ(ScriptRunsText(), "count=1\nfirst=open\ncomplete=missing\n");
    EXPECT_EQ(ReadWholeFile(Preview()), preview);  // the preview keeps its last whole image
    std::vector<std::string> left;                 // nor a temporary file of the failed write
    for (const auto& entry : std::filesystem::directory_iterator(exchange_)) {
        left.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(left, std::vector<std::string>{"sign-temp.bmp"});
}

TEST_F(FilesTest, AnEmptyAreaAtDoneLeavesNoEarlierSignature) {
    PlantEarlierSignature(Final());
    COndrel_signDlg& window = OpenWindow();
    window.setWindowState(Qt::WindowNoState);
    window.resize(100, 50);  // too small for the views: the area has no pixels
    Button(IDC_AGREE_SIGN)->click();
    ASSERT_EQ(Area().surface().width(), 0);
    Button(IDC_DONE)->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(std::filesystem::exists(Final()));
    EXPECT_EQ(ScriptRunsText(), "count=1\nfirst=open\ncomplete=missing\n");
}

TEST_F(FilesTest, AnEarlierSignatureThatCannotBeRemovedIsReported) {
    // A "sign.bmp" that is a folder with something in it: it can be neither replaced nor
    // removed, by root neither.
    WriteWholeFile(Final() / "kept", "x");
    FilesLogCapture log;
    COndrel_signDlg& window = OpenWindow();
    Button(IDC_AGREE_SIGN)->click();
    Button(IDC_DONE)->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(ScriptRunsText(), "count=1\nfirst=open\ncomplete=missing\n");
    const QString warnings = log.warnings();
    EXPECT_TRUE(warnings.contains(QStringLiteral("could not remove"))) << warnings.toStdString();
    // The path as the log writes text: quoted, a backslash doubled.
    QString path;
    QDebug(&path) << QString::fromStdString(Final().string());
    EXPECT_TRUE(warnings.contains(path.trimmed())) << warnings.toStdString();
}

TEST_F(FilesTest, AFinalSignatureThatIsWrittenReplacesTheEarlierOne) {
    const std::string earlier = PlantEarlierSignature(Final());
    OpenWindow();
    Button(IDC_AGREE_SIGN)->click();
    Button(IDC_DONE)->click();
    const std::string written = ReadWholeFile(Final());
    EXPECT_NE(written, earlier);
    EXPECT_EQ(ScriptRunsText(), "count=1\nfirst=open\ncomplete=yes\n");
}

// A window whose preview writes wait at a gate; the final signature is written at once. Records
// the order in which the writes begin and end.
class PreviewInFlightTest : public SignWindowTest {
  protected:
    COndrel_signDlg& OpenGatedWindow() {
        settlePreviews_ = false;
        SignDialogSeams seams = Seams();
        seams.files.write = [this](const Bitmap* bitmap, const std::filesystem::path& path,
                                   int depth, const ReplaceRetry& retry) {
            const std::string name = path.filename().string();
            Record("begin " + name);
            if (name == "sign-temp.bmp") {
                previewsEntered_.Add();
                EXPECT_TRUE(gate_.Wait()) << "the gate was never opened";
            }
            const int result = SaveBitmapToFile(bitmap, path, depth, retry);
            Record("end " + name);
            return result;
        };
        seams.files.beforeWaiting = [this] {
            Record("wait");
            gate_.Open();
        };
        window_ = std::make_unique<COndrel_signDlg>(std::move(seams));
        window_->show();
        return *window_;
    }

    void Record(const std::string& event) {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
    }
    std::vector<std::string> Events() {
        std::lock_guard lock(mutex_);
        return events_;
    }

    Gate gate_;
    DoneCounter previewsEntered_;
    std::mutex mutex_;
    std::vector<std::string> events_;
};

TEST_F(PreviewInFlightTest, DoneWaitsForThePreviewBeforeWritingTheSignature) {
    COndrel_signDlg& window = OpenGatedWindow();
    Button(IDC_AGREE_SIGN)->click();
    Area().surface().FillSpanBlack(20, 10, 60);
    timeline_.Advance(1000);
    ASSERT_TRUE(previewsEntered_.WaitFor(1));  // the worker holds the preview now

    Button(IDC_DONE)->click();
    gate_.Open();  // in case Done did not wait: the window can still be torn down
    EXPECT_EQ(Events(),
              (std::vector<std::string>{"begin sign-temp.bmp", "wait", "end sign-temp.bmp",
                                        "begin sign.bmp", "end sign.bmp"}));
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(ScriptRunsText(), "count=1\nfirst=open\ncomplete=yes\n");
    QImage preview;
    QImage final;
    ASSERT_TRUE(preview.load(QString::fromStdString(Preview().string()), "BMP"));
    ASSERT_TRUE(final.load(QString::fromStdString(Final().string()), "BMP"));
    EXPECT_EQ(preview, final);
}

TEST_F(PreviewInFlightTest, ATickWhileAPreviewIsInFlightIsSkipped) {
    OpenGatedWindow();
    Button(IDC_AGREE_SIGN)->click();
    timeline_.Advance(1000);
    ASSERT_TRUE(previewsEntered_.WaitFor(1));
    timeline_.Advance(1000);  // the first is still being written
    timeline_.Advance(1000);
    gate_.Open();
    ASSERT_TRUE(previewsDone_.WaitFor(1));
    EXPECT_EQ(previewsEntered_.count(), 1);
    EXPECT_EQ(Events(), (std::vector<std::string>{"begin sign-temp.bmp", "end sign-temp.bmp"}));

    timeline_.Advance(1000);  // free again: the next tick writes
    ASSERT_TRUE(previewsDone_.WaitFor(2));
    EXPECT_EQ(previewsEntered_.count(), 2);
}

TEST_F(PreviewInFlightTest, TeardownWaitsForThePreview) {
    COndrel_signDlg& window = OpenGatedWindow();
    Button(IDC_AGREE_SIGN)->click();
    timeline_.Advance(1000);
    ASSERT_TRUE(previewsEntered_.WaitFor(1));
    window.reject();  // Esc, the close box
    gate_.Open();
    EXPECT_EQ(Events(),
              (std::vector<std::string>{"begin sign-temp.bmp", "wait", "end sign-temp.bmp"}));
    QImage preview;
    EXPECT_TRUE(preview.load(QString::fromStdString(Preview().string()), "BMP"));
    EXPECT_FALSE(std::filesystem::exists(Final()));
}

TEST_F(PreviewInFlightTest, AWindowDestroyedWithAPreviewInFlightWaitsForIt) {
    OpenGatedWindow();
    Button(IDC_AGREE_SIGN)->click();
    timeline_.Advance(1000);
    ASSERT_TRUE(previewsEntered_.WaitFor(1));
    window_.reset();
    gate_.Open();
    EXPECT_EQ(Events(),
              (std::vector<std::string>{"begin sign-temp.bmp", "wait", "end sign-temp.bmp"}));
    EXPECT_EQ(previewsDone_.count(), 1);
}

}  // namespace
}  // namespace ondrel::test
