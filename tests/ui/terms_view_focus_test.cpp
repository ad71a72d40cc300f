// The terms view's caret rule and its context menu: a focus the visitor brings (a click, Tab,
// the window's first focus) shows the start; a focus that comes back from a popup leaves the
// caret, the selection and the scroll position where they were, so Copy and Paste act there.

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>
#include <QtTest/QTest>

#include "tests/ui/sign_window_fixture.h"
#include "ui/terms_view.h"

namespace ondrel::test {
namespace {

class TermsViewFocusTest : public SignWindowTest {
  protected:
    void SetUp() override {
        SignWindowTest::SetUp();
        std::string text = "{\\rtf1 first line\n";
        for (int i = 0; i < 300; ++i) {
            text += "\\par line " + std::to_string(i) + " \\u26465?\\u27454?\n";
        }
        WriteWholeFile(SiteDir() / "userAgreement.rtf", text + "\\par last line}");
    }

    TermsView* View() const {
        return window_->findChild<TermsView*>(QStringLiteral("IDC_TERMS_VIEW"));
    }

    // A selection in the middle of the document, scrolled away from the top.
    void SelectInTheMiddle() {
        QTextCursor cursor = View()->textCursor();
        cursor.setPosition(2000);
        cursor.setPosition(2010, QTextCursor::KeepAnchor);
        View()->setTextCursor(cursor);
        View()->ensureCursorVisible();
        ASSERT_GT(View()->verticalScrollBar()->value(), 0);
    }

    void SendFocusIn(Qt::FocusReason reason) {
        QFocusEvent focusIn(QEvent::FocusIn, reason);
        QApplication::sendEvent(View(), &focusIn);
    }
};

TEST_F(TermsViewFocusTest, AFocusBackFromAPopupOrTheWindowsActivationKeepsTheSelection) {
    OpenWindow();
    ASSERT_NE(View(), nullptr);
    for (const Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
        SelectInTheMiddle();
        const int scrolled = View()->verticalScrollBar()->value();
        SendFocusIn(reason);
        EXPECT_EQ(View()->textCursor().selectionStart(), 2000) << reason;
        EXPECT_EQ(View()->textCursor().selectionEnd(), 2010) << reason;
        EXPECT_EQ(View()->verticalScrollBar()->value(), scrolled) << reason;
    }
}

TEST_F(TermsViewFocusTest, AFocusTheVisitorBringsShowsTheStart) {
    OpenWindow();
    for (const Qt::FocusReason reason :
         {Qt::MouseFocusReason, Qt::TabFocusReason, Qt::BacktabFocusReason, Qt::OtherFocusReason}) {
        SelectInTheMiddle();
        SendFocusIn(reason);
        EXPECT_EQ(View()->textCursor().position(), 0) << reason;
        EXPECT_FALSE(View()->textCursor().hasSelection()) << reason;
        EXPECT_EQ(View()->verticalScrollBar()->value(), 0) << reason;
    }
}

TEST_F(TermsViewFocusTest, TheFirstFocusWithTheWindowsActivationShowsTheStart) {
    TermsView view;
    view.resize(300, 200);
    ASSERT_TRUE(view.LoadTermsDocument("userAgreement.rtf"));
    ASSERT_GT(view.textCursor().position(), 0);  // the load leaves the caret at the end
    QFocusEvent first(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(&view, &first);
    EXPECT_EQ(view.textCursor().position(), 0);
}

// The view's own menu, opened over it: the text entries, then the window's About entry; the
// selection is still there when the menu has closed.
TEST_F(TermsViewFocusTest, TheViewsMenuEndsWithTheWindowsEntriesAndKeepsTheSelection) {
    COndrel_signDlg& window = OpenWindow();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    View()->setFocus(Qt::MouseFocusReason);
    SelectInTheMiddle();

    QStringList entries;
    bool copyEnabled = false;
    QTimer::singleShot(0, [&] {
        // Runs inside the menu's own loop: look, then close it. Assertions come afterwards.
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (const QAction* action : menu->actions()) {
                entries << action->text();
                if (action->text().contains(QStringLiteral("Copy"))) {
                    copyEnabled = action->isEnabled();
                }
            }
            menu->close();
        }
    });
    const QPoint inside = View()->viewport()->rect().center();
    QContextMenuEvent open(QContextMenuEvent::Mouse, inside,
                           View()->viewport()->mapToGlobal(inside));
    QApplication::sendEvent(View()->viewport(), &open);

    ASSERT_FALSE(entries.isEmpty()) << "no menu opened";
    EXPECT_EQ(entries.last(), QStringLiteral("&About 签字手写板..."));
    EXPECT_TRUE(copyEnabled) << "Copy must act on the selection";
    EXPECT_EQ(View()->textCursor().selectionStart(), 2000);
    EXPECT_EQ(View()->textCursor().selectionEnd(), 2010);
}

}  // namespace
}  // namespace ondrel::test
