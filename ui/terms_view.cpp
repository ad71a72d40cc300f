#include "ui/terms_view.h"

#include <QFile>
#include <QScrollBar>
#include <QTextDocument>

#include "app/exchange_paths.h"

namespace ondrel {
namespace {

constexpr long kChunkSize = 4096;

// The one place where the document's bytes become the view's content.
void FillTermsDocument(QTextDocument* document, const QByteArray& bytes) {
    document->setPlainText(QString::fromUtf8(bytes));
}

// Reads the whole document through ReadTermsChunk, as the stream-in does.
QByteArray StreamTermsDocument(QFile& file) {
    QByteArray bytes;
    char buffer[kChunkSize];
    long count = 0;
    while (ReadTermsChunk(&file, buffer, kChunkSize, &count) == 0 && count > 0) {
        bytes.append(buffer, static_cast<qsizetype>(count));
    }
    return bytes;
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
    FillTermsDocument(document(), StreamTermsDocument(file));
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
