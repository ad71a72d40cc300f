// Runs the reader over the corpus of real producers' files and hand-made edge cases kept in
// the shared test data (absent from a fresh clone: the tests skip then).
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTextFrame>
#include <QTextTable>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "tests/rtf/abiword_lists_sample.h"
#include "tests/rtf/rtf_test_support.h"
#include "tests/support/whole_file.h"

namespace ondrel {
namespace {

using test::FormatAt;
using test::ReadRtf;
using test::TextOf;

QString CorpusDir() {
    QString shared = qEnvironmentVariable("ONDREL_SHARED_DIR");
    if (shared.isEmpty()) {
        shared = qEnvironmentVariable("ONDREL_SOURCE_DIR") + QStringLiteral("/../shared");
    }
    return shared + QStringLiteral("/testdata/rtf");
}

#define SKIP_WITHOUT_CORPUS()                                             \
    if (!QDir(CorpusDir()).exists()) {                                    \
        GTEST_SKIP() << "no RTF corpus at " << CorpusDir().toStdString(); \
    }

std::unique_ptr<QTextDocument> LoadCorpusFile(const QString& name, std::size_t chunk = 4096) {
    const std::string bytes =
        test::ReadWholeFile(std::filesystem::path((CorpusDir() + u'/' + name).toStdU16String()));
    return ReadRtf(bytes, chunk);
}

int CountImages(const QTextDocument& document) {
    int images = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            images += it.fragment().charFormat().isImageFormat() ? 1 : 0;
        }
    }
    // Blocks inside tables are reached through the same iteration (they are document blocks).
    return images;
}

int CountTables(const QTextDocument& document) {
    int tables = 0;
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        tables += qobject_cast<QTextTable*>(frame) != nullptr ? 1 : 0;
    }
    return tables;
}

TEST(RtfCorpus, EveryFileLoadsAndChunkingMakesNoDifference) {
    SKIP_WITHOUT_CORPUS();
    const QStringList files = QDir(CorpusDir()).entryList({"*.rtf"}, QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        const auto whole = LoadCorpusFile(name, 0);
        const auto pieces = LoadCorpusFile(name, 13);
        EXPECT_EQ(pieces->toHtml(), whole->toHtml()) << name.toStdString();
    }
}

struct Expectation {
    const char* file;
    std::vector<const char*> present;
    std::vector<const char*> absent;
};

// The case is its file, in GoogleTest's messages and in CTest's list.
void PrintTo(const Expectation& expectation, std::ostream* out) {
    *out << expectation.file;
}

class RtfCorpusText : public ::testing::TestWithParam<Expectation> {};

TEST_P(RtfCorpusText, ShowsWhatTheFileSays) {
    SKIP_WITHOUT_CORPUS();
    const Expectation& expectation = GetParam();
    const auto document = LoadCorpusFile(QString::fromUtf8(expectation.file));
    const QString text = TextOf(*document);
    for (const char* present : expectation.present) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(present))) << "missing: " << present;
    }
    for (const char* absent : expectation.absent) {
        EXPECT_FALSE(text.contains(QString::fromUtf8(absent))) << "present: " << absent;
    }
    EXPECT_FALSE(text.contains(u'\uFFFD') &&
                 std::string_view(expectation.file) != "edge-surrogates.rtf");
}

const Expectation kExpectations[] = {
    {"lo-fodt-visitor-zh.rtf",
     {"访客登记与入场协议", "协议编号：VA-2024-0815", "一、总则", "五、确认", "星河科技有限公司",
      "仔细阅读", "加下划线的内容", "未经许可，禁止拍照或录像", "XH-Guest",
      "前台电话：010-8888 6666\u2028", "访客证号：\tA-0042\t", "𠮷", "🙂", "访客签名"},
     {"HIDDEN", "?"}},
    {"pandoc-odt-visitor-zh.rtf",
     {"访客登记与入场协议", "星河科技有限公司", "1.", "•", "𠮷", "🙂"},
     {"?"}},
    {"abiword-odt-visitor-zh.rtf",
     {"访客登记与入场协议", "未经许可，禁止拍照或录像", "XH-Guest", "𠮷", "🙂"},
     {}},
    {"wordpad-pandoc-visitor-zh.rtf",
     {"访客登记与入场协议", "星河科技有限公司", "𠮷", "🙂"},
     {"?"}},
    {"wordpad-lo-visitor-zh.rtf",
     {"访客登记与入场协议", "协议编号:VA-2024-0815", "“本公司”"},
     {"?"}},
    {"wordpad-lo-visitor-en.rtf",
     {"Northwind Laboratories Ltd.", "\u201c", "\u2019", "\u20ac", "\u2013"},
     {}},
    {"pandoc-md-reception-zh.rtf",
     {"前台接待服务说明", "登记、引导与寄存", "轮岗", "所有访客须在离开前完成签退", "😀", "𠮷"},
     {}},
    {"lo-docx-reception-zh.rtf", {"前台接待服务说明", "登记、引导与寄存", "轮岗", "😀", "𠮷"}, {}},
    {"lo-html-visitor-en.rtf",
     {"Visitor Agreement", "Form VA-EN-07, revision 3", "Northwind Laboratories Ltd.", "carefully",
      "underlined passages", "NW-Guest", "é", "€", "—", "ï", "©", "§", "¶", "🖊"},
     {"HIDDEN"}},
    {"lo-html-long-zh.rtf",
     {"园区访客及外来人员管理协议（完整版）", "第一章", "第九章", "第 1 条", "第 54 条", "𠮷", "😀"},
     {"q", "?"}},
    {"edge-gbk-ansicpg936.rtf",
     {"访客须知", "欢迎光临！请在前台登记后领取访客证。", "Room 101 号会议室，2024-08-15 09:30",
      "人名用字：王昇、李珺、學生。", "全角标点：“引号”、（括号）、《书名号》。"},
     {}},
    {"edge-cp1252.rtf",
     {"Café crème brûlée, naïve résumé", "Euro € 50", "“double” and ‘single’", "–", "—", "•", "…",
      "Grüße ÄÖÜ", "a\u00a0b", "20°C", "© 2024 ® ™"},
     {}},
    {"edge-unicode-uc.rtf",
     {"访客", "协议", "登记", "访客退出", "value: [•]", "fallback: [•]", "访X"},
     {"?\n", "\\'"}},
    {"edge-surrogates.rtf", {"[😀]", "[𠮷] 吉祥", "[𩸽]", "🙂访", "A", "B", "C", "D"}, {"?"}},
    {"edge-destinations.rtf",
     {"Line 1 visible.", "Line 2 visible with a bookmark.", "link text", "Line 4 visible.",
      "Line 5 visible (unknown control word ignored)."},
     {"HIDDEN", "é", "http"}},
    {"edge-fonttbl-charset.rtf", {"café", "访客须知", "訪客須知", "テスト", "éè€"}, {}},
    {"edge-toggles.rtf", {"Hidden: [] empty brackets.", "粗体", "斜体", "下划线", "正常"}, {}},
    {"edge-par-line-sect.rtf",
     {"a\tb\tc", "{braces} \\backslash\\", "a\u00a0b", "–", "—", "•", "‘q’", "“qq”",
      "P6 middle of a word"},
     {}},
    {"edge-bin.rtf",
     {"Before binary.", "After binary 1.", "After binary 2.", "After binary 3"},
     {}},
    {"edge-unbalanced-missing-close.rtf", {"P1", "P2", "P3"}, {}},
    {"edge-unbalanced-extra-close.rtf", {"P1 before the stray brace.", "P2 bold"}, {}},
    {"edge-deep-nesting-300.rtf",
     {"Top level.", "Deepest text, bold italic.", "Back at top level, plain."},
     {}},
    {"edge-huge-fs.rtf", {"P1", "P2", "P3"}, {}},
    {"edge-not-rtf.rtf", {"{", "\\"}, {}},
    {"edge-truncated.rtf", {"P1 访客协议 complete paragraph.", "P2 "}, {}},
    {"edge-table.rtf",
     {"Before the table.", "区域", "开放时间", "是否需陪同", "大堂", "08:30-18:00", "会议室",
      "After the table."},
     {}},
    {"edge-list-text.rtf",
     {"1.\tfirst item", "2.\tsecond item", "•\tfirst bullet", "•\tsecond bullet"},
     {}},
};

INSTANTIATE_TEST_SUITE_P(Files, RtfCorpusText, ::testing::ValuesIn(kExpectations),
                         [](const auto& param) {
                             std::string name = param.param.file;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) {
                                     c = '_';
                                 }
                             }
                             return name;
                         });

TEST(RtfCorpus, VisitorAgreementFormatting) {
    SKIP_WITHOUT_CORPUS();
    const auto doc = LoadCorpusFile("lo-fodt-visitor-zh.rtf");
    const QString title = QString::fromUtf8("访客登记与入场协议");
    EXPECT_EQ(FormatAt(*doc, title).fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(FormatAt(*doc, title).fontPointSize(), 18.0);
    EXPECT_EQ(doc->find(title).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(doc->find(QString::fromUtf8("协议编号")).blockFormat().alignment(), Qt::AlignRight);
    EXPECT_EQ(FormatAt(*doc, QString::fromUtf8("星河科技有限公司")).fontWeight(), QFont::Bold);
    EXPECT_TRUE(FormatAt(*doc, QString::fromUtf8("仔细阅读")).fontItalic());
    EXPECT_TRUE(FormatAt(*doc, QString::fromUtf8("加下划线的内容")).fontUnderline());
    const QTextCharFormat warning = FormatAt(*doc, QString::fromUtf8("未经许可"));
    EXPECT_EQ(warning.fontWeight(), QFont::Bold);
    EXPECT_EQ(warning.foreground().color(), QColor(0xC0, 0, 0));
    EXPECT_EQ(FormatAt(*doc, "XH-Guest").background().color(), QColor(255, 255, 0));
    EXPECT_EQ(CountImages(*doc), 1);
    EXPECT_EQ(CountTables(*doc), 1);
}

TEST(RtfCorpus, LongAgreementHasAllItsTables) {
    SKIP_WITHOUT_CORPUS();
    const auto doc = LoadCorpusFile("lo-html-long-zh.rtf");
    EXPECT_EQ(CountTables(*doc), 9);
    const QString title = QString::fromUtf8("园区访客及外来人员管理协议（完整版）");
    EXPECT_EQ(FormatAt(*doc, title).fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(FormatAt(*doc, title).fontPointSize(), 20.0);
}

TEST(RtfCorpus, EdgeCaseFormatting) {
    SKIP_WITHOUT_CORPUS();
    const auto nesting = LoadCorpusFile("edge-deep-nesting-300.rtf");
    const QTextCharFormat deepest = FormatAt(*nesting, "Deepest text");
    EXPECT_EQ(deepest.fontWeight(), QFont::Bold);
    EXPECT_TRUE(deepest.fontItalic());
    EXPECT_FALSE(FormatAt(*nesting, "Back at top level").fontItalic());

    const auto picture = LoadCorpusFile("edge-pict-png.rtf");
    EXPECT_EQ(CountImages(*picture), 1);

    const auto table = LoadCorpusFile("edge-table.rtf");
    EXPECT_EQ(CountTables(*table), 1);
    EXPECT_EQ(FormatAt(*table, QString::fromUtf8("区域")).fontWeight(), QFont::Bold);

    const auto colours = LoadCorpusFile("edge-colortbl.rtf");
    EXPECT_FALSE(
        FormatAt(*colours, "undefined colour 99").hasProperty(QTextFormat::ForegroundBrush));

    const auto truncated = LoadCorpusFile("edge-truncated.rtf");
    EXPECT_EQ(FormatAt(*truncated, "bold").fontWeight(), QFont::Bold);
}

TEST(RtfCorpus, DestinationsFileHasExactlyFiveLines) {
    SKIP_WITHOUT_CORPUS();
    const auto doc = LoadCorpusFile("edge-destinations.rtf");
    QStringList lines = TextOf(*doc).split(u'\n');
    lines.removeAll(QString());
    EXPECT_EQ(lines.size(), 5) << doc->toPlainText().toStdString();
    const QTextCharFormat link = FormatAt(*doc, "link text");
    EXPECT_TRUE(link.fontUnderline());
    EXPECT_EQ(link.foreground().color(), QColor(0, 0, 255));
}

// LibreOffice writes each label twice, as {\listtext} and in the list table: it is shown once.
TEST(RtfCorpus, ListLabelsOfLibreOfficeFilesAreShownOnce) {
    SKIP_WITHOUT_CORPUS();
    const QRegularExpression numbered(QStringLiteral("^\\s*\\d+\\.\\t\\S"));
    const QRegularExpression bulleted(QStringLiteral("^\\s*•\\t\\S"));
    const QRegularExpression doubled(QStringLiteral("^\\s*(\\d+\\.|•)\\s*(\\d+\\.|•)"));
    const struct {
        const char* file;
        int numbered;
        int bulleted;
    } files[] = {{"lo-fodt-visitor-zh.rtf", 3, 3},
                 {"lo-html-visitor-en.rtf", 3, 3},
                 {"lo-docx-reception-zh.rtf", 3, 3},
                 {"lo-html-long-zh.rtf", 18, 12}};
    for (const auto& f : files) {
        const QStringList lines = TextOf(*LoadCorpusFile(QString::fromUtf8(f.file))).split(u'\n');
        EXPECT_EQ(lines.filter(numbered).size(), f.numbered) << f.file;
        EXPECT_EQ(lines.filter(bulleted).size(), f.bulleted) << f.file;
        EXPECT_TRUE(lines.filter(doubled).isEmpty()) << f.file;
    }
}

// AbiWord wrote the visitor agreement's two lists with neither numbers nor a list table (the
// items are whole paragraphs inside {\listtext}, and no \ls names a list): there is no number
// to show, so none is made up, and each clause is a paragraph of its own.
TEST(RtfCorpus, AbiWordAgreementShowsItsListItemsWithoutMadeUpNumbers) {
    SKIP_WITHOUT_CORPUS();
    const QStringList lines =
        TextOf(*LoadCorpusFile(QStringLiteral("abiword-odt-visitor-zh.rtf"))).split(u'\n');
    const char* items[] = {"请出示有效身份证件（身份证、护照或港澳通行证）并完成登记。",
                           "请全程佩戴访客证，离开时交还前台。",
                           "未经接待人员陪同，不得进入研发区、机房及财务室。",
                           "禁止携带易燃易爆物品；",
                           "办公区域内请将手机调至静音；",
                           "如遇火警，请按 EXIT 指示牌有序撤离。"};
    for (const char* item : items) {
        EXPECT_TRUE(lines.contains(QString::fromUtf8(item))) << item;
    }
}

// A file AbiWord 3.0.5 wrote from a document with nested, bulleted and restarted lists: its
// numbers are only in the list table; each item's {\listtext} holds a space and a tab.
TEST(RtfProducerSample, AbiWordListsAreNumberedFromTheListTable) {
    const auto doc = ReadRtf(kAbiWordListsRtf);
    QStringList lines = TextOf(*doc).split(u'\n');
    lines.removeAll(QString());
    const QStringList expected = {
        "Before",         "1.\tfirst item", "2.\tsecond item", "2.1.\tnested a", "2.2.\tnested b",
        "3.\tthird item", "•\tbullet one",  "•\tbullet two",   "1.\troman five", "2.\troman six",
        "After"};  // AbiWord kept no start or roman format
    EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace ondrel
