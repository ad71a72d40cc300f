// The signature files of a real window when the exchange folder misbehaves: a final signature
// that cannot be written must not leave the last visitor's in its place.

#include <sys/resource.h>

#include <QMessageLogContext>
#include <QString>
#include <csignal>
#include <mutex>

#include "imaging/area_capture.h"
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

// Files of this process may grow to `bytes` at most while it lives (the folder "fills up").
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        EXPECT_EQ(getrlimit(RLIMIT_FSIZE, &original_), 0);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // a failed write, not a signal
        rlimit limited = original_;
        limited.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &original_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit original_{};
    void (*previousHandler_)(int) = nullptr;
};

// Collects the messages of the files logging category.
class FilesLogCapture {
  public:
    FilesLogCapture() {
        instance_ = this;
        previous_ = qInstallMessageHandler(&FilesLogCapture::Handle);
    }
    ~FilesLogCapture() {
        qInstallMessageHandler(previous_);
        instance_ = nullptr;
    }
    FilesLogCapture(const FilesLogCapture&) = delete;
    FilesLogCapture& operator=(const FilesLogCapture&) = delete;

    QString warnings() {
        std::lock_guard lock(mutex_);
        return warnings_;
    }

  private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtWarningMsg && context.category != nullptr &&
            QLatin1String(context.category) == QLatin1String("ondrel.files")) {
            std::lock_guard lock(instance_->mutex_);
            instance_->warnings_ += text + QLatin1Char('\n');
        }
    }

    static inline FilesLogCapture* instance_ = nullptr;
    QtMessageHandler previous_ = nullptr;
    std::mutex mutex_;
    QString warnings_;
};

TEST_F(FilesTest, AFolderThatFillsUpBeforeDoneLeavesNoEarlierSignatureForTheScript) {
    PlantEarlierSignature(Final());
    COndrel_signDlg& window = OpenWindow();
    Button(IDC_AGREE_SIGN)->click();
    Area().surface().FillSpanBlack(20, 10, 60);
    timeline_.Advance(1000);
    const std::string preview = ReadWholeFile(Preview());
    ASSERT_GT(preview.size(), 4096u);
    {
        // Room for the script's own small files, not for a signature.
        const FileSizeLimit full(4096);
        Button(IDC_DONE)->click();
    }
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(std::filesystem::exists(Final()));
    EXPECT_EQ(ReadWholeFile(ScriptRuns()), "count=1\nfirst=open\ncomplete=missing\n");
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
    EXPECT_EQ(ReadWholeFile(ScriptRuns()), "count=1\nfirst=open\ncomplete=missing\n");
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
    EXPECT_EQ(ReadWholeFile(ScriptRuns()), "count=1\nfirst=open\ncomplete=missing\n");
    const QString warnings = log.warnings();
    EXPECT_TRUE(warnings.contains(QStringLiteral("could not remove"))) << warnings.toStdString();
    EXPECT_TRUE(warnings.contains(QString::fromStdString(Final().string())))
        << warnings.toStdString();
}

TEST_F(FilesTest, AFinalSignatureThatIsWrittenReplacesTheEarlierOne) {
    const std::string earlier = PlantEarlierSignature(Final());
    OpenWindow();
    Button(IDC_AGREE_SIGN)->click();
    Button(IDC_DONE)->click();
    const std::string written = ReadWholeFile(Final());
    EXPECT_NE(written, earlier);
    EXPECT_EQ(ReadWholeFile(ScriptRuns()), "count=1\nfirst=open\ncomplete=yes\n");
}

}  // namespace
}  // namespace ondrel::test
