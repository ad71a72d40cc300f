#include "ui/rtf/rtf_document_builder.h"

#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextLength>
#include <QTextTable>
#include <QUrl>
#include <algorithm>

namespace ondrel {

namespace {

// A wider "table" is broken input: further cells share the last column, so no text is lost.
constexpr int kMaxColumns = 64;
// Qt rebuilds a table's cell grid after each added row, so building one table costs time that
// grows with the square of its size; longer tables continue in a new table of the same look.
constexpr int kMaxCellsPerTable = 1200;

double TwipsToPixels(int twips) {
    return twips / 15.0;
}

QTextTableCellFormat CellFormat(QTextTableCellFormat format, const RtfCellDef& def) {
    if (def.shading.isValid()) {
        format.setBackground(def.shading);
    }
    const auto width = [&](std::uint8_t side) { return (def.borders & side) != 0 ? 1.0 : 0.0; };
    format.setTopBorder(width(RtfCellDef::kTop));
    format.setLeftBorder(width(RtfCellDef::kLeft));
    format.setBottomBorder(width(RtfCellDef::kBottom));
    format.setRightBorder(width(RtfCellDef::kRight));
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderBrush(Qt::black);
    return format;
}

}  // namespace

RtfDocumentBuilder::RtfDocumentBuilder(QTextDocument* target) : document_(target), cursor_(target) {
    // One edit for the whole document: Qt rescans its frames (tables) when an edit ends, which
    // per inserted row would cost time growing with the square of the document.
    cursor_.beginEditBlock();
}

RtfDocumentBuilder::~RtfDocumentBuilder() {
    if (editOpen_) {
        cursor_.endEditBlock();
    }
}

void RtfDocumentBuilder::PrepareContent(bool inTable) {
    if (inTable && table_ == nullptr) {
        StartTable();
    } else if (!inTable && table_ != nullptr) {
        LeaveTable();
    } else if (inTable) {
        if (rowClosed_) {
            rowClosed_ = false;
            if ((table_->rows() + 1) * table_->columns() > kMaxCellsPerTable) {
                LeaveTable();
                StartTable();
            } else {
                table_->appendRows(1);
                row_ += 1;
                column_ = 0;
                cellPending_ = true;
            }
        }
        if (cellPending_) {
            MoveToCell(row_, column_);
        }
    }
    if (paragraphPending_) {
        cursor_.insertBlock();
        paragraphPending_ = false;
    }
}

void RtfDocumentBuilder::StartTable() {
    QTextTableFormat format;
    format.setCellPadding(3);
    format.setCellSpacing(0);
    format.setBorderCollapse(true);
    format.setBorder(0);  // each cell draws the sides its definition names
    format.setAlignment(rowLayout_.alignment);
    QList<QTextLength> widths;
    int left = rowLayout_.left;
    for (const RtfCellDef& cell : rowLayout_.cells) {
        const int width = std::max(cell.rightEdge - left, 0);
        widths.append(QTextLength(QTextLength::FixedLength, TwipsToPixels(width)));
        left = std::max(left, cell.rightEdge);
    }
    if (!widths.isEmpty()) {
        format.setColumnWidthConstraints(widths);
    }
    // The table follows the paragraph just ended; no empty paragraph is left between them.
    paragraphPending_ = false;
    // Columns are added as cells are entered: a definition of many cells with little content
    // (easy to write, costly to lay out) makes no more cells than the content fills.
    table_ = cursor_.insertTable(1, 1, format);
    row_ = 0;
    rowClosed_ = false;
    MoveToCell(0, 0);
}

void RtfDocumentBuilder::LeaveTable() {
    cursor_ = table_->lastCursorPosition();
    cursor_.movePosition(QTextCursor::NextBlock);
    table_ = nullptr;
    rowClosed_ = false;
    cellPending_ = false;
    paragraphPending_ = false;
}

void RtfDocumentBuilder::MoveToCell(int row, int column) {
    if (column >= table_->columns()) {
        if (table_->columns() >= kMaxColumns ||
            table_->rows() * (table_->columns() + 1) > kMaxCellsPerTable) {
            column = table_->columns() - 1;
        } else {
            table_->appendColumns(column + 1 - table_->columns());
        }
    }
    row_ = row;
    column_ = column;
    QTextTableCell cell = table_->cellAt(row, column);
    if (column < static_cast<int>(rowLayout_.cells.size())) {
        cell.setFormat(CellFormat(cell.format().toTableCellFormat(), rowLayout_.cells[column]));
    }
    cursor_ = cell.firstCursorPosition();
    paragraphPending_ = false;
    cellPending_ = false;
}

void RtfDocumentBuilder::AddText(const QString& text, const QTextCharFormat& format, bool inTable) {
    PrepareContent(inTable);
    cursor_.insertText(text, format);
}

void RtfDocumentBuilder::EndParagraph(const QTextBlockFormat& format, bool inTable) {
    PrepareContent(inTable);
    cursor_.setBlockFormat(format);
    paragraphPending_ = true;
}

void RtfDocumentBuilder::EndCell(const QTextBlockFormat& format) {
    if (table_ != nullptr && paragraphPending_ && !cellPending_ && !rowClosed_) {
        // "text\par\cell": both marks end the same paragraph; no empty one follows it.
        paragraphPending_ = false;
    } else {
        PrepareContent(true);
        cursor_.setBlockFormat(format);
    }
    // The next cell is entered when something is written into it, so that the mark after
    // the last cell of a row does not open a column of its own.
    column_ += 1;
    cellPending_ = true;
}

void RtfDocumentBuilder::EndRow() {
    if (table_ != nullptr) {
        rowClosed_ = true;
    }
}

void RtfDocumentBuilder::AddImage(const QByteArray& data, QSizeF size, bool inTable) {
    PrepareContent(inTable);
    const QUrl name(QStringLiteral("rtf-image-%1").arg(++imageCount_));
    // Kept as encoded bytes; Qt decodes them when the image is first drawn.
    document_->addResource(QTextDocument::ImageResource, name, data);
    QTextImageFormat format;
    format.setName(name.toString());
    if (size.width() > 0 && size.height() > 0) {
        format.setWidth(size.width());
        format.setHeight(size.height());
    }
    cursor_.insertImage(format);
}

void RtfDocumentBuilder::SetRowLayout(const RtfRowLayout& layout) {
    rowLayout_ = layout;
}

void RtfDocumentBuilder::SetDefaultTabDistance(int twips) {
    if (twips <= 0 || twips > 31680) {
        return;
    }
    QTextOption option = document_->defaultTextOption();
    option.setTabStopDistance(TwipsToPixels(twips));
    document_->setDefaultTextOption(option);
}

void RtfDocumentBuilder::Finish(const QTextBlockFormat& format) {
    if (table_ != nullptr) {
        LeaveTable();
    } else if (!paragraphPending_) {
        cursor_.setBlockFormat(format);
    }
    if (editOpen_) {
        cursor_.endEditBlock();
        editOpen_ = false;
    }
}

}  // namespace ondrel
