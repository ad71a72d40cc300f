// The terms view in the signing window: loading the agreement, the caret rule, editing.

#include "ui/terms_view.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QRawFont>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
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

// Characters of agreements that the common Chinese fonts lack: CJK Extension B (𩸽 U+29E3D,
// 𠮷 U+20BB7) and emoji (🍱 U+1F371, 🚪 U+1F6AA). install-deps.sh and the package bring fonts
// that have them (fonts-hanazono, fonts-symbola).
constexpr char32_t kRareCharacters[] = {0x29E3D, 0x20BB7, 0x1F371, 0x1F6AA};

QString CodePoint(char32_t c) {
    return QStringLiteral("U+%1").arg(static_cast<uint>(c), 4, 16, QChar('0')).toUpper();
}

// Those of the characters that no font known to Qt has.
QStringList CharactersWithoutAFont() {
    std::vector<char32_t> missing(std::begin(kRareCharacters), std::end(kRareCharacters));
    for (const QString& family : QFontDatabase::families()) {
        const QRawFont font = QRawFont::fromFont(QFont(family));
        std::erase_if(missing, [&](char32_t c) { return font.supportsCharacter(c); });
    }
    QStringList names;
    for (const char32_t c : missing) {
        names << CodePoint(c);
    }
    return names;
}

TEST_F(TermsViewTest, RareHanAndEmojiAreDrawnByTheFontFallback) {
    const QStringList missing = CharactersWithoutAFont();
    if (!missing.isEmpty()) {
        GTEST_SKIP() << "no installed font has " << missing.join(QStringLiteral(", ")).toStdString()
                     << " (scripts/install-deps.sh installs fonts-hanazono and fonts-symbola)";
    }
    // The fonts the agreements name (宋体, Times New Roman) have none of them: the glyphs must
    // come from Qt's fallback to the other installed fonts.
    WriteWholeFile(SiteDir() / "userAgreement.rtf",
                   R"({\rtf1\ansi\ansicpg936{\fonttbl{\f0\fnil\fcharset134 \'cb\'ce\'cc\'e5;})"
                   R"({\f1\froman Times New Roman;}}\f0 )"
                   R"(\u-10137?\u-8643? \u-10174?\u-8265?\u21513?\par\f1 )"
                   R"(\u-10180?\u-8335? bento \u-10179?\u-8534? door\par})");
    TermsView view;
    view.resize(600, 300);
    ASSERT_TRUE(view.LoadTermsDocument("userAgreement.rtf"));
    (void)view.grab();  // drawn as on the screen: the view lays its text out
    int found = 0;
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        for (qsizetype at = 0; at < text.size(); ++at) {
            const char32_t c =
                QChar::surrogateToUcs4(text[at], at + 1 < text.size() ? text[at + 1] : QChar());
            if (std::find(std::begin(kRareCharacters), std::end(kRareCharacters), c) ==
                std::end(kRareCharacters)) {
                continue;
            }
            ++found;
            const QList<QGlyphRun> runs = block.layout()->glyphRuns(static_cast<int>(at), 2);
            ASSERT_EQ(runs.size(), 1) << CodePoint(c).toStdString();
            const QRawFont font = runs.front().rawFont();
            EXPECT_TRUE(font.supportsCharacter(c))
                << CodePoint(c).toStdString() << " drawn with " << font.familyName().toStdString();
            for (const quint32 glyph : runs.front().glyphIndexes()) {
                EXPECT_NE(glyph, 0u) << CodePoint(c).toStdString() << ": the empty box";
            }
        }
    }
    EXPECT_EQ(found, 4);
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
    ASSERT_TRUE(view.LoadTermsDocument("userAgreement.rtf"));
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
    EXPECT_TRUE(view.LoadTermsDocument("userAgreement.rtf"));
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
