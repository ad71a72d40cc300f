#include "rtf/rtf_code_page.h"

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
    EXPECT_FALSE(CanDecodeCodePage(12345));
    EXPECT_TRUE(CanDecodeCodePage(936));
}

TEST(RtfCodePage, LeadByteCutOffAtTheEndIsOneReplacementCharacter) {
    EXPECT_EQ(DecodeCodePage(936, "\xb7\xc3\xbf"), U("访\uFFFD"));
    EXPECT_EQ(DecodeCodePage(932, "a\x83"), U("a\uFFFD"));
    EXPECT_EQ(DecodeCodePage(950, "\xb3"), U("\uFFFD"));
    EXPECT_EQ(DecodeCodePage(949, "\xc7\xd1\xc7"), U("한\uFFFD"));
    EXPECT_EQ(DecodeCodePage(936, "\xb7\xc3\n"), U("访\n"));  // a line feed of its own stays
}

TEST(RtfCodePage, UnmappedBytesAreReplacementCharacters) {
    EXPECT_EQ(DecodeCodePage(932, "\x83\x0a"), U("\uFFFD\n"));
    EXPECT_EQ(DecodeCodePage(936, "a\xff"), U("a\uFFFD"));
}

TEST(RtfCodePage, DecodesUtf8) {
    EXPECT_EQ(DecodeCodePage(65001, "\xe8\xae\xbf\xe5\xae\xa2 \xf0\x9f\x99\x82"), U("访客 🙂"));
}

TEST(RtfCodePage, DecodesGb2312AndGb18030) {
    // Wine has neither converter; Windows and ICU have both.
    if (!CanDecodeCodePage(20936) || !CanDecodeCodePage(54936)) {
        GTEST_SKIP() << "this system has no converter for code page 20936 or 54936 "
                        "(Wine lacks GB2312 and GB18030)";
    }
    EXPECT_EQ(DecodeCodePage(20936, "\xb7\xc3\xbf\xcd"), U("访客"));
    EXPECT_EQ(DecodeCodePage(54936, "\xb7\xc3\x95\x34\xb2\x35"), U("访𠮷"));
}

TEST(RtfCodePage, CachedDecoderStartsEachRunAfresh) {
    CodePageDecoder decoder;
    // A lead byte alone at the end of a run is replaced, never kept for the next.
    EXPECT_EQ(decoder.Decode(936, "\xb7"), U("\uFFFD"));
    EXPECT_EQ(decoder.Decode(936, "\xbf\xcd"), U("客"));
}

}  // namespace
}  // namespace ondrel
