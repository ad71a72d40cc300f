#include "ui/terms_view.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QFocusEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextDocument>
#include <cstddef>
#include <memory>

#include "rtf/rtf_stream_reader.h"

namespace ondrel {
namespace {

constexpr long kChunkSize = 4096;

// Streams the whole document through ReadTermsChunk into the view's document, replacing it.
void StreamTermsDocument(QFile& file, QTextDocument* document) {
    RtfStreamReader reader(document);
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

bool TermsView::LoadTermsDocument(const std::filesystem::path& path) {
    QFile file(path);
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
    const bool first = !focusedBefore_;
    focusedBefore_ = true;
    switch (event->reason()) {
        case Qt::PopupFocusReason:
        case Qt::MenuBarFocusReason:
            return;  // back from the view's menu: Copy and Paste act where the visitor left off
        case Qt::ActiveWindowFocusReason:
            if (!first) {
                return;  // the window activated again (after the About box, a message box)
            }
            break;
        default:
            break;
    }
    OnTermsViewSetFocus();
}

void TermsView::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    const QList<QAction*> windowEntries = window()->actions();
    if (!windowEntries.isEmpty()) {
        if (!windowEntries.first()->isSeparator()) {
            menu->addSeparator();
        }
        menu->addActions(windowEntries);
    }
    menu->exec(event->globalPos());
}

}  // namespace ondrel
