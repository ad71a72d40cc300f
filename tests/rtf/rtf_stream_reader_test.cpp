#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QImage>
#include <QTextImageFormat>
#include <QTextTable>
#include <string>

#include "rtf/rtf_list_numbering.h"
#include "tests/rtf/rtf_test_support.h"

namespace ondrel {
namespace {

using test::BlockFormatAt;
using test::FormatAt;
using test::ReadRtf;
using test::TextOf;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

TEST(RtfStreamReader, ParagraphsAndEscapes) {
    const auto doc = ReadRtf(R"({\rtf1\ansi P1\par P2 \{x\} a\\b\tab c\line d\par})");
    EXPECT_EQ(TextOf(*doc), U("P1\nP2 {x} a\\b\tc\u2028d"));
}

TEST(RtfStreamReader, SpecialCharacterWordsAndSymbols) {
    const auto doc =
        ReadRtf(R"({\rtf1 a\~b\-c\_d \endash\emdash\bullet\lquote\rquote\ldblquote\rdblquote})");
    EXPECT_EQ(TextOf(*doc), U("a\u00a0b\u00adc\u2011d \u2013\u2014\u2022\u2018\u2019\u201c\u201d"));
}

TEST(RtfStreamReader, BoldRunSizeAndItalicAreScopedToTheirGroup) {
    const auto doc = ReadRtf(R"({\rtf1\fs20 plain {\b\fs36 bold} {\i italic} after})");
    EXPECT_EQ(TextOf(*doc), U("plain bold italic after"));
    EXPECT_EQ(FormatAt(*doc, U("bold")).fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(FormatAt(*doc, U("bold")).fontPointSize(), 18.0);
    EXPECT_TRUE(FormatAt(*doc, U("italic")).fontItalic());
    EXPECT_EQ(FormatAt(*doc, U("after")).fontWeight(), QFont::Normal);
    EXPECT_DOUBLE_EQ(FormatAt(*doc, U("after")).fontPointSize(), 10.0);
}

TEST(RtfStreamReader, TogglesPlainUnderlineStrikeAndScripts) {
    const auto doc = ReadRtf(
        R"({\rtf1 \b on\b0 off \ul under\ulnone no \strike gone\strike0  E=mc{\super 2} H{\sub 2}O \b\i\ul x\plain plain})");
    EXPECT_EQ(FormatAt(*doc, U("on")).fontWeight(), QFont::Bold);
    EXPECT_EQ(FormatAt(*doc, U("off")).fontWeight(), QFont::Normal);
    EXPECT_TRUE(FormatAt(*doc, U("under")).fontUnderline());
    EXPECT_FALSE(FormatAt(*doc, U("no")).fontUnderline());
    EXPECT_TRUE(FormatAt(*doc, U("gone")).fontStrikeOut());
    EXPECT_EQ(FormatAt(*doc, U("2")).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(FormatAt(*doc, U("2O")).verticalAlignment(), QTextCharFormat::AlignSubScript);
    const QTextCharFormat plain = FormatAt(*doc, U("plain"));
    EXPECT_EQ(plain.fontWeight(), QFont::Normal);
    EXPECT_FALSE(plain.fontItalic());
    EXPECT_FALSE(plain.fontUnderline());
}

TEST(RtfStreamReader, HiddenTextIsNotShown) {
    const auto doc = ReadRtf(R"({\rtf1 [{\v secret}]\v more\v0 !})");
    EXPECT_EQ(TextOf(*doc), U("[]!"));
}

TEST(RtfStreamReader, FontTableGivesTheFamily) {
    const auto doc = ReadRtf(
        R"({\rtf1\deff0{\fonttbl{\f0\froman Times New Roman;}{\f1\fmodern Courier New;}}a {\f1 mono}})");
    EXPECT_EQ(FormatAt(*doc, U("a")).fontFamilies().toStringList(), QStringList{"Times New Roman"});
    EXPECT_EQ(FormatAt(*doc, U("mono")).fontFamilies().toStringList(), QStringList{"Courier New"});
}

TEST(RtfStreamReader, ColourTableForegroundAndBackground) {
    const auto doc = ReadRtf(
        R"({\rtf1{\colortbl;\red192\green0\blue0;\red255\green255\blue0;}x{\cf1 red} {\highlight2 hi} {\chcbpat2 sh} {\cf99 undefined}\cf1 R1\cf0 D0})");
    EXPECT_EQ(FormatAt(*doc, U("red")).foreground().color(), QColor(192, 0, 0));
    EXPECT_EQ(FormatAt(*doc, U("hi")).background().color(), QColor(255, 255, 0));
    EXPECT_EQ(FormatAt(*doc, U("sh")).background().color(), QColor(255, 255, 0));
    EXPECT_FALSE(FormatAt(*doc, U("undefined")).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(FormatAt(*doc, U("R1")).foreground().color(), QColor(192, 0, 0));
    EXPECT_FALSE(FormatAt(*doc, U("D0")).hasProperty(QTextFormat::ForegroundBrush));
}

TEST(RtfStreamReader, ParagraphAlignmentIndentsAndSpacing) {
    const auto doc = ReadRtf(
        R"({\rtf1\pard\qc centre\par\pard\qr right\par\pard\qj just\par\pard\li1440\ri720\fi-360\sb480\sa240 indented\par\pard left\par})");
    EXPECT_EQ(BlockFormatAt(*doc, U("centre")).alignment(), Qt::AlignHCenter);
    EXPECT_EQ(BlockFormatAt(*doc, U("right")).alignment(), Qt::AlignRight);
    EXPECT_EQ(BlockFormatAt(*doc, U("just")).alignment(), Qt::AlignJustify);
    const QTextBlockFormat indented = BlockFormatAt(*doc, U("indented"));
    EXPECT_DOUBLE_EQ(indented.leftMargin(), 96.0);  // 1440 twips = 1 inch = 96 px
    EXPECT_DOUBLE_EQ(indented.rightMargin(), 48.0);
    EXPECT_DOUBLE_EQ(indented.textIndent(), -24.0);
    EXPECT_DOUBLE_EQ(indented.topMargin(), 32.0);
    EXPECT_DOUBLE_EQ(indented.bottomMargin(), 16.0);
    EXPECT_EQ(BlockFormatAt(*doc, U("left")).alignment(), Qt::AlignLeft);
    EXPECT_DOUBLE_EQ(BlockFormatAt(*doc, U("left")).leftMargin(), 0.0);
}

TEST(RtfStreamReader, LineSpacingMultipleAndExact) {
    const auto doc =
        ReadRtf(R"({\rtf1\pard\sl360\slmult1 one and a half\par\pard\sl-300\slmult0 exact\par})");
    const QTextBlockFormat multiple = BlockFormatAt(*doc, U("one and a half"));
    EXPECT_EQ(multiple.lineHeightType(), QTextBlockFormat::ProportionalHeight);
    EXPECT_DOUBLE_EQ(multiple.lineHeight(), 150.0);
    const QTextBlockFormat exact = BlockFormatAt(*doc, U("exact"));
    EXPECT_EQ(exact.lineHeightType(), QTextBlockFormat::FixedHeight);
    EXPECT_DOUBLE_EQ(exact.lineHeight(), 20.0);
}

TEST(RtfStreamReader, TabStopsAreMeasuredFromTheMarginAndHangingIndentStopsATab) {
    const auto doc = ReadRtf(R"({\rtf1\deftab360\pard\li720\fi-360\tx2160 1.\tab item\par})");
    const QList<QTextOption::Tab> tabs = BlockFormatAt(*doc, U("item")).tabPositions();
    ASSERT_EQ(tabs.size(), 2);
    EXPECT_DOUBLE_EQ(tabs[0].position, 24.0);   // where the hanging lines start
    EXPECT_DOUBLE_EQ(tabs[1].position, 120.0);  // 2160 twips from the margin, less 360
    EXPECT_DOUBLE_EQ(doc->defaultTextOption().tabStopDistance(), 24.0);
}

TEST(RtfStreamReader, ListLabelOfOnlyATabIsDropped) {
    const auto doc =
        ReadRtf(R"({\rtf1{\listtext\pard\plain \tab}Heading\par{\listtext 2.\tab}Item\par})");
    EXPECT_EQ(TextOf(*doc), U("Heading\n2.\tItem"));
}

TEST(RtfStreamReader, PardResetsParagraphButNotCharacterProperties) {
    const auto doc = ReadRtf(R"({\rtf1\pard\qc\b P1\par\pard P2\par\plain\qr P3\par})");
    EXPECT_EQ(BlockFormatAt(*doc, U("P2")).alignment(), Qt::AlignLeft);
    EXPECT_EQ(FormatAt(*doc, U("P2")).fontWeight(), QFont::Bold);
    EXPECT_EQ(BlockFormatAt(*doc, U("P3")).alignment(), Qt::AlignRight);
    EXPECT_EQ(FormatAt(*doc, U("P3")).fontWeight(), QFont::Normal);
}

TEST(RtfStreamReader, GbkBytesUnderAnsiCodePage936) {
    // 访客 in GBK; 昇 (95 4E) with its trail byte as a literal 'N'; 學 (8C 57) written in hex.
    const auto doc = ReadRtf("{\\rtf1\\ansi\\ansicpg936 \\'b7\\'c3\\'bf\\'cd \\'95N\\'8c\\'57}");
    EXPECT_EQ(TextOf(*doc), U("访客 昇學"));
}

TEST(RtfStreamReader, BackslashAsGbkTrailByte) {
    // 乗 is 81 5C in GBK: its trail byte is a backslash, written escaped.
    const auto doc = ReadRtf("{\\rtf1\\ansicpg936 \\'81\\\\}");
    EXPECT_EQ(TextOf(*doc), QString::fromUtf8("\xe4\xb9\x97"));  // GB18030 81 5C
}

TEST(RtfStreamReader, FontCharsetChoosesTheCodePage) {
    const auto doc = ReadRtf(
        "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset134 "
        "SimSun;}{\\f2\\fcharset136 MingLiU;}{\\f3\\fcharset128 MS Gothic;}}"
        "\\f0 caf\\'e9 {\\f1 \\'b7\\'c3} {\\f2 \\'b3\\'58} {\\f3 \\'83e\\'83X\\'83g} \\'80}");
    EXPECT_EQ(TextOf(*doc), U("café 访 訪 テスト €"));
}

TEST(RtfStreamReader, KoreanCyrillicAndCentralEuropeanCodePages) {
    const auto doc = ReadRtf(
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset129 Gulim;}{\\f1\\fcharset204 Arial;}"
        "{\\f2\\fcharset238 Arial;}}\\f0 \\'c7\\'d1 \\f1 \\'cf\\'f0\\'e8 \\f2 \\'b9\\'e6}");
    EXPECT_EQ(TextOf(*doc), U("한 При ąć"));
}

TEST(RtfStreamReader, AnsiCodePageAppliesToFontsWithoutCharset) {
    const auto doc = ReadRtf("{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}}\\f0 \\'cf}");
    EXPECT_EQ(TextOf(*doc), U("П"));
}

TEST(RtfStreamReader, SymbolFontBulletIsAnOrdinaryBullet) {
    const auto doc = ReadRtf(
        R"({\rtf1{\fonttbl{\f0 Arial;}{\f1\ftech\fcharset2 Symbol;}}\f0 [{\f1 \u-3913?}]})");
    EXPECT_EQ(TextOf(*doc), U("[•]"));
    EXPECT_TRUE(FormatAt(*doc, U("•")).fontFamilies().toStringList().isEmpty());
}

TEST(RtfStreamReader, GbkFontNameIsDecodedWithItsCharset) {
    const auto doc =
        ReadRtf("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\\f0 x}");
    EXPECT_EQ(FormatAt(*doc, U("x")).fontFamilies().toStringList(), QStringList{U("宋体")});
}

TEST(RtfStreamReader, UnicodeWithFallbackSkipping) {
    const auto doc = ReadRtf(
        R"({\rtf1 \u35775?\u23458\'3f|{\uc2 \u35775\'b7\'c3}|\u21327?|{\uc0 \u30331\u35760}|\u-29761?|[\u8226\bullet]|{\u35775}X})");
    EXPECT_EQ(TextOf(*doc), U("访客|访|协|登记|访|[•]|访X"));
}

TEST(RtfStreamReader, SurrogatePairsAndLoneSurrogates) {
    const auto doc = ReadRtf(
        R"({\rtf1 [\u-10179?\u-8704?][\u55357?\u56832?][\uc0 \u55357\uc1 \u56832\'3f] A\u-10179?B C\u-8704?D})");
    const QString text = TextOf(*doc);
    EXPECT_TRUE(text.startsWith(U("[😀][😀][😀] A")));
    // A lone surrogate becomes U+FFFD and does not swallow the next letter.
    EXPECT_TRUE(text.endsWith(U("A\uFFFDB C\uFFFDD"))) << text.toStdString();
}

TEST(RtfStreamReader, UnknownDestinationsAndTablesAreSkipped) {
    const auto doc = ReadRtf(
        R"({\rtf1{\fonttbl{\f0 Arial;}}{\stylesheet{\s1 HIDDEN;}}{\info{\title HIDDEN}}{\*\generator HIDDEN;})"
        R"({\*\unknown HIDDEN {\b HIDDEN} \'e9\par}A{\*\bkmkstart x}B{\field{\*\fldinst HYPERLINK "HIDDEN"}{\fldrslt link}}\foobar C})");
    EXPECT_EQ(TextOf(*doc), U("ABlinkC"));
}

TEST(RtfStreamReader, BinaryDataIsSkippedWithoutReadingItsBytes) {
    std::string rtf = "{\\rtf1 a{\\*\\objdata \\bin5 ";
    rtf += std::string("}\\\0{\xff", 5);
    rtf += "}b{\\*\\x \\bin4 \\par}c}";
    const auto doc = ReadRtf(rtf);
    EXPECT_EQ(TextOf(*doc), U("abc"));
}

TEST(RtfStreamReader, ListTextIsShown) {
    const auto doc = ReadRtf(
        R"({\rtf1{\*\listtable{\list{\listlevel{\leveltext \'02\'00.;}}}}\pard{\listtext 1.\tab}first\par{\pntext \u8226?\tab}second\par})");
    EXPECT_EQ(TextOf(*doc), U("1.\tfirst\n•\tsecond"));
}

TEST(RtfStreamReader, AssociatedPropertiesApplyToDoubleByteText) {
    const auto doc =
        ReadRtf(R"({\rtf1\fs24{\dbch\ab\afs36\dbch \u26143?}{\loch\ab latin}\rtlch\ab\ltrch rtl})");
    const QTextCharFormat cjk = FormatAt(*doc, U("星"));
    EXPECT_EQ(cjk.fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(cjk.fontPointSize(), 18.0);
    EXPECT_EQ(FormatAt(*doc, U("latin")).fontWeight(), QFont::Normal);
    EXPECT_EQ(FormatAt(*doc, U("rtl")).fontWeight(), QFont::Normal);
}

TEST(RtfStreamReader, TableCellsAndAfterText) {
    const auto doc = ReadRtf(
        R"({\rtf1 Before\par\trowd\clbrdrt\brdrs\cellx2400\cellx4800\pard\intbl\qc\b A\b0\cell B\cell\row)"
        R"(\trowd\cellx2400\cellx4800\pard\intbl C\cell D\cell\row\pard After\par})");
    const auto frames = doc->rootFrame()->childFrames();
    ASSERT_EQ(frames.size(), 1);
    auto* table = qobject_cast<QTextTable*>(frames.front());
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(table->columns(), 2);
    const auto cellText = [&](int row, int column) {
        QTextTableCell cell = table->cellAt(row, column);
        QTextCursor cursor = cell.firstCursorPosition();
        cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
        return cursor.selectedText();
    };
    EXPECT_EQ(cellText(0, 0), U("A"));
    EXPECT_EQ(cellText(0, 1), U("B"));
    EXPECT_EQ(cellText(1, 0), U("C"));
    EXPECT_EQ(cellText(1, 1), U("D"));
    EXPECT_EQ(FormatAt(*doc, U("A")).fontWeight(), QFont::Bold);
    EXPECT_EQ(BlockFormatAt(*doc, U("A")).alignment(), Qt::AlignHCenter);
    const auto cellFormat = [&](int row, int column) {
        return table->cellAt(row, column).format().toTableCellFormat();
    };
    EXPECT_EQ(cellFormat(0, 0).topBorder(), 1.0);  // only the sides the row names are drawn
    EXPECT_EQ(cellFormat(0, 0).bottomBorder(), 0.0);
    EXPECT_EQ(cellFormat(1, 0).topBorder(), 0.0);
    EXPECT_EQ(doc->begin().text(), U("Before"));
    EXPECT_TRUE(TextOf(*doc).endsWith(U("After")));
}

TEST(RtfStreamReader, ParagraphMarkBeforeCellMarkLeavesNoEmptyParagraph) {
    const auto doc = ReadRtf(
        R"({\rtf1\trowd\cellx1000\cellx2000{\pard\intbl A\par}\cell{\pard\intbl B\par}\cell\row})");
    auto* table = qobject_cast<QTextTable*>(doc->rootFrame()->childFrames().value(0));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->columns(), 2);
    const QTextTableCell first = table->cellAt(0, 0);
    EXPECT_EQ(first.firstCursorPosition().block(), first.lastCursorPosition().block());
    EXPECT_EQ(first.firstCursorPosition().block().text(), U("A"));
    EXPECT_EQ(table->cellAt(0, 1).firstCursorPosition().block().text(), U("B"));
}

TEST(RtfStreamReader, CellMarksOutsideARowAreSeparators) {
    const auto doc = ReadRtf(R"({\rtf1\cellx100\cellx200 a\cell b\cell c\par})");
    EXPECT_TRUE(doc->rootFrame()->childFrames().isEmpty());
    EXPECT_EQ(TextOf(*doc), U("a\tb\tc"));
}

TEST(RtfStreamReader, TableHasOnlyTheCellsItsContentFills) {
    std::string rtf = "{\\rtf1\\trowd";
    for (int i = 1; i <= 60; ++i) {
        rtf += "\\cellx" + std::to_string(i * 100);
    }
    rtf += "\\intbl x\\cell y\\cell\\row}";
    const auto doc = ReadRtf(rtf);
    auto* table = qobject_cast<QTextTable*>(doc->rootFrame()->childFrames().value(0));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->columns(), 2);
}

TEST(RtfStreamReader, TableSizeIsBoundedAndKeepsItsText) {
    std::string rtf = "{\\rtf1\\trowd\\cellx100";
    for (int i = 0; i < 30000; ++i) {
        rtf += "\\intbl r\\cell\\row";
    }
    for (int i = 0; i < 64; ++i) {
        rtf += "\\intbl c\\cell";
    }
    rtf += "\\row\\pard end}";
    const auto doc = ReadRtf(rtf);
    const auto frames = doc->rootFrame()->childFrames();
    EXPECT_GT(frames.size(), 1);  // continued in further tables
    for (QTextFrame* frame : frames) {
        auto* table = qobject_cast<QTextTable*>(frame);
        ASSERT_NE(table, nullptr);
        EXPECT_LE(table->rows() * table->columns(), 1200);
    }
    const QString text = TextOf(*doc);
    EXPECT_EQ(text.count(u'r'), 30000);  // every cell's text is still there
    EXPECT_EQ(text.count(u'c'), 64);
    EXPECT_TRUE(text.endsWith(U("end")));
}

TEST(RtfStreamReader, RowWithoutIntblIsStillATable) {
    // WordPad's tables: cell text right after the row definition, no \intbl.
    const auto doc = ReadRtf(R"({\rtf1 Before\par\trowd\cellx1000\cellx2000 A\cell B\cell \row)"
                             R"(\trowd\cellx1000\cellx2000 C\cell D\cell \row\pard After\par})");
    const auto frames = doc->rootFrame()->childFrames();
    ASSERT_EQ(frames.size(), 1);
    auto* table = qobject_cast<QTextTable*>(frames.front());
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rows(), 2);
    EXPECT_EQ(table->columns(), 2);
    EXPECT_EQ(table->cellAt(1, 1).firstCursorPosition().block().text(), U("D"));
    EXPECT_EQ(doc->lastBlock().text(), U("After"));
}

std::string PngHex() {
    test::EnsureGuiApplication();
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data().toHex().toStdString();
}

TEST(RtfStreamReader, PngPictureBecomesAnImage) {
    const std::string rtf =
        std::string("{\\rtf1 a{\\*\\shppict{\\pict\\pngblip\\picwgoal1500\\pichgoal750 ") +
        PngHex() + "}}{\\nonshppict{\\pict\\wmetafile8 0100090000}}b}";
    const auto doc = ReadRtf(rtf);
    EXPECT_EQ(TextOf(*doc), QStringLiteral(u"a\uFFFCb"));
    QTextCursor cursor(doc.get());
    cursor.setPosition(2);
    const QTextCharFormat format = cursor.charFormat();
    ASSERT_TRUE(format.isImageFormat());
    const QTextImageFormat image = format.toImageFormat();
    EXPECT_DOUBLE_EQ(image.width(), 100.0);
    EXPECT_DOUBLE_EQ(image.height(), 50.0);
    const QVariant data = doc->resource(QTextDocument::ImageResource, QUrl(image.name()));
    EXPECT_FALSE(data.toByteArray().isEmpty());
    QImage decoded;
    EXPECT_TRUE(decoded.loadFromData(data.toByteArray()));
}

TEST(RtfStreamReader, JpegPictureBecomesAnImage) {
    test::EnsureGuiApplication();
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    const std::string rtf =
        "{\\rtf1 {\\pict\\jpegblip\\picscalex50\\picscaley50\\picwgoal600\\pichgoal600 " +
        buffer.data().toHex().toStdString() + "}}";
    const auto doc = ReadRtf(rtf, 5);
    QTextCursor cursor(doc.get());
    cursor.setPosition(1);
    ASSERT_TRUE(cursor.charFormat().isImageFormat());
    EXPECT_DOUBLE_EQ(cursor.charFormat().toImageFormat().width(), 20.0);  // 600 twips at 50 %
}

TEST(RtfStreamReader, MetafilesKeepTheirPlaceAndBrokenDataWithoutASizeIsSkipped) {
    const auto doc =
        ReadRtf(R"({\rtf1 a{\pict\emfblip 0100}{\pict\pngblip 00112233}{\pict\wmetafile8 01}b})");
    EXPECT_EQ(TextOf(*doc), U("a\uFFFC\uFFFCb"));
}

TEST(RtfStreamReader, ChunkedFeedingEqualsWholeFeeding) {
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
        "{\\colortbl;\\red1\\green2\\blue3;}\\f0\\fs28 \\'b7\\'c3\\'bf\\'cd\\u35775?{\\b\\cf1 "
        "bold}\\par{\\*\\x \\bin3 }}}\\trowd\\cellx100\\intbl cell\\cell\\row\\pard end\\p";
    const auto whole = ReadRtf(rtf);
    for (const std::size_t chunk : {1, 2, 3, 7}) {
        const auto pieces = ReadRtf(rtf, chunk);
        EXPECT_EQ(pieces->toHtml(), whole->toHtml()) << "chunk " << chunk;
    }
}

TEST(RtfStreamReader, LoadedDocumentIsNotAnUndoableEdit) {
    test::EnsureGuiApplication();
    QTextDocument document;
    document.setPlainText("old");
    {
        RtfStreamReader reader(&document);
        const std::string rtf = "{\\rtf1 new {\\b text}\\par}";
        reader.Feed(rtf.data(), rtf.size());
        reader.Finish();
    }
    EXPECT_EQ(TextOf(document), U("new text"));
    EXPECT_FALSE(document.isUndoAvailable());
    EXPECT_TRUE(document.isUndoRedoEnabled());
}

TEST(RtfStreamReader, ReaderDroppedBeforeFinishLeavesWhatWasRead) {
    test::EnsureGuiApplication();
    QTextDocument document;
    {
        RtfStreamReader reader(&document);
        const std::string rtf = "{\\rtf1 first\\par sec";
        reader.Feed(rtf.data(), rtf.size());
    }
    EXPECT_EQ(TextOf(document), U("first\nsec"));
}

TEST(RtfStreamReader, NotRtfIsPlainText) {
    const auto utf8 = ReadRtf("访客 {not rtf} \\x\nsecond line");
    EXPECT_EQ(TextOf(*utf8), U("访客 {not rtf} \\x\nsecond line"));
    const auto gbk = ReadRtf("\xb7\xc3\xbf\xcd");  // not valid UTF-8: read as GB18030
    EXPECT_EQ(TextOf(*gbk), U("访客"));
    const auto cut = ReadRtf("{\\rt");
    EXPECT_EQ(TextOf(*cut), U("{\\rt"));
}

TEST(RtfStreamReader, EmptyAndMinimalDocuments) {
    EXPECT_TRUE(TextOf(*ReadRtf("")).isEmpty());
    EXPECT_TRUE(TextOf(*ReadRtf("{\\rtf1}")).isEmpty());
}

TEST(RtfStreamReader, MalformedInputShowsWhatCouldBeRead) {
    EXPECT_EQ(TextOf(*ReadRtf("{\\rtf1 P1\\par{\\b P2")), U("P1\nP2"));
    EXPECT_EQ(FormatAt(*ReadRtf("{\\rtf1 P1\\par{\\b P2"), U("P2")).fontWeight(), QFont::Bold);
    EXPECT_EQ(TextOf(*ReadRtf("{\\rtf1 P1}} P2 {\\b x}}")), U("P1 P2 x"));
    EXPECT_EQ(TextOf(*ReadRtf("{\\rtf1 ok\\par cut\\pla")), U("ok\ncut"));
    EXPECT_EQ(TextOf(*ReadRtf("{\\rtf1 a\\'4")), U("a"));
    EXPECT_EQ(TextOf(*ReadRtf("{\\rtf1 a\\'zzb}")), U("azzb"));
}

TEST(RtfStreamReader, AbsurdNumbersAreBounded) {
    const auto doc = ReadRtf(
        R"({\rtf1{\fs99999 A}{\fs2147483647 B}{\fs99999999999999999999 C}{\fs0 D}{\fs-24 E}{\fs1 F}\uc99999999 \u35775 G\li-99999999 H\bin99999999999})");
    const QString text = TextOf(*doc);
    EXPECT_TRUE(text.startsWith(U("ABCDEF访")));
    EXPECT_LE(FormatAt(*doc, U("C")).fontPointSize(), 144.0);
    EXPECT_DOUBLE_EQ(FormatAt(*doc, U("D")).fontPointSize(), 12.0);
    EXPECT_DOUBLE_EQ(FormatAt(*doc, U("F")).fontPointSize(), 2.0);  // tiny, yet a size
}

TEST(RtfStreamReader, AbsurdSpacingIsCutSoThatLayoutFinishes) {
    // 12000 paragraphs 22 inches apart are taller than Qt's layout can count; cut to an inch.
    std::string rtf = "{\\rtf1\\sb31680\\sa31680\\sl-31680 ";
    for (int i = 0; i < 12000; ++i) {
        rtf += "x\\par ";
    }
    rtf += "}";
    const auto doc = ReadRtf(rtf);
    const QTextBlockFormat format = BlockFormatAt(*doc, U("x"));
    EXPECT_DOUBLE_EQ(format.topMargin(), 96.0);
    EXPECT_DOUBLE_EQ(format.bottomMargin(), 96.0);
    EXPECT_DOUBLE_EQ(format.lineHeight(), 96.0);
    doc->setTextWidth(600);
    EXPECT_GT(doc->documentLayout()->documentSize().height(), 12000 * 96.0);  // laid out in full
}

TEST(RtfStreamReader, DeepNestingIsBoundedAndKeepsReading) {
    std::string rtf = "{\\rtf1 top ";
    for (int i = 0; i < 5000; ++i) {
        rtf += i == 100 ? "{\\i " : "{";
    }
    rtf += "\\b deep";
    rtf += std::string(5000, '}');
    rtf += " back}";
    const auto doc = ReadRtf(rtf);
    EXPECT_EQ(TextOf(*doc), U("top deep back"));
    EXPECT_TRUE(FormatAt(*doc, U("deep")).fontItalic());
    EXPECT_FALSE(FormatAt(*doc, U("back")).fontItalic());
    EXPECT_EQ(FormatAt(*doc, U("back")).fontWeight(), QFont::Normal);
}

TEST(RtfStreamReader, StructuralCharactersInTextCannotBreakTheDocument) {
    const auto doc = ReadRtf(R"({\rtf1 a\u-560?\u-559?\u65532?\u8233?\'00b})");
    const QString text = TextOf(*doc);
    EXPECT_FALSE(text.contains(QChar(0xFDD0)));
    EXPECT_FALSE(text.contains(QChar(0xFFFC)));
    EXPECT_FALSE(text.contains(QChar(0)));
    EXPECT_TRUE(text.startsWith(u'a'));
    EXPECT_TRUE(text.endsWith(u'b'));
    EXPECT_EQ(doc->blockCount(), 1);
}

// A document whose list table holds one list (id 7) of the given levels, named by \ls1 and
// \ls2; \ls3 starts its first level anew at 1.
std::string ListDocument(const std::string& levels, const std::string& body) {
    return R"({\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}}{\*\listtable{\list\listtemplateid1)" +
           levels +
           R"(\listid7}}{\*\listoverridetable{\listoverride\listid7\listoverridecount0\ls1})"
           R"({\listoverride\listid7\listoverridecount0\ls2})"
           R"({\listoverride\listid7\listoverridecount1{\lfolevel\listoverridestartat\levelstartat1}\ls3}})" +
           body + "}";
}

// One \listlevel: number format, start value, \leveltext and \levelnumbers (as written, hex
// escapes included) and further level words.
std::string Level(int format, int start, const std::string& text, const std::string& numbers,
                  const std::string& more = {}) {
    return "{\\listlevel\\levelnfc" + std::to_string(format) + "\\levelstartat" +
           std::to_string(start) + more + "{\\leveltext " + text + ";}{\\levelnumbers " + numbers +
           ";}\\fi-360\\li720}";
}

const std::string kTwoItems = R"(\pard\ls1 first\par\pard\ls1 second\par)";

TEST(RtfLists, EachNumberFormatOfALevel) {
    const struct {
        int format;
        const char* expected;
    } cases[] = {
        {0, "1.\tfirst\n2.\tsecond"},  {3, "A.\tfirst\nB.\tsecond"},
        {4, "a.\tfirst\nb.\tsecond"},  {1, "I.\tfirst\nII.\tsecond"},
        {2, "i.\tfirst\nii.\tsecond"}, {22, "01.\tfirst\n02.\tsecond"},
        {255, "first\nsecond"},        {47, "1.\tfirst\n2.\tsecond"},  // unknown: decimal
    };
    for (const auto& c : cases) {
        const auto doc =
            ReadRtf(ListDocument(Level(c.format, 1, R"(\'02\'00.)", R"(\'01)"), kTwoItems));
        EXPECT_EQ(TextOf(*doc), U(c.expected)) << "levelnfc " << c.format;
    }
}

TEST(RtfLists, BulletsFromTheLevelText) {
    // A Unicode bullet; Word's Symbol-font bullet (U+F0B7); a Wingdings square; a bullet level
    // with no text at all.
    EXPECT_EQ(TextOf(*ReadRtf(ListDocument(Level(23, 1, R"(\'01\u8226 ?)", ""), kTwoItems))),
              U("•\tfirst\n•\tsecond"));
    EXPECT_EQ(TextOf(*ReadRtf(ListDocument(Level(23, 1, R"(\'01\u-3913 ?)", ""), kTwoItems))),
              U("•\tfirst\n•\tsecond"));
    EXPECT_EQ(TextOf(*ReadRtf(ListDocument(Level(23, 1, R"(\'01\u-3929 ?)", ""), kTwoItems))),
              U("▪\tfirst\n▪\tsecond"));
    EXPECT_EQ(TextOf(*ReadRtf(ListDocument(Level(23, 1, "", ""), kTwoItems))),
              U("•\tfirst\n•\tsecond"));
}

TEST(RtfLists, NumberFormatsCountOnPastTheirFirstLetters) {
    EXPECT_EQ(FormatListNumber(4, RtfNumberFormat::UpperRoman), U("IV"));
    EXPECT_EQ(FormatListNumber(9, RtfNumberFormat::LowerRoman), U("ix"));
    EXPECT_EQ(FormatListNumber(14, RtfNumberFormat::UpperRoman), U("XIV"));
    EXPECT_EQ(FormatListNumber(1994, RtfNumberFormat::UpperRoman), U("MCMXCIV"));
    EXPECT_EQ(FormatListNumber(4000, RtfNumberFormat::UpperRoman), U("4000"));
    EXPECT_EQ(FormatListNumber(0, RtfNumberFormat::LowerRoman), U("0"));
    EXPECT_EQ(FormatListNumber(26, RtfNumberFormat::UpperLetter), U("Z"));
    EXPECT_EQ(FormatListNumber(27, RtfNumberFormat::UpperLetter), U("AA"));
    EXPECT_EQ(FormatListNumber(54, RtfNumberFormat::LowerLetter), U("bbb"));
    EXPECT_EQ(FormatListNumber(100000, RtfNumberFormat::LowerLetter), U("100000"));
    EXPECT_EQ(FormatListNumber(12, RtfNumberFormat::DecimalZero), U("12"));
}

TEST(RtfLists, StartValue) {
    EXPECT_EQ(TextOf(*ReadRtf(ListDocument(Level(0, 5, R"(\'02\'00.)", R"(\'01)"), kTwoItems))),
              U("5.\tfirst\n6.\tsecond"));
    EXPECT_EQ(TextOf(*ReadRtf(ListDocument(Level(0, 0, R"(\'02\'00.)", R"(\'01)"), kTwoItems))),
              U("0.\tfirst\n1.\tsecond"));
    EXPECT_EQ(TextOf(*ReadRtf(ListDocument(Level(3, 3, R"(\'02\'00))", R"(\'01)"), kTwoItems))),
              U("C)\tfirst\nD)\tsecond"));
}

TEST(RtfLists, LevelTextTemplateAndWhatFollowsTheNumber) {
    EXPECT_EQ(TextOf(*ReadRtf(ListDocument(Level(0, 1, R"(\'03(\'00))", R"(\'02)"), kTwoItems))),
              U("(1)\tfirst\n(2)\tsecond"));
    // Chinese around the number, written as \u with fallbacks: 第1条.
    EXPECT_EQ(TextOf(*ReadRtf(ListDocument(Level(0, 1, R"(\'03\u31532 ?\'00\u26465 ?)", R"(\'02)"),
                                           kTwoItems))),
              U("第1条\tfirst\n第2条\tsecond"));
    // Text longer than its length unit says: the rest is not label.
    EXPECT_EQ(TextOf(*ReadRtf(ListDocument(Level(0, 1, R"(\'02\'00.xyz)", R"(\'01)"), kTwoItems))),
              U("1.\tfirst\n2.\tsecond"));
    // \levelfollow1 is a space, \levelfollow2 nothing.
    EXPECT_EQ(TextOf(*ReadRtf(ListDocument(Level(0, 1, R"(\'02\'00.)", R"(\'01)", "\\levelfollow1"),
                                           kTwoItems))),
              U("1. first\n2. second"));
    EXPECT_EQ(TextOf(*ReadRtf(ListDocument(Level(0, 1, R"(\'02\'00.)", R"(\'01)", "\\levelfollow2"),
                                           kTwoItems))),
              U("1.first\n2.second"));
}

TEST(RtfLists, DeeperLevelsRestartWhenAShallowerOneAdvancesAndOverridesShareTheCount) {
    const std::string levels = Level(0, 1, R"(\'02\'00.)", R"(\'01)") +
                               Level(4, 1, R"(\'04\'00.\'01.)", R"(\'01\'03)") +
                               Level(2, 1, R"(\'02\'02))", R"(\'01)", "\\levelnorestart");
    const std::string body =
        R"(\pard\ls1\ilvl0 A\par\pard\ls1\ilvl1 A1\par\pard\ls1\ilvl1 A2\par)"
        R"(\pard\ls1\ilvl2 x\par\pard\ls1\ilvl0 B\par\pard\ls1\ilvl1 B1\par)"
        R"(\pard\ls1\ilvl2 y\par\pard\ls2 other\par\pard\ls3 anew\par\pard\ls3 next\par)"
        R"(\pard\ls1 C\par)";
    EXPECT_EQ(TextOf(*ReadRtf(ListDocument(levels, body))),
              U("1.\tA\n1.a.\tA1\n1.b.\tA2\ni)\tx\n2.\tB\n2.a.\tB1\nii)\ty\n3.\tother\n"
                "1.\tanew\n2.\tnext\n3.\tC"));
}

TEST(RtfLists, ListTextOfTheParagraphIsShownInsteadOfANumber) {
    const std::string levels = Level(0, 1, R"(\'02\'00.)", R"(\'01)");
    // LibreOffice: \listtext after \pard; Word: before it. The second paragraph has no
    // \listtext and goes on counting.
    const std::string body =
        R"(\pard\ls1{\listtext\pard\plain 1.\tab}first\par)"
        R"({\listtext\pard\plain\f0 (one)\tab}\pard\plain\ls1 again\par\pard\ls1 second\par)";
    EXPECT_EQ(TextOf(*ReadRtf(ListDocument(levels, body))),
              U("1.\tfirst\n(one)\tagain\n3.\tsecond"));
}

TEST(RtfLists, ListTextOfOnlySpacesLeavesTheNumberToTheListTable) {
    // AbiWord: {\listtext} of a space and a tab for numbers, of \bullet and a tab for bullets.
    const std::string levels = Level(0, 1, R"(\'02\'00.)", R"(\'01)");
    const std::string body =
        R"({\listtext\pard\fi-431\li720  \tab}\pard\plain\fi-431\li720\ls1\ilvl0{first}\par)"
        R"({\listtext\pard\fi-431\li720  \tab}\pard\plain\fi-431\li720\ls1\ilvl0{second}\par)"
        R"({\listtext\pard\fi-431\li720\bullet \tab}\pard\plain\ls1 own bullet\par)";
    EXPECT_EQ(TextOf(*ReadRtf(ListDocument(levels, body))),
              U("1.\tfirst\n2.\tsecond\n•\town bullet"));
}

TEST(RtfLists, ParagraphsOutsideAListOrNamingNoneAreNotNumbered) {
    const std::string levels = Level(0, 1, R"(\'02\'00.)", R"(\'01)");
    const std::string body =
        R"(\pard\ls1 one\par\pard plain\par\pard\ls9 unknown\par\pard\ls1 two\par)";
    EXPECT_EQ(TextOf(*ReadRtf(ListDocument(levels, body))), U("1.\tone\nplain\nunknown\n2.\ttwo"));
    // \ls without any list table (AbiWord's list tags without a definition).
    EXPECT_EQ(TextOf(*ReadRtf(R"({\rtf1\pard\ls1\ilvl0 item\par})")), U("item"));
}

TEST(RtfLists, NumberTakesTheTextsLookWithoutUnderline) {
    const auto doc = ReadRtf(
        ListDocument(Level(0, 1, R"(\'02\'00.)", R"(\'01)"), R"(\pard\ls1{\b\ul bold item}\par)"));
    EXPECT_EQ(TextOf(*doc), U("1.\tbold item"));
    EXPECT_EQ(FormatAt(*doc, U("1.")).fontWeight(), QFont::Bold);
    EXPECT_FALSE(FormatAt(*doc, U("1.")).fontUnderline());
    EXPECT_TRUE(FormatAt(*doc, U("bold")).fontUnderline());
}

TEST(RtfLists, LevelIndentsApplyUnlessTheParagraphHasItsOwn) {
    const auto doc = ReadRtf(ListDocument(Level(0, 1, R"(\'02\'00.)", R"(\'01)"),
                                          R"(\pard\ls1 level\par\pard\ls1\li1440\fi-720 own\par)"));
    const QTextBlockFormat level = BlockFormatAt(*doc, U("level"));
    EXPECT_DOUBLE_EQ(level.leftMargin(), 48.0);  // 720 twips
    EXPECT_DOUBLE_EQ(level.textIndent(), -24.0);
    ASSERT_FALSE(level.tabPositions().isEmpty());
    EXPECT_DOUBLE_EQ(level.tabPositions().front().position, 24.0);  // text after the number
    const QTextBlockFormat own = BlockFormatAt(*doc, U("own"));
    EXPECT_DOUBLE_EQ(own.leftMargin(), 96.0);
    EXPECT_DOUBLE_EQ(own.textIndent(), -48.0);
}

TEST(RtfLists, EmptyItemAndItemsInTableCellsAreNumbered) {
    const auto doc = ReadRtf(ListDocument(
        Level(0, 1, R"(\'02\'00.)", R"(\'01)"),
        R"(\pard\ls1\par\trowd\cellx2000\cellx4000\pard\intbl\ls1 a\cell\pard\intbl\ls1 b\cell\row\pard after\par)"));
    QStringList blocks;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        blocks << block.text();
    }
    EXPECT_EQ(blocks, QStringList({U("1.\t"), U("2.\ta"), U("3.\tb"), U("after")}));
}

TEST(RtfLists, HostileListTablesAreBounded) {
    // Many lists of many levels, huge and broken level texts, number places of levels that do
    // not exist, absurd start values and levels, overrides of unknown lists, no closing brace.
    std::string levels;
    for (int i = 0; i < 20; ++i) {
        levels +=
            Level(i % 5, 2147483647, R"(\'ff)" + std::string(5000, '\x08'), std::string(300, 'x'));
    }
    std::string rtf = R"({\rtf1{\*\listtable)";
    for (int i = 0; i < 2000; ++i) {
        rtf += R"({\list)" + (i == 0 ? levels : Level(1, -5, R"(\'02\'08\'07)", R"(\'01\'02)")) +
               "\\listid" + std::to_string(i) + "}";
    }
    rtf += R"({\list{\listlevel{\leveltext}}}{\listlevel\levelnfc4}\listid5)";
    rtf += R"(}{\*\listoverridetable{\listoverride\listid0\ls1}{\listoverride\listid9\ls2})"
           R"({\listoverride\listid99999\ls3}{\listoverride\ls4}{\listoverride\listid1})";
    for (int i = 0; i < 3000; ++i) {
        rtf += R"({\listoverride\listid)" + std::to_string(i) + R"(\ls)" + std::to_string(i + 10) +
               "}";
    }
    rtf += "}";
    for (int i = 0; i < 2000; ++i) {
        rtf += "\\pard\\ls" + std::to_string(i % 7) + "\\ilvl" + std::to_string(i % 12 - 2) +
               " p\\par";
    }
    rtf += "\\pard end{\\*\\listtable{\\list{\\listlevel{\\leveltext \\'01";
    const auto doc = ReadRtf(rtf);
    const QString text = TextOf(*doc);
    EXPECT_EQ(doc->blockCount(), 2001);
    EXPECT_TRUE(text.endsWith(U("p\nend")));
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        EXPECT_LE(block.text().size(), 200) << block.text().left(40).toStdString();
    }
}

}  // namespace
}  // namespace ondrel
