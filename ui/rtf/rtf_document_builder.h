#pragma once

#include <QByteArray>
#include <QColor>
#include <QSizeF>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <cstdint>
#include <vector>

#include "ui/rtf/rtf_row_definition.h"

class QTextDocument;
class QTextTable;

namespace ondrel {

// Writes paragraphs, runs, tables and pictures into a QTextDocument. Knows nothing of RTF
// syntax: it is told what to append and in which table context.
class RtfDocumentBuilder {
  public:
    explicit RtfDocumentBuilder(QTextDocument* target);
    ~RtfDocumentBuilder();
    RtfDocumentBuilder(const RtfDocumentBuilder&) = delete;
    RtfDocumentBuilder& operator=(const RtfDocumentBuilder&) = delete;

    void AddText(const QString& text, const QTextCharFormat& format, bool inTable);
    void EndParagraph(const QTextBlockFormat& format, bool inTable);
    void EndCell(const QTextBlockFormat& format);
    void EndRow();
    // Image data (PNG or JPEG) shown at the given size in pixels (empty: its own size).
    void AddImage(const QByteArray& data, QSizeF size, bool inTable);
    // Cell layout for the rows that follow (\trowd ... \cellx).
    void SetRowLayout(const RtfRowLayout& layout);
    // Distance between the tab stops a paragraph does not set itself.
    void SetDefaultTabDistance(int twips);
    // The paragraph still open at the end of the document takes its format.
    void Finish(const QTextBlockFormat& format);

  private:
    void PrepareContent(bool inTable);
    void StartTable();
    void LeaveTable();
    void MoveToCell(int row, int column);

    QTextDocument* document_;
    QTextCursor cursor_;
    bool editOpen_ = true;           // the one edit the whole load is, until Finish()
    bool paragraphPending_ = false;  // a paragraph mark was read; its break is written lazily

    RtfRowLayout rowLayout_;  // cells of the rows being read

    QTextTable* table_ = nullptr;
    int row_ = 0;
    int column_ = 0;
    bool rowClosed_ = false;    // \row read; the next content opens a new row
    bool cellPending_ = false;  // \cell read; the next content enters the next cell
    int imageCount_ = 0;
};

}  // namespace ondrel
