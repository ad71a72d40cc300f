#include "ui/terms_view.h"

#include <QFile>
#include <QScrollBar>
#include <QTextDocument>
#include <cstddef>

#include "app/exchange_paths.h"

namespace ondrel {
namespace {

constexpr long kChunkSize = 4096;

// Shows the document's bytes as plain text: the stand-in until the RTF reader, which has the
// same shape (construct on the document, Feed chunks, Finish), takes its place below.
class PlainTextReader {
  public:
    explicit PlainTextReader(QTextDocument* target) : target_(target) { target_->clear(); }
    void Feed(const char* data, std::size_t size) {
        bytes_.append(data, static_cast<qsizetype>(size));
    }
    void Finish() { target_->setPlainText(QString::fromUtf8(bytes_)); }

  private:
    QTextDocument* target_;
    QByteArray bytes_;
};

// The one place that decides how the document's bytes become the view's content.
using TermsDocumentReader = PlainTextReader;

// Streams the whole document through ReadTermsChunk into the view's document, replacing it.
void StreamTermsDocument(QFile& file, QTextDocument* document) {
    TermsDocumentReader reader(document);
    char buffer[kChunkSize];
    long count = 0;
    while (ReadTermsChunk(&file, buffer, kChunkSize, &count) == 0 && count > 0) {
        reader.Feed(buffer, static_cast<std::size_t>(count));
    }
    reader.Finish();
}

}  // namespace

int ReadTermsChunk(QFile* cookie, char* buffer, long requested, long* countRead) {
    const qint64 read = cookie->read(buffer, requested);
    *countRead = read > 0 ? static_cast<long>(read) : 0;
    return 0;
}

TermsView::TermsView(QWidget* parent) : QTextEdit(parent) {
    setObjectName(QStringLiteral("IDC_TERMS_VIEW"));
    setFrameShape(QFrame::Box);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setReadOnly(false);
    // Tab and Shift+Tab move between the controls, as in every dialog; Enter stays in the view.
    setTabChangesFocus(true);
}

bool TermsView::LoadTermsDocument() {
    QFile file(QString::fromUtf8(kAgreementDocument));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    StreamTermsDocument(file, document());
    moveCursor(QTextCursor::End);
    ensureCursorVisible();
    return true;
}

void TermsView::OnTermsViewSetFocus() {
    moveCursor(QTextCursor::Start);
    ensureCursorVisible();
    // The caret's line is in view; show the document's top margin above it as well.
    verticalScrollBar()->setValue(verticalScrollBar()->minimum());
    horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
}

void TermsView::focusInEvent(QFocusEvent* event) {
    QTextEdit::focusInEvent(event);
    OnTermsViewSetFocus();
}

}  // namespace ondrel
