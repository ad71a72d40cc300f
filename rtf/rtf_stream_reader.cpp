#include "rtf/rtf_stream_reader.h"

#include <QTextDocument>
#include <algorithm>
#include <string_view>

#include "rtf/rtf_interpreter.h"
#include "rtf/rtf_log.h"
#include "rtf/rtf_plain_text.h"
#include "rtf/rtf_tokenizer.h"

namespace ondrel {

namespace {

constexpr std::string_view kRtfSignature = "{\\rtf";

}  // namespace

RtfStreamReader::RtfStreamReader(QTextDocument* target, const RtfLimits& limits)
    : target_(target), limits_(limits), undoWasEnabled_(target->isUndoRedoEnabled()) {
    // The loaded text is not an edit the visitor could undo.
    target_->setUndoRedoEnabled(false);
    target_->clear();
}

// A reader dropped before the end of its stream still leaves a whole document behind.
RtfStreamReader::~RtfStreamReader() {
    Finish();
}

void RtfStreamReader::Decide(bool atEnd) {
    const auto known =
        std::min<std::size_t>(static_cast<std::size_t>(head_.size()), kRtfSignature.size());
    const std::string_view start(head_.constData(), known);
    if (start != kRtfSignature.substr(0, known)) {
        kind_ = Kind::PlainText;
    } else if (known == kRtfSignature.size()) {
        kind_ = Kind::Rtf;
    } else if (atEnd) {
        kind_ = Kind::PlainText;  // ended before the signature was complete
    } else {
        return;
    }
    if (kind_ == Kind::Rtf) {
        interpreter_ = std::make_unique<RtfInterpreter>(target_, limits_);
        tokenizer_ = std::make_unique<RtfTokenizer>(*interpreter_);
        tokenizer_->Feed(
            std::string_view(head_.constData(), static_cast<std::size_t>(head_.size())));
        head_.clear();
    }
}

void RtfStreamReader::Feed(const char* data, std::size_t size) {
    if (finished_ || size == 0) {
        return;
    }
    if (size > limits_.documentBytes - read_) {
        if (!cut_) {
            cut_ = true;
            qCWarning(lcTerms).noquote()
                << QStringLiteral(
                       "the agreement is larger than %1 bytes: the view shows what "
                       "its first %1 bytes hold, the rest is left out")
                       .arg(limits_.documentBytes);
        }
        size = limits_.documentBytes - read_;
        if (size == 0) {
            return;
        }
    }
    read_ += size;
    if (kind_ == Kind::Rtf) {
        tokenizer_->Feed(std::string_view(data, size));
        return;
    }
    head_.append(data, static_cast<qsizetype>(size));
    if (kind_ == Kind::Undecided) {
        Decide(false);
    }
}

void RtfStreamReader::Finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    if (kind_ == Kind::Undecided) {
        Decide(true);
    }
    if (kind_ == Kind::Rtf) {
        tokenizer_->Finish();
        interpreter_->Finish();
    } else if (!head_.isEmpty()) {
        target_->setPlainText(DecodePlainText(head_));
        head_.clear();
    }
    target_->setUndoRedoEnabled(undoWasEnabled_);
}

}  // namespace ondrel
