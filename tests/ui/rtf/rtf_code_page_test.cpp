#include "ui/rtf/rtf_code_page.h"

#include <gtest/gtest.h>

namespace ondrel {
namespace {

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

TEST(RtfCodePage, CharsetsNameTheirCodePages) {
    EXPECT_EQ(CodePageForCharset(0), 1252);
    EXPECT_EQ(CodePageForCharset(128), 932);
    EXPECT_EQ(CodePageForCharset(129), 949);
    EXPECT_EQ(CodePageForCharset(134), 936);
    EXPECT_EQ(CodePageForCharset(136), 950);
    EXPECT_EQ(CodePageForCharset(204), 1251);
    EXPECT_EQ(CodePageForCharset(1), 0);  // "default": the document's code page
    EXPECT_EQ(CodePageForCharset(2), 0);  // symbol
}

TEST(RtfCodePage, DecodesTheEastAsianCodePages) {
    EXPECT_EQ(DecodeCodePage(936, "\xb7\xc3\xbf\xcd"), U("访客"));
    EXPECT_EQ(DecodeCodePage(936, "\x95N"), U("昇"));  // GBK extension, ASCII trail byte
    EXPECT_EQ(DecodeCodePage(950, "\xb3X\xab\xc8"), U("訪客"));
    EXPECT_EQ(DecodeCodePage(932, "\x83\x65\x83X\x83g"), U("テスト"));
    EXPECT_EQ(DecodeCodePage(949, "\xc7\xd1"), U("한"));
}

TEST(RtfCodePage, DecodesTheWindowsCodePages) {
    EXPECT_EQ(DecodeCodePage(1252, "caf\xe9 \x80 \x93q\x94"), U("café € “q”"));
    EXPECT_EQ(DecodeCodePage(1250, "\xb9"), U("ą"));
    EXPECT_EQ(DecodeCodePage(1251, "\xcf"), U("П"));
    EXPECT_EQ(DecodeCodePage(1253, "\xe1"), U("α"));
}

TEST(RtfCodePage, UnknownCodePageFallsBackToCp1252) {
    EXPECT_EQ(DecodeCodePage(12345, "a\xe9"), U("aé"));
}

TEST(RtfCodePage, CachedDecoderStartsEachRunAfresh) {
    CodePageDecoder decoder;
    // A lead byte alone at the end of a run is dropped (or replaced), never kept for the next.
    const QString cut = decoder.Decode(936, "\xb7");
    EXPECT_TRUE(cut.isEmpty() || cut == U("\uFFFD"));
    EXPECT_EQ(decoder.Decode(936, "\xbf\xcd"), U("客"));
}

}  // namespace
}  // namespace ondrel
