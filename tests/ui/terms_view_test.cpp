// The terms view in the signing window: loading the agreement, the caret rule, editing.

#include "ui/terms_view.h"

#include <QApplication>
#include <QFile>
#include <QScrollBar>
#include <QtTest/QTest>

#include "tests/ui/sign_window_fixture.h"
#include "ui/sign_dialog_template.h"

namespace ondrel::test {
namespace {

using TermsViewTest = SignWindowTest;

std::string LongAgreement() {
    std::string text = "{\\rtf1 first line\n";
    for (int i = 0; i < 400; ++i) {
        text += "line " + std::to_string(i) + " 条款内容\n";
    }
    return text + "last line}";
}

TEST_F(TermsViewTest, ShowsTheDocumentOfTheWorkingDirectory) {
    OpenWindow();
    EXPECT_TRUE(Terms()->toPlainText().contains(QStringLiteral("visitor terms")));
    EXPECT_FALSE(Terms()->isReadOnly());
}

TEST_F(TermsViewTest, CaretIsAtTheEndAfterLoadingAndAtTheStartOnFocus) {
    WriteWholeFile(SiteDir() / "userAgreement.rtf", LongAgreement());
    TermsView view;
    view.resize(400, 200);
    ASSERT_TRUE(view.LoadTermsDocument());
    EXPECT_EQ(view.textCursor().position(), view.document()->characterCount() - 1);
    view.OnTermsViewSetFocus();
    EXPECT_EQ(view.textCursor().position(), 0);
    EXPECT_FALSE(view.textCursor().hasSelection());
}

TEST_F(TermsViewTest, ComingBackWithTabShowsTheStart) {
    WriteWholeFile(SiteDir() / "userAgreement.rtf", LongAgreement());
    COndrel_signDlg& window = OpenWindow();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    TermsView* view = Terms();
    ASSERT_EQ(QApplication::focusWidget(), view);
    EXPECT_EQ(view->textCursor().position(), 0);

    view->moveCursor(QTextCursor::End);
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    ASSERT_GT(view->verticalScrollBar()->value(), 0);
    Control(IDC_DONE)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Control(IDC_DONE), Qt::Key_Tab);  // Done -> wraps to the view
    ASSERT_EQ(QApplication::focusWidget(), view);
    EXPECT_EQ(view->textCursor().position(), 0);
    EXPECT_FALSE(view->textCursor().hasSelection());
    EXPECT_EQ(view->verticalScrollBar()->value(), 0);
}

TEST_F(TermsViewTest, EditsStayAcrossModesAndNeverReachTheFile) {
    const std::string original = ReadWholeFile(SiteDir() / "userAgreement.rtf");
    OpenWindow();
    Terms()->setFocus();
    QTest::keyClicks(Terms(), QStringLiteral("typed"));
    Button(IDC_AGREE_SIGN)->click();
    Button(IDC_READ_TERMS)->click();
    EXPECT_TRUE(Terms()->toPlainText().contains(QStringLiteral("typed")));
    EXPECT_EQ(ReadWholeFile(SiteDir() / "userAgreement.rtf"), original);
}

TEST_F(TermsViewTest, ChangesOnDiskAfterLoadingAreNotShown) {
    OpenWindow();
    WriteWholeFile(SiteDir() / "userAgreement.rtf", "{\\rtf1 replaced}");
    Button(IDC_AGREE_SIGN)->click();
    Button(IDC_READ_TERMS)->click();
    EXPECT_FALSE(Terms()->toPlainText().contains(QStringLiteral("replaced")));
}

TEST_F(TermsViewTest, AMissingDocumentLeavesTheViewEmptyAndTheWindowGoesOn) {
    std::filesystem::remove(SiteDir() / "userAgreement.rtf");
    COndrel_signDlg& window = OpenWindow();
    EXPECT_TRUE(Terms()->toPlainText().isEmpty());
    EXPECT_TRUE(Terms()->isVisible());
    EXPECT_TRUE(window.windowState().testFlag(Qt::WindowMaximized));
    EXPECT_EQ(Terms()->geometry().topLeft(), QPoint(110, 35));
}

TEST_F(TermsViewTest, AnEmptyDocumentGivesAnEmptyView) {
    WriteWholeFile(SiteDir() / "userAgreement.rtf", "");
    TermsView view;
    EXPECT_TRUE(view.LoadTermsDocument());
    EXPECT_TRUE(view.toPlainText().isEmpty());
}

TEST_F(TermsViewTest, ReadTermsChunkReadsInPiecesAndReportsTheEnd) {
    WriteWholeFile(SiteDir() / "chunks.txt", "abcdefghij");
    QFile file(QStringLiteral("chunks.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    char buffer[4];
    long count = -1;
    EXPECT_EQ(ReadTermsChunk(&file, buffer, 4, &count), 0);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_EQ(ReadTermsChunk(&file, buffer, 4, &count), 0);
    EXPECT_EQ(ReadTermsChunk(&file, buffer, 4, &count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(ReadTermsChunk(&file, buffer, 4, &count), 0);
    EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace ondrel::test
