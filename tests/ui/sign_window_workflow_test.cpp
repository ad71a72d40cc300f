// The signing workflow on a real window: every transition between terms mode, signing mode and
// the end, with the files and the finishing script each one produces.

#include <QApplication>
#include <QCloseEvent>
#include <QImage>
#include <QMessageBox>
#include <QTimer>
#include <QtTest/QTest>
#include <string>

#include "tests/ui/modal_box.h"
#include "tests/ui/sign_window_fixture.h"
#include "ui/sign_dialog_template.h"
#include "ui/signature_area.h"
#include "ui/terms_view.h"

namespace ondrel::test {
namespace {

using WorkflowTest = SignWindowTest;

void ExpectTermsMode(COndrel_signDlg& window, const AutosaveTimer& autosave) {
    EXPECT_EQ(g_signingActive, 0);
    EXPECT_FALSE(autosave.IsRunning());
    EXPECT_TRUE(FindControl(window, IDC_TERMS_VIEW)->isVisible());
    EXPECT_FALSE(FindControl(window, IDC_SIGN_AREA)->isVisible());
}

void ExpectSigningMode(COndrel_signDlg& window, const AutosaveTimer& autosave) {
    EXPECT_EQ(g_signingActive, 1);
    EXPECT_TRUE(autosave.IsRunning());
    EXPECT_FALSE(FindControl(window, IDC_TERMS_VIEW)->isVisible());
    EXPECT_TRUE(FindControl(window, IDC_SIGN_AREA)->isVisible());
}

bool AllWhite(const SignatureSurface& surface) {
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            if (surface.PixelAt(x, y) != kWhite) {
                return false;
            }
        }
    }
    return true;
}

void Scribble(SignatureArea& area) {
    for (int x = 10; x < 60; ++x) {
        area.surface().SetBlack(x, 20);
    }
}

TEST_F(WorkflowTest, InitialisationEntersTermsMode) {
    COndrel_signDlg& window = OpenWindow();
    ExpectTermsMode(window, Autosave());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(WorkflowTest, ReadTermsInTermsModeChangesNothing) {
    COndrel_signDlg& window = OpenWindow();
    Button(IDC_READ_TERMS)->click();
    ExpectTermsMode(window, Autosave());
    timeline_.Advance(5000);
    EXPECT_FALSE(std::filesystem::exists(Preview()));
}

TEST_F(WorkflowTest, DoneRightAfterStartAsksToSignAndDoesNothingElse) {
    COndrel_signDlg& window = OpenWindow();
    Button(IDC_DONE)->click();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], QStringLiteral("请签字！"));
    EXPECT_FALSE(std::filesystem::exists(Final()));
    EXPECT_FALSE(std::filesystem::exists(Preview()));
    EXPECT_FALSE(std::filesystem::exists(ScriptRuns()));
    EXPECT_TRUE(window.isVisible());
    ExpectTermsMode(window, Autosave());
}

class EnterSigning : public SignWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(EnterSigning, ShowsAWhiteAreaAndPreviewsEverySecond) {
    COndrel_signDlg& window = OpenWindow();
    Scribble(Area());  // ink from before, e.g. reports in terms mode
    Button(GetParam())->click();
    ExpectSigningMode(window, Autosave());
    EXPECT_TRUE(AllWhite(Area().surface()));
    EXPECT_EQ(timeline_.last().period(), 1000);
    EXPECT_EQ(timeline_.last().id(), TIMER_AUTOSAVE);

    timeline_.Advance(999);
    EXPECT_FALSE(std::filesystem::exists(Preview()));
    timeline_.Advance(1);
    ASSERT_TRUE(std::filesystem::exists(Preview()));

    std::filesystem::remove(Preview());
    timeline_.Advance(999);
    EXPECT_FALSE(std::filesystem::exists(Preview()));
    timeline_.Advance(1);
    EXPECT_TRUE(std::filesystem::exists(Preview()));
}

// Each case is named by its button's identifier, as the window's template names it.
INSTANTIATE_TEST_SUITE_P(BothButtons, EnterSigning, ::testing::Values(IDC_AGREE_SIGN, IDC_RESIGN),
                         [](const ::testing::TestParamInfo<int>& button) {
                             for (const ControlTemplate& control : kSignDialogControls) {
                                 if (control.id == button.param) {
                                     return std::string(control.name);
                                 }
                             }
                             return std::to_string(button.param);
                         });

TEST_F(WorkflowTest, PreviewIsExactlyWhatTheAreaShows) {
    OpenWindow();
    Button(IDC_AGREE_SIGN)->click();
    Scribble(Area());
    timeline_.Advance(1000);

    const QImage shown = Area().grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage preview;
    ASSERT_TRUE(preview.load(QString::fromStdString(Preview().string()), "BMP"));
    preview = preview.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(preview.size(), shown.size());
    EXPECT_EQ(preview, shown);
    EXPECT_EQ(preview.pixel(30, 20), 0xFF000000u);
    EXPECT_EQ(preview.pixel(30, 21), 0xFFFFFFFFu);
}

TEST_F(WorkflowTest, SignAgainClearsAtOnceAndRestartsTheCadence) {
    COndrel_signDlg& window = OpenWindow();
    Button(IDC_AGREE_SIGN)->click();
    timeline_.Advance(1000);
    ASSERT_TRUE(std::filesystem::exists(Preview()));
    std::filesystem::remove(Preview());

    timeline_.Advance(600);
    Scribble(Area());
    Button(IDC_RESIGN)->click();
    EXPECT_TRUE(AllWhite(Area().surface()));
    ExpectSigningMode(window, Autosave());

    timeline_.Advance(999);  // the old cadence would have ticked 400 ms after the click
    EXPECT_FALSE(std::filesystem::exists(Preview()));
    timeline_.Advance(1);
    EXPECT_TRUE(std::filesystem::exists(Preview()));
}

TEST_F(WorkflowTest, BackToTheTermsStopsThePreview) {
    COndrel_signDlg& window = OpenWindow();
    Button(IDC_AGREE_SIGN)->click();
    Button(IDC_READ_TERMS)->click();
    ExpectTermsMode(window, Autosave());
    timeline_.Advance(10000);
    EXPECT_FALSE(std::filesystem::exists(Preview()));
}

TEST_F(WorkflowTest, DoneAfterGoingBackToTheTermsAsksToSign) {
    COndrel_signDlg& window = OpenWindow();
    Button(IDC_AGREE_SIGN)->click();
    Scribble(Area());
    Button(IDC_READ_TERMS)->click();
    Button(IDC_DONE)->click();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], QStringLiteral("请签字！"));
    EXPECT_FALSE(std::filesystem::exists(Final()));
    EXPECT_FALSE(std::filesystem::exists(ScriptRuns()));
    EXPECT_TRUE(window.isVisible());
}

TEST_F(WorkflowTest, DoneWritesAWhiteSignatureRunsTheScriptOnceAndEndsWithIdok) {
    COndrel_signDlg& window = OpenWindow();
    Button(IDC_AGREE_SIGN)->click();
    Button(IDC_DONE)->click();

    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(Autosave().IsRunning());
    EXPECT_TRUE(messages_.empty());

    QImage final;
    ASSERT_TRUE(final.load(QString::fromStdString(Final().string()), "BMP"));
    const QSize area = Area().size();
    EXPECT_EQ(final.size(), area);
    const QImage rgb = final.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); y += 7) {
        for (int x = 0; x < rgb.width(); x += 7) {
            ASSERT_EQ(rgb.pixel(x, y), 0xFFFFFFFFu) << x << "," << y;
        }
    }
    EXPECT_EQ(ScriptRunsText(), "count=1\nfirst=open\ncomplete=yes\n");
    EXPECT_FALSE(std::filesystem::exists(SiteDir() / "createSign.bat"));
    timeline_.Advance(5000);
    EXPECT_FALSE(std::filesystem::exists(Preview()));
}

TEST_F(WorkflowTest, DoneCapturesTheInkOnTheArea) {
    OpenWindow();
    Button(IDC_AGREE_SIGN)->click();
    Scribble(Area());
    const QImage shown = Area().grab().toImage().convertToFormat(QImage::Format_RGB32);
    Button(IDC_DONE)->click();
    QImage final;
    ASSERT_TRUE(final.load(QString::fromStdString(Final().string()), "BMP"));
    EXPECT_EQ(final.convertToFormat(QImage::Format_RGB32), shown);
}

TEST_F(WorkflowTest, DoneWithoutTheExchangeFolderStillRunsTheScriptAndEnds) {
    std::filesystem::remove_all(exchange_);
    COndrel_signDlg& window = OpenWindow();
    Button(IDC_AGREE_SIGN)->click();
    timeline_.Advance(1000);
    Button(IDC_DONE)->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(std::filesystem::exists(exchange_));
    EXPECT_EQ(ScriptRunsText(), "count=1\nfirst=open\ncomplete=missing\n");
}

TEST_F(WorkflowTest, EscEndsWithIdcancelWithoutCaptureOrScript) {
    COndrel_signDlg& window = OpenWindow();
    Button(IDC_AGREE_SIGN)->click();
    timeline_.Advance(1000);
    const std::string preview = ReadWholeFile(Preview());
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(std::filesystem::exists(Final()));
    EXPECT_FALSE(std::filesystem::exists(ScriptRuns()));
    EXPECT_EQ(ReadWholeFile(Preview()), preview);  // the last preview stays
}

TEST_F(WorkflowTest, CloseBoxEndsWithIdcancelWithoutCaptureOrScript) {
    COndrel_signDlg& window = OpenWindow();
    Button(IDC_AGREE_SIGN)->click();
    EXPECT_TRUE(window.close());
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_FALSE(std::filesystem::exists(Final()));
    EXPECT_FALSE(std::filesystem::exists(ScriptRuns()));
}

TEST_F(WorkflowTest, EnterWithoutAFocusedButtonOrViewEndsWithIdok) {
    COndrel_signDlg& window = OpenWindow();
    Button(IDC_AGREE_SIGN)->click();  // the terms view is hidden now
    if (QWidget* focused = window.focusWidget()) {
        focused->clearFocus();
    }
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(std::filesystem::exists(Final()));
    EXPECT_FALSE(std::filesystem::exists(ScriptRuns()));
}

TEST_F(WorkflowTest, EnterOnAFocusedButtonClicksIt) {
    COndrel_signDlg& window = OpenWindow();
    Button(IDC_DONE)->setFocus();
    QTest::keyClick(Button(IDC_DONE), Qt::Key_Return);
    ASSERT_EQ(messages_.size(), 1u);  // Done in terms mode: asked to sign, not ended
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(std::filesystem::exists(ScriptRuns()));
}

TEST_F(WorkflowTest, EnterInTheTermsViewStaysInTheView) {
    COndrel_signDlg& window = OpenWindow();
    TermsView* view = Terms();
    view->setFocus();
    const int blocks = view->document()->blockCount();
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(view->document()->blockCount(), blocks + 1);
}

TEST_F(WorkflowTest, TheRealMessageBoxHasOneOkButton) {
    window_ = std::make_unique<COndrel_signDlg>([this] {
        SignDialogSeams seams = Seams();
        seams.messageBox = nullptr;  // the real QMessageBox
        return seams;
    }());
    window_->show();
    QString text;
    int buttons = -1;
    bool found = false;
    AnswerModalBox<QMessageBox>(found, [&](QMessageBox& box) {
        text = box.text();
        buttons = static_cast<int>(box.buttons().size());
        box.button(QMessageBox::Ok)->click();
    });
    Button(IDC_DONE)->click();  // returns once the box is closed
    ASSERT_TRUE(found) << "no message box opened";
    EXPECT_EQ(text, QStringLiteral("请签字！"));
    EXPECT_EQ(buttons, 1);
    EXPECT_TRUE(window_->isVisible());
}

TEST_F(WorkflowTest, AModalRunEndsWithIdokThroughDone) {
    COndrel_signDlg& window = OpenWindow(/*show=*/false);
    QTimer::singleShot(0, [&] {
        Button(IDC_AGREE_SIGN)->click();
        Button(IDC_DONE)->click();
    });
    EXPECT_EQ(window.exec(), QDialog::Accepted);
    EXPECT_TRUE(std::filesystem::exists(Final()));
    EXPECT_EQ(ScriptRunsText(), "count=1\nfirst=open\ncomplete=yes\n");
}

}  // namespace
}  // namespace ondrel::test
