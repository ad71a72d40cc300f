// The constructs of real agreements that other writers than ours produce: footnotes, legacy
// numbering, nested-table stand-ins, capitals, text boxes, pictures judged by their bytes, raw
// double-byte text, Mac code pages and fields without a result; and the reader's limits.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextTable>
#include <string>

#include "rtf/rtf_code_page.h"
#include "tests/rtf/real_world_samples.h"
#include "tests/rtf/rtf_test_support.h"

namespace ondrel {
namespace {

using test::FormatAt;
using test::ReadRtf;
using test::TextOf;

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Lines of the document without the empty ones; frames (text boxes, tables) start and end lines.
QStringList Lines(const QTextDocument& document) {
    QString text = document.toRawText();
    for (const char16_t separator : {u'\u2029', u'\uFDD0', u'\uFDD1'}) {
        text.replace(QChar(separator), u'\n');
    }
    QStringList lines = text.split(u'\n');
    lines.removeAll(QString());
    return lines;
}

std::string Hex(const QByteArray& bytes) {
    return bytes.toHex().toStdString();
}

QByteArray Encoded(const char* format, QSize size = QSize(6, 4)) {
    test::EnsureGuiApplication();
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return buffer.data();
}

// The images of the document in order: their formats and what their resources hold.
struct ShownImage {
    QTextImageFormat format;
    QVariant resource;
};
std::vector<ShownImage> Images(const QTextDocument& document) {
    std::vector<ShownImage> images;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat()) {
                const QTextImageFormat image = format.toImageFormat();
                images.push_back(
                    {image, document.resource(QTextDocument::ImageResource, QUrl(image.name()))});
            }
        }
    }
    return images;
}

// The image a resource holds, decoded as the view would.
QImage Decoded(const QVariant& resource) {
    if (resource.canConvert<QImage>() && resource.typeId() == QMetaType::QImage) {
        return resource.value<QImage>();
    }
    QImage image;
    image.loadFromData(resource.toByteArray());
    return image;
}

// The warnings of the terms category while it lives.
class TermsLog {
  public:
    TermsLog() : previous_(qInstallMessageHandler(&TermsLog::Handle)) { lines_().clear(); }
    ~TermsLog() { qInstallMessageHandler(previous_); }
    QStringList lines() const { return lines_(); }

  private:
    static QStringList& lines_() {
        static QStringList lines;
        return lines;
    }
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtWarningMsg && context.category != nullptr &&
            QLatin1String(context.category) == QLatin1String("ondrel.terms")) {
            lines_().append(text);
        }
    }
    QtMessageHandler previous_;
};

TEST(RtfFootnotes, MarksStayInTheTextAndNumberedNotesFollowTheBody) {
    for (const std::size_t chunk : {std::size_t{0}, std::size_t{1}}) {
        const auto doc = ReadRtf(test::kWordFootnotes, chunk);
        EXPECT_EQ(Lines(*doc),
                  (QStringList{"Visitors keep their badge in sight.1 Photographs need a permit.2",
                               "The end of the terms.", "1 Badges go back to the front desk.",
                               "2 The receptionist has the form."}))
            << TextOf(*doc).toStdString();
        EXPECT_EQ(FormatAt(*doc, U("1 Photo")).verticalAlignment(),
                  QTextCharFormat::AlignSuperScript);
        EXPECT_EQ(FormatAt(*doc, U("2 The")).verticalAlignment(),
                  QTextCharFormat::AlignSuperScript);
        EXPECT_DOUBLE_EQ(FormatAt(*doc, U("Badges")).fontPointSize(), 10.0);
        // A rule parts the notes from the body.
        const QTextBlock rule =
            doc->findBlock(doc->find(U("1 Badges")).selectionStart()).previous();
        EXPECT_TRUE(rule.blockFormat().hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth));
    }
}

TEST(RtfFootnotes, PandocNoteAndANoteWithoutMark) {
    EXPECT_EQ(Lines(*ReadRtf(test::kPandocFootnote)),
              (QStringList{"Escorts are required1 everywhere.", "1\u00a0Except in the lobby."}));
    // A note whose mark is the writer's own text takes no number; the body's text and paragraph
    // go on around it. A note that shows \chftn without one in the text takes the next number.
    const auto doc = ReadRtf(
        R"({\rtf1 A*{\footnote * first}B{\super\chftn}{\footnote\chftn  second}C{\footnote\chftn  third}\par})");
    EXPECT_EQ(Lines(*doc), (QStringList{"A*B1C", "* first", "1 second", "2 third"}));
}

TEST(RtfLegacyLists, NumbersAndBulletsFromPnGroups) {
    const auto doc = ReadRtf(test::kWordPadLegacyList);
    EXPECT_EQ(Lines(*doc),
              (QStringList{"House rules:", "1.\tRegister at the desk.", "2.\tWear the badge.",
                           "3.\tLeave by six.", U("•\tNo photographs."),
                           U("•\tNo food in the laboratories."), U("•\tA bullet of its own."),
                           "(IV)\tFourth.", "(V)\tFifth.", "Signed below."}));
    EXPECT_DOUBLE_EQ(doc->find(U("Wear")).blockFormat().leftMargin(), 24.0);
}

TEST(RtfLegacyLists, SymbolFontBytesAreTheirUnicodeCharacters) {
    const auto doc =
        ReadRtf(R"({\rtf1\ansi{\fonttbl{\f0 Arial;}{\f1 Symbol;}{\f2\fcharset2 Wingdings;}})"
                R"(\f0 {\f1 \'b7 \'61\'62 \'b3 \u183?} {\f2 \'fc\'a7\'6c} \'b7})");
    EXPECT_EQ(TextOf(*doc), U("• αβ ≥ • ✓▪● ·"));
    EXPECT_TRUE(FormatAt(*doc, U("αβ")).fontFamilies().toStringList().isEmpty());
}

TEST(RtfNestedTables, TheStandInIsNotShownBesideTheNestedTable) {
    const QString text = TextOf(*ReadRtf(test::kNestedTable));
    EXPECT_EQ(text.count(U("Inner cell")), 1) << text.toStdString();
    EXPECT_TRUE(text.contains(U("Outer cell")));
    EXPECT_TRUE(text.contains(U("After the table.")));
}

TEST(RtfCaps, CapsAndSmallCapsAreShownAsCapitals) {
    const auto doc = ReadRtf(test::kCaps);
    EXPECT_EQ(FormatAt(*doc, U("terms")).fontCapitalization(), QFont::AllUppercase);
    EXPECT_EQ(FormatAt(*doc, U("Small")).fontCapitalization(), QFont::SmallCaps);
    EXPECT_EQ(FormatAt(*doc, U("Plain")).fontCapitalization(), QFont::MixedCase);
}

TEST(RtfShapes, TextBoxesAreFramedAndShapePropertiesDoNotLeak) {
    for (const std::size_t chunk : {std::size_t{0}, std::size_t{7}}) {
        const auto doc = ReadRtf(test::kTextBoxes, chunk);
        EXPECT_EQ(Lines(*doc),
                  (QStringList{"Before the box.", "Visitors' Wi-Fi", "Network XH-Guest",
                               "After the box.", "Old box.", "Last line."}))
            << TextOf(*doc).toStdString();
        const QList<QTextFrame*> frames = doc->rootFrame()->childFrames();
        ASSERT_EQ(frames.size(), 2);
        EXPECT_DOUBLE_EQ(frames[0]->frameFormat().border(), 1.0);
        EXPECT_EQ(doc->find(U("Network")).currentFrame(), frames[0]);
        EXPECT_EQ(doc->find(U("Old box")).currentFrame(), frames[1]);
        EXPECT_EQ(doc->find(U("After the box")).currentFrame(), doc->rootFrame());
        EXPECT_EQ(FormatAt(*doc, U("Wi-Fi")).fontWeight(), QFont::Bold);
    }
}

TEST(RtfShapes, TextBoxInATableCellAndBoxesInBoxesStayInTheirPlace) {
    const auto doc = ReadRtf(
        R"({\rtf1\trowd\cellx3000\cellx6000\pard\intbl A{\shp{\*\shpinst{\shptxt in box}}}\cell)"
        R"( B\cell\row\pard after{\shptxt x{\shptxt{\shptxt{\shptxt{\shptxt deep}}}}}\par})");
    EXPECT_EQ(Lines(*doc), (QStringList{"A", "in box", "B", "after", "x", "deep"}));
    const auto table = qobject_cast<QTextTable*>(doc->rootFrame()->childFrames().value(0));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(
        table->cellAt(doc->find(U("B"), 0, QTextDocument::FindCaseSensitively).selectionStart())
            .column(),
        1);
}

TEST(RtfShapes, AShapesPictureIsItsPibProperty) {
    const std::string rtf = R"({\rtf1 a{\shp{\*\shpinst{\sp{\sn pib}{\sv {\pict\pngblip )" +
                            Hex(Encoded("PNG")) + R"(}}}{\sp{\sn fillBlip}{\sv {\pict\pngblip )" +
                            Hex(Encoded("PNG")) +
                            R"(}}}}{\shprslt{\pict\wmetafile8 0100090000030000}}}b})";
    const auto doc = ReadRtf(rtf);
    EXPECT_EQ(TextOf(*doc), U("a\uFFFCb"));
    ASSERT_EQ(Images(*doc).size(), 1u);
    EXPECT_EQ(Decoded(Images(*doc)[0].resource).size(), QSize(6, 4));
}

TEST(RtfPictures, AnyFormatQtDecodesIsShownWhateverItsKeyword) {
    // PNG under \jpegblip (Word writes such files), JPEG under \pngblip, GIF under \pngblip,
    // a BMP under \wbitmap, and a device-independent bitmap (\dibitmap).
    const QByteArray gif = QByteArray::fromHex(
        "47494638396101000100800000ffffff00000021f90401000000002c00000000010001000002024401003b");
    const QByteArray bmp = Encoded("BMP", QSize(3, 2));
    const std::string rtf = "{\\rtf1 {\\pict\\jpegblip " + Hex(Encoded("PNG")) +
                            "}{\\pict\\pngblip " + Hex(Encoded("JPEG")) + "}{\\pict\\pngblip " +
                            Hex(gif) + "}{\\pict\\wbitmap0 " + Hex(bmp) + "}{\\pict\\dibitmap0 " +
                            Hex(bmp.mid(14)) + "}}";
    const auto images = Images(*ReadRtf(rtf));
    ASSERT_EQ(images.size(), 5u);
    const QSize sizes[] = {{6, 4}, {6, 4}, {1, 1}, {3, 2}, {3, 2}};
    for (std::size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(Decoded(images[i].resource).size(), sizes[i]) << i;
    }
    EXPECT_EQ(Decoded(images[4].resource).pixel(0, 0), QColor(Qt::darkGreen).rgb());
}

TEST(RtfPictures, MetafilesKeepTheirPlaceAtTheirGoalSize) {
    // A WMF (standard header), a placeable WMF and an EMF; drawn where the platform can,
    // else a light box; either way at the declared size.
    const std::string wmf = "010009000003220000000000";
    const std::string placeable = "d7cdc69a0000000000001000100000000000" + wmf;
    std::string emf = "01000000" + std::string(72, '0') + "20454d46" + std::string(40, '0');
    const std::string rtf =
        "{\\rtf1 a{\\pict\\wmetafile8\\picw2540\\pich1270\\picwgoal1440\\pichgoal720 " + wmf +
        "}b{\\pict\\wmetafile8\\picw2540\\pich1270 " + placeable +
        "}c{\\pict\\emfblip\\picwgoal3000\\pichgoal1500 " + emf + "}d}";
    const auto doc = ReadRtf(rtf);
    EXPECT_EQ(TextOf(*doc), U("a\uFFFCb\uFFFCc\uFFFCd"));
    const auto images = Images(*doc);
    ASSERT_EQ(images.size(), 3u);
    const QSizeF sizes[] = {{96, 48}, {96, 48}, {200, 100}};
    for (std::size_t i = 0; i < images.size(); ++i) {
        EXPECT_DOUBLE_EQ(images[i].format.width(), sizes[i].width()) << i;
        EXPECT_DOUBLE_EQ(images[i].format.height(), sizes[i].height()) << i;
        EXPECT_FALSE(Decoded(images[i].resource).isNull()) << i;
    }
}

TEST(RtfPictures, PicturesBeyondTheBudgetAreLeftOutWithALogLine) {
    // Each 40x30 picture takes 4800 bytes decoded: one fits a picture's limit, two the total.
    RtfLimits limits;
    limits.pictureBytes = 5000;
    limits.allPicturesBytes = 10000;
    const std::string small = Hex(Encoded("PNG", QSize(40, 30)));
    const std::string large = Hex(Encoded("PNG", QSize(50, 50)));
    const std::string rtf = "{\\rtf1 {\\pict\\pngblip " + small + "}{\\pict\\pngblip " + large +
                            "}{\\pict\\pngblip " + small + "}{\\pict\\pngblip " + small + "}}";
    test::EnsureGuiApplication();
    TermsLog log;
    QTextDocument doc;
    RtfStreamReader reader(&doc, limits);
    reader.Feed(rtf.data(), rtf.size());
    reader.Finish();
    const auto images = Images(doc);
    ASSERT_EQ(images.size(), 4u);  // the ones left out keep their place as light boxes
    EXPECT_EQ(Decoded(images[0].resource).size(), QSize(40, 30));
    EXPECT_EQ(Decoded(images[2].resource).size(), QSize(40, 30));
    EXPECT_EQ(Decoded(images[1].resource).format(), QImage::Format_Mono);
    EXPECT_DOUBLE_EQ(images[1].format.width(), 50.0);
    EXPECT_EQ(Decoded(images[3].resource).format(), QImage::Format_Mono);
    const QStringList lines = log.lines();
    ASSERT_EQ(lines.size(), 2) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith(U("agreement picture 2 left out: its 50x50 pixels")));
    EXPECT_TRUE(lines[1].startsWith(U("agreement picture 4 left out: its 40x30 pixels")));
}

TEST(RtfLimits, TheDocumentIsReadUpToItsCapWithALogLine) {
    RtfLimits limits;
    limits.documentBytes = 20;
    test::EnsureGuiApplication();
    TermsLog log;
    QTextDocument doc;
    RtfStreamReader reader(&doc, limits);
    const std::string rtf = "{\\rtf1 0123456789abcdefghij}";
    for (const char c : rtf) {
        reader.Feed(&c, 1);
    }
    reader.Finish();
    EXPECT_EQ(TextOf(doc), U("0123456789abc"));
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines()[0].startsWith(U("the agreement is larger than 20 bytes")));
}

TEST(RtfRawDoubleByte, TrailBytesThatLookLikeSyntaxAreText) {
    for (const std::size_t chunk : {std::size_t{0}, std::size_t{1}, std::size_t{2}}) {
        const auto gbk = ReadRtf(test::kRawGbk, chunk);
        EXPECT_EQ(TextOf(*gbk), U("[乗][亇]亄after")) << chunk;
        EXPECT_EQ(FormatAt(*gbk, U("亇")).fontWeight(), QFont::Bold);
        EXPECT_EQ(FormatAt(*gbk, U("after")).fontWeight(), QFont::Normal);
        EXPECT_EQ(TextOf(*ReadRtf(test::kRawBig5, chunk)), U("許叻")) << chunk;
        EXPECT_EQ(TextOf(*ReadRtf(test::kRawShiftJis, chunk)), U("aソ表b")) << chunk;
    }
    // Outside a double-byte code page the same bytes are syntax, and escaped text stays as it is.
    EXPECT_EQ(TextOf(*ReadRtf("{\\rtf1\\ansi\\ansicpg1252 \xe9\\'e9{\\b x}}")), U("ééx"));
    EXPECT_EQ(TextOf(*ReadRtf("{\\rtf1\\ansicpg936 \\'81\\\\}")), U("乗"));
}

TEST(RtfMacCodePages, MacRomanMacJapaneseAndTheMacCharsets) {
    EXPECT_EQ(TextOf(*ReadRtf(test::kMacRoman)), U("café crème • “q”"));
    EXPECT_EQ(TextOf(*ReadRtf(test::kMacJapanese)), U("あテ"));
    EXPECT_EQ(TextOf(*ReadRtf(test::kMacCharsets)), U("é 访 訪 テ 한"));
}

TEST(RtfMacCodePages, CharsetsAndStandIns) {
    EXPECT_EQ(CodePageForCharset(77), 10000);
    EXPECT_EQ(CodePageForCharset(78), 10001);
    EXPECT_EQ(CodePageForCharset(79), 10003);
    EXPECT_EQ(CodePageForCharset(80), 10008);
    EXPECT_EQ(CodePageForCharset(81), 10002);
    EXPECT_TRUE(CanDecodeCodePage(10001));  // through Shift_JIS where the system lacks it
    EXPECT_EQ(DecodeCodePage(10002, "\xb3X"), U("訪"));
}

TEST(RtfFields, SymbolAndCheckBoxFieldsWithoutAResultShowTheirCharacter) {
    const auto doc = ReadRtf(test::kEmptyFields);
    EXPECT_EQ(TextOf(*doc), U("[•][✓][☺][☒][☐][x][]"));
    EXPECT_TRUE(FormatAt(*doc, U("✓")).fontFamilies().toStringList().isEmpty());
}

TEST(RtfFields, SymbolFieldInANamedFontTakesThatFont) {
    const auto doc = ReadRtf(
        R"({\rtf1\ansi{\fonttbl{\f0 Arial;}{\f1 Courier New;}}\f0 {\field{\*\fldinst SYMBOL 65 \\f "Courier New"}{\fldrslt }}})");
    EXPECT_EQ(TextOf(*doc), U("A"));
    EXPECT_EQ(FormatAt(*doc, U("A")).fontFamilies().toStringList(), QStringList{"Courier New"});
}

}  // namespace
}  // namespace ondrel
