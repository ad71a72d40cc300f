#include "rtf/rtf_tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ondrel {
namespace {

// Writes each token as a short text so that sequences can be compared.
class RecordingSink : public RtfTokenSink {
  public:
    std::vector<std::string> tokens;

    void OnGroupStart() override { tokens.push_back("{"); }
    void OnGroupEnd() override { tokens.push_back("}"); }
    void OnControlWord(std::string_view word, bool hasParam, std::int32_t param) override {
        tokens.push_back("\\" + std::string(word) + (hasParam ? std::to_string(param) : ""));
    }
    void OnControlSymbol(char symbol) override { tokens.push_back(std::string("sym:") + symbol); }
    void OnIgnorableMark() override { tokens.push_back("*"); }
    void OnHexByte(std::uint8_t value) override {
        tokens.push_back("hex:" + std::to_string(value));
    }
    void OnText(std::string_view bytes) override {
        // Pieces of one run are joined, so that chunking does not show.
        if (!tokens.empty() && tokens.back().rfind("text:", 0) == 0) {
            tokens.back() += bytes;
        } else {
            tokens.push_back("text:" + std::string(bytes));
        }
    }
    void OnBinary(std::string_view bytes) override {
        if (bytes.empty()) {
            tokens.push_back("bin:");
        } else {
            tokens.back() += bytes;
        }
    }
};

std::vector<std::string> Tokens(std::string_view input, std::size_t chunk = 0) {
    RecordingSink sink;
    RtfTokenizer tokenizer(sink);
    if (chunk == 0) {
        tokenizer.Feed(input);
    } else {
        for (std::size_t pos = 0; pos < input.size(); pos += chunk) {
            tokenizer.Feed(input.substr(pos, chunk));
        }
    }
    tokenizer.Finish();
    return sink.tokens;
}

using Strings = std::vector<std::string>;

TEST(RtfTokenizer, WordsNumbersAndDelimiters) {
    EXPECT_EQ(Tokens("{\\b\\fs-24 x\\par\\i0y}"),
              (Strings{"{", "\\b", "\\fs-24", "text:x", "\\par", "\\i0", "text:y", "}"}));
}

TEST(RtfTokenizer, OnlyOneSpaceBelongsToTheWord) {
    EXPECT_EQ(Tokens("\\b  two"), (Strings{"\\b", "text: two"}));
}

TEST(RtfTokenizer, SymbolsHexAndIgnorableMark) {
    EXPECT_EQ(Tokens("{\\*\\x}\\'b7\\'C3\\~\\{"),
              (Strings{"{", "*", "\\x", "}", "hex:183", "hex:195", "sym:~", "sym:{"}));
}

TEST(RtfTokenizer, LineEndsAreNotText) {
    EXPECT_EQ(Tokens("a\r\nb\\\nc"), (Strings{"text:ab", "\\par", "text:c"}));
}

TEST(RtfTokenizer, BinaryBytesAreNotSyntax) {
    EXPECT_EQ(Tokens(std::string("\\bin3 }{\\x", 10)), (Strings{"bin:}{\\", "text:x"}));
}

TEST(RtfTokenizer, NumbersSaturateInsteadOfOverflowing) {
    EXPECT_EQ(Tokens("\\fs99999999999999999999 \\li-99999999999 "),
              (Strings{"\\fs2147483647", "\\li-2147483647"}));
}

TEST(RtfTokenizer, OverlongWordsAreCut) {
    const auto tokens = Tokens("\\" + std::string(100, 'a') + " x");
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0].size(), 33u);
}

TEST(RtfTokenizer, WordCutByTheEndOfTheStreamIsDelivered) {
    EXPECT_EQ(Tokens("cut\\pla"), (Strings{"text:cut", "\\pla"}));
    EXPECT_EQ(Tokens("x\\'a"), (Strings{"text:x"}));
}

TEST(RtfTokenizer, BrokenHexEscapeIsDropped) {
    EXPECT_EQ(Tokens("\\'zq"), (Strings{"text:zq"}));
}

TEST(RtfTokenizer, AnyChunkingGivesTheSameTokens) {
    const std::string input =
        std::string("{\\rtf1\\ansicpg936 \\'b7\\'c3 te{\\*\\x\\bin4 ab}c}xt\\u-29761?\\par}");
    const auto whole = Tokens(input);
    for (std::size_t chunk = 1; chunk < 8; ++chunk) {
        EXPECT_EQ(Tokens(input, chunk), whole) << "chunk " << chunk;
    }
}

}  // namespace
}  // namespace ondrel
