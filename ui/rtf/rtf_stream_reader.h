#pragma once

#include <QByteArray>
#include <cstddef>
#include <memory>

class QTextDocument;

namespace ondrel {

class RtfInterpreter;
class RtfTokenizer;

// Reads an RTF byte stream in chunks into a QTextDocument. A stream that does not start with
// "{\rtf" is shown as plain text.
class RtfStreamReader {
  public:
    explicit RtfStreamReader(QTextDocument* target);  // target is cleared
    ~RtfStreamReader();
    RtfStreamReader(const RtfStreamReader&) = delete;
    RtfStreamReader& operator=(const RtfStreamReader&) = delete;

    void Feed(const char* data, std::size_t size);  // any chunking, incl. 1 byte
    void Finish();                                  // end of stream

  private:
    enum class Kind { Undecided, Rtf, PlainText };

    void Decide(bool atEnd);

    QTextDocument* target_;
    Kind kind_ = Kind::Undecided;
    bool finished_ = false;
    bool undoWasEnabled_;  // undo is off while reading and restored at the end
    QByteArray head_;      // bytes read before the kind is known, then the plain text itself
    std::unique_ptr<RtfInterpreter> interpreter_;
    std::unique_ptr<RtfTokenizer> tokenizer_;
};

}  // namespace ondrel
