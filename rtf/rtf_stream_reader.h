#pragma once

#include <QByteArray>
#include <cstddef>
#include <memory>

#include "rtf/rtf_limits.h"

class QTextDocument;

namespace ondrel {

class RtfInterpreter;
class RtfTokenizer;

// Reads an RTF byte stream in chunks into a QTextDocument. A stream that does not start with
// "{\rtf" is shown as plain text. What lies beyond the limits is left out, with a warning.
class RtfStreamReader {
  public:
    explicit RtfStreamReader(QTextDocument* target,
                             const RtfLimits& limits = {});  // target is cleared
    ~RtfStreamReader();
    RtfStreamReader(const RtfStreamReader&) = delete;
    RtfStreamReader& operator=(const RtfStreamReader&) = delete;

    void Feed(const char* data, std::size_t size);  // any chunking, incl. 1 byte
    void Finish();                                  // end of stream

  private:
    enum class Kind { Undecided, Rtf, PlainText };

    void Decide(bool atEnd);

    QTextDocument* target_;
    RtfLimits limits_;
    std::size_t read_ = 0;  // bytes fed so far, at most limits_.documentBytes
    bool cut_ = false;      // the document was larger
    Kind kind_ = Kind::Undecided;
    bool finished_ = false;
    bool undoWasEnabled_;  // undo is off while reading and restored at the end
    QByteArray head_;      // bytes read before the kind is known, then the plain text itself
    std::unique_ptr<RtfInterpreter> interpreter_;
    std::unique_ptr<RtfTokenizer> tokenizer_;
};

}  // namespace ondrel
