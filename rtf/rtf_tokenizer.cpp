#include "rtf/rtf_tokenizer.h"

#include <algorithm>
#include <limits>

namespace ondrel {

namespace {

// Control words are at most 32 letters; longer ones are cut (and so read as unknown).
constexpr std::size_t kMaxWordLength = 32;
constexpr std::int64_t kParamLimit = std::numeric_limits<std::int32_t>::max();

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Plain text stops at these bytes; CR and LF are not content in RTF, other control bytes
// (except tab) are noise.
bool EndsText(char c) {
    const auto b = static_cast<unsigned char>(c);
    return c == '\\' || c == '{' || c == '}' || (b < 0x20 && c != '\t');
}

// A byte that may follow a lead byte in the double-byte code pages.
bool IsTrailByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

}  // namespace

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

void RtfTokenizer::FeedText(std::string_view data, std::size_t& pos) {
    const std::size_t start = pos;
    const std::array<bool, 256>* lead = sink_.LeadBytes();
    while (pos < data.size() && !EndsText(data[pos])) {
        if (lead != nullptr && (*lead)[static_cast<unsigned char>(data[pos])]) {
            if (pos + 1 == data.size()) {
                ++pos;
                mode_ = Mode::Trail;  // the trail byte comes with the next chunk
                break;
            }
            pos += IsTrailByte(data[pos + 1]) ? 2 : 1;
            continue;
        }
        ++pos;
    }
    if (pos > start) {
        sink_.OnText(data.substr(start, pos - start));
    }
}

void RtfTokenizer::Feed(std::string_view data) {
    std::size_t pos = 0;
    while (pos < data.size()) {
        const char c = data[pos];
        switch (mode_) {
            case Mode::Text:
                if (c == '\\') {
                    mode_ = Mode::Escape;
                    ++pos;
                } else if (c == '{') {
                    sink_.OnGroupStart();
                    ++pos;
                } else if (c == '}') {
                    sink_.OnGroupEnd();
                    ++pos;
                } else if (EndsText(c)) {
                    ++pos;  // CR, LF or another control byte
                } else {
                    FeedText(data, pos);
                }
                break;
            case Mode::Trail:
                mode_ = Mode::Text;
                if (IsTrailByte(c)) {
                    sink_.OnText(data.substr(pos, 1));
                    ++pos;
                }
                break;
            case Mode::Escape:
                ++pos;
                if (IsLetter(c)) {
                    word_.assign(1, c);
                    negative_ = false;
                    hasDigits_ = false;
                    number_ = 0;
                    mode_ = Mode::Word;
                } else if (c == '\'') {
                    mode_ = Mode::Hex1;
                } else {
                    mode_ = Mode::Text;
                    if (c == '*') {
                        sink_.OnIgnorableMark();
                    } else if (c == '\r' || c == '\n') {
                        sink_.OnControlWord("par", false, 0);  // backslash + line end = \par
                    } else {
                        sink_.OnControlSymbol(c);
                    }
                }
                break;
            case Mode::Word:
                if (IsLetter(c)) {
                    if (word_.size() < kMaxWordLength) {
                        word_.push_back(c);
                    }
                    ++pos;
                } else if (c == '-' || IsDigit(c)) {
                    negative_ = c == '-';
                    mode_ = Mode::Number;
                    ++pos;
                    if (!negative_) {
                        hasDigits_ = true;
                        number_ = c - '0';
                    }
                } else {
                    if (c == ' ') {
                        ++pos;  // the delimiter belongs to the word
                    }
                    FinishWord();
                }
                break;
            case Mode::Number:
                if (IsDigit(c)) {
                    hasDigits_ = true;
                    // Saturate: absurd numbers stay large but never overflow.
                    number_ = std::min(number_ * 10 + (c - '0'), kParamLimit + 1);
                    ++pos;
                } else {
                    if (c == ' ') {
                        ++pos;
                    }
                    FinishWord();
                }
                break;
            case Mode::Hex1:
            case Mode::Hex2: {
                const int value = HexDigitValue(c);
                if (value < 0) {
                    mode_ = Mode::Text;  // broken escape: drop it, read this byte as usual
                    break;
                }
                ++pos;
                if (mode_ == Mode::Hex1) {
                    hexHigh_ = static_cast<std::uint8_t>(value);
                    mode_ = Mode::Hex2;
                } else {
                    mode_ = Mode::Text;
                    sink_.OnHexByte(static_cast<std::uint8_t>(hexHigh_ * 16 + value));
                }
                break;
            }
            case Mode::Binary: {
                const auto take = static_cast<std::size_t>(std::min<std::int64_t>(
                    binaryLeft_, static_cast<std::int64_t>(data.size() - pos)));
                sink_.OnBinary(data.substr(pos, take));
                pos += take;
                binaryLeft_ -= static_cast<std::int64_t>(take);
                if (binaryLeft_ == 0) {
                    mode_ = Mode::Text;
                }
                break;
            }
        }
    }
}

void RtfTokenizer::FinishWord() {
    mode_ = Mode::Text;
    std::int64_t value = negative_ ? -number_ : number_;
    value = std::clamp(value, -kParamLimit, kParamLimit);
    const auto param = static_cast<std::int32_t>(value);
    const bool hasParam = hasDigits_;
    if (word_ == "bin") {
        // Raw bytes follow; they are read here so that braces and backslashes in them are not
        // taken for syntax.
        sink_.OnBinary({});
        binaryLeft_ = hasParam ? std::max<std::int64_t>(param, 0) : 0;
        if (binaryLeft_ > 0) {
            mode_ = Mode::Binary;
        }
        return;
    }
    sink_.OnControlWord(word_, hasParam, param);
}

void RtfTokenizer::Finish() {
    if (mode_ == Mode::Word || mode_ == Mode::Number) {
        FinishWord();
    }
    mode_ = Mode::Text;
}

}  // namespace ondrel
