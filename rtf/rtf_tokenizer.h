#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ondrel {

// The value of one hexadecimal digit, or -1 for any other character.
int HexDigitValue(char c);

// Receives the lexical pieces of an RTF stream in document order.
class RtfTokenSink {
  public:
    virtual ~RtfTokenSink() = default;
    virtual void OnGroupStart() = 0;
    virtual void OnGroupEnd() = 0;
    // A control word such as \fs24: its letters and, when present, its (saturated) number.
    virtual void OnControlWord(std::string_view word, bool hasParam, std::int32_t param) = 0;
    // A control symbol such as \~ or \{ (not \' and not \*, see below).
    virtual void OnControlSymbol(char symbol) = 0;
    // \* : the next control word names a destination that may be skipped when unknown.
    virtual void OnIgnorableMark() = 0;
    // \'hh
    virtual void OnHexByte(std::uint8_t value) = 0;
    // Plain document bytes; line ends are already dropped. A run may arrive in pieces.
    virtual void OnText(std::string_view bytes) = 0;
    // Raw bytes that follow \binN; called once with empty data when the word itself is read,
    // then with the data in pieces as it arrives.
    virtual void OnBinary(std::string_view bytes) = 0;
    // Which bytes start a double-byte character in the text read now (null: none do). Such a
    // byte and the one after it are text, even when that one is '\\', '{' or '}': writers that
    // put raw GBK, Big5 or Shift_JIS into the file do not escape trail bytes. Asked once per run.
    virtual const std::array<bool, 256>* LeadBytes() { return nullptr; }
};

// Splits an RTF byte stream into tokens. Accepts the stream in chunks of any size, down to a
// single byte; a control word cut by the end of a chunk is completed by the next one.
class RtfTokenizer {
  public:
    explicit RtfTokenizer(RtfTokenSink& sink) : sink_(sink) {}

    void Feed(std::string_view data);
    // End of stream: a control word still being read is delivered as it stands.
    void Finish();

  private:
    enum class Mode { Text, Trail, Escape, Word, Number, Hex1, Hex2, Binary };

    void FinishWord();
    void FeedText(std::string_view data, std::size_t& pos);

    RtfTokenSink& sink_;
    Mode mode_ = Mode::Text;
    std::string word_;
    bool negative_ = false;
    bool hasDigits_ = false;
    std::int64_t number_ = 0;
    std::uint8_t hexHigh_ = 0;
    std::int64_t binaryLeft_ = 0;
};

}  // namespace ondrel
