#pragma once

#include <QByteArray>
#include <QColor>
#include <QSizeF>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QUrl>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "rtf/rtf_row_definition.h"

class QTextDocument;
class QTextFrame;
class QTextTable;
class QImage;

namespace ondrel {

// Writes paragraphs, runs, tables and pictures into a QTextDocument. Knows nothing of RTF
// syntax: it is told what to append and in which table context.
class RtfDocumentBuilder {
  public:
    // Pictures are kept as resources of `resources` (the target when null): notes are built
    // apart and then copied into the document that shows them.
    explicit RtfDocumentBuilder(QTextDocument* target, QTextDocument* resources = nullptr,
                                QString imagePrefix = QStringLiteral("rtf-image-"));
    ~RtfDocumentBuilder();
    RtfDocumentBuilder(const RtfDocumentBuilder&) = delete;
    RtfDocumentBuilder& operator=(const RtfDocumentBuilder&) = delete;

    QTextDocument* Document() const { return document_; }

    void AddText(const QString& text, const QTextCharFormat& format, bool inTable);
    void EndParagraph(const QTextBlockFormat& format, bool inTable);
    void EndCell(const QTextBlockFormat& format);
    void EndRow();
    // Image data (PNG or JPEG) shown at the given size in pixels (empty: its own size).
    void AddImage(const QByteArray& data, QSizeF size, bool inTable);
    // A picture drawn here (a metafile the platform rendered).
    void AddImage(const QImage& image, QSizeF size, bool inTable);
    // A light box of the size, where a picture stands that cannot be shown.
    void AddPlaceholder(QSizeF size, bool inTable);
    // A text box: what follows, until EndBox(), is framed. False (and nothing framed) when
    // boxes are nested too deep or the document has too many.
    bool StartBox(bool inTable);
    void EndBox();
    // Whether the last paragraph has content not yet ended by a paragraph mark.
    bool ParagraphOpen() const { return !paragraphPending_; }
    // Cell layout for the rows that follow (\trowd ... \cellx).
    void SetRowLayout(const RtfRowLayout& layout);
    // Distance between the tab stops a paragraph does not set itself.
    void SetDefaultTabDistance(int twips);
    // The paragraph still open at the end of the document takes its format.
    // Notes (footnotes and endnotes), when there are any, follow the body after a rule.
    void Finish(const QTextBlockFormat& format, const QTextDocument* notes = nullptr);

  private:
    void PrepareContent(bool inTable);
    void StartTable();
    void LeaveTable();
    void MoveToCell(int row, int column);
    void InsertImage(const QUrl& name, QSizeF size);
    void AppendNotes(const QTextDocument& notes);

    // The table being read where a text box started, taken up again after it.
    struct OuterTable {
        QTextFrame* box = nullptr;
        QTextTable* table = nullptr;
        int row = 0;
        int column = 0;
        bool rowClosed = false;
        bool cellPending = false;
    };

    QTextDocument* document_;
    QTextDocument* resources_;
    QString imagePrefix_;
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
    std::vector<OuterTable> boxes_;
    int boxCount_ = 0;
    std::map<std::pair<int, int>, QUrl> placeholders_;  // by size
};

}  // namespace ondrel
