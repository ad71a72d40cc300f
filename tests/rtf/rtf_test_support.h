#pragma once

#include <QGuiApplication>
#include <QTextBlock>
#include <QTextDocument>
#include <algorithm>
#include <memory>
#include <string_view>

#include "rtf/rtf_stream_reader.h"

namespace ondrel::test {

// Fonts and images need an application object; one is made on first use.
inline void EnsureGuiApplication() {
    if (QGuiApplication::instance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "ondrel_rtf_test";
        static char* argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
    }
}

// Reads the bytes through the reader in chunks of the given size (0: all at once).
inline std::unique_ptr<QTextDocument> ReadRtf(std::string_view bytes, std::size_t chunk = 0) {
    EnsureGuiApplication();
    auto document = std::make_unique<QTextDocument>();
    RtfStreamReader reader(document.get());
    if (chunk == 0) {
        chunk = std::max<std::size_t>(bytes.size(), 1);
    }
    for (std::size_t pos = 0; pos < bytes.size(); pos += chunk) {
        const std::size_t size = std::min(chunk, bytes.size() - pos);
        reader.Feed(bytes.data() + pos, size);
    }
    reader.Finish();
    return document;
}

// The document's text as stored, with paragraphs (and table cells) as '\n' and table
// boundaries left out; unlike toPlainText() it keeps no-break spaces and line separators.
inline QString TextOf(const QTextDocument& document) {
    QString text = document.toRawText();
    text.replace(QChar(QChar::ParagraphSeparator), u'\n');
    text.remove(QChar(0xFDD0));  // QTextBeginningOfFrame
    text.remove(QChar(0xFDD1));  // QTextEndOfFrame
    return text;
}

// Character format at the first occurrence of the text.
inline QTextCharFormat FormatAt(const QTextDocument& document, const QString& text) {
    const QTextCursor found = document.find(text);
    if (found.isNull()) {
        return {};
    }
    QTextCursor cursor(found);
    cursor.setPosition(found.selectionStart() + 1);
    return cursor.charFormat();
}

inline QTextBlockFormat BlockFormatAt(const QTextDocument& document, const QString& text) {
    const QTextCursor found = document.find(text);
    return found.isNull() ? QTextBlockFormat() : found.blockFormat();
}

}  // namespace ondrel::test
