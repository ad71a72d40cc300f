#include "rtf/rtf_document_builder.h"

#include <QImage>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
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
// Text boxes inside text boxes are framed this deep; the document holds at most so many frames.
constexpr std::size_t kMaxBoxDepth = 4;
constexpr int kMaxBoxes = 256;
// Placeholders of different sizes, each a small two-colour image; further sizes share one.
constexpr std::size_t kMaxPlaceholderSizes = 64;
constexpr int kMaxPlaceholderSide = 2000;

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

RtfDocumentBuilder::RtfDocumentBuilder(QTextDocument* target, QTextDocument* resources,
                                       QString imagePrefix)
    : document_(target),
      resources_(resources != nullptr ? resources : target),
      imagePrefix_(std::move(imagePrefix)),
      cursor_(target) {
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
    const QUrl name(imagePrefix_ + QString::number(++imageCount_));
    // Kept as encoded bytes; Qt decodes them when the image is first drawn.
    resources_->addResource(QTextDocument::ImageResource, name, data);
    InsertImage(name, size);
}

void RtfDocumentBuilder::AddImage(const QImage& image, QSizeF size, bool inTable) {
    PrepareContent(inTable);
    const QUrl name(imagePrefix_ + QString::number(++imageCount_));
    resources_->addResource(QTextDocument::ImageResource, name, image);
    InsertImage(name, size);
}

void RtfDocumentBuilder::AddPlaceholder(QSizeF size, bool inTable) {
    PrepareContent(inTable);
    const int width = std::clamp(qRound(size.width()), 1, kMaxPlaceholderSide);
    const int height = std::clamp(qRound(size.height()), 1, kMaxPlaceholderSide);
    const bool own = placeholders_.size() < kMaxPlaceholderSizes;
    const std::pair<int, int> key = own ? std::pair{width, height} : std::pair{0, 0};
    auto it = placeholders_.find(key);
    if (it == placeholders_.end()) {
        // A light box with a grey edge, one bit a pixel; the shared one is only the light.
        const int w = own ? width : 1;
        const int h = own ? height : 1;
        QImage box(w, h, QImage::Format_Mono);
        box.setColorTable({qRgb(0xF2, 0xF2, 0xF2), qRgb(0xB8, 0xB8, 0xB8)});
        box.fill(0);
        if (own) {
            for (int x = 0; x < w; ++x) {
                box.setPixel(x, 0, 1);
                box.setPixel(x, h - 1, 1);
            }
            for (int y = 0; y < h; ++y) {
                box.setPixel(0, y, 1);
                box.setPixel(w - 1, y, 1);
            }
        }
        const QUrl name(imagePrefix_ + QStringLiteral("placeholder-%1x%2").arg(w).arg(h));
        resources_->addResource(QTextDocument::ImageResource, name, box);
        it = placeholders_.emplace(key, name).first;
    }
    InsertImage(it->second, QSizeF(width, height));
}

bool RtfDocumentBuilder::StartBox(bool inTable) {
    if (boxes_.size() >= kMaxBoxDepth || boxCount_ >= kMaxBoxes) {
        return false;
    }
    PrepareContent(inTable);
    ++boxCount_;
    OuterTable outer{nullptr, table_, row_, column_, rowClosed_, cellPending_};
    QTextFrameFormat format;
    format.setBorder(1);
    format.setBorderBrush(QColor(0x80, 0x80, 0x80));
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setPadding(6);
    format.setTopMargin(4);
    format.setBottomMargin(4);
    outer.box = cursor_.insertFrame(format);
    boxes_.push_back(outer);
    table_ = nullptr;
    rowClosed_ = false;
    cellPending_ = false;
    paragraphPending_ = false;
    return true;
}

void RtfDocumentBuilder::EndBox() {
    if (boxes_.empty()) {
        return;
    }
    const OuterTable outer = boxes_.back();
    boxes_.pop_back();
    cursor_ = outer.box->lastCursorPosition();
    cursor_.movePosition(QTextCursor::NextBlock);
    table_ = outer.table;
    row_ = outer.row;
    column_ = outer.column;
    rowClosed_ = outer.rowClosed;
    cellPending_ = outer.cellPending;
    paragraphPending_ = false;
}

void RtfDocumentBuilder::InsertImage(const QUrl& name, QSizeF size) {
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

void RtfDocumentBuilder::AppendNotes(const QTextDocument& notes) {
    cursor_.movePosition(QTextCursor::End);
    // A short rule, then the notes in the look they were written in.
    QTextBlockFormat rule;
    rule.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth,
                     QTextLength(QTextLength::PercentageLength, 30));
    rule.setTopMargin(12);
    if (!document_->isEmpty()) {
        cursor_.insertBlock(rule, QTextCharFormat());
    } else {
        cursor_.setBlockFormat(rule);
    }
    cursor_.insertBlock(QTextBlockFormat(), QTextCharFormat());
    cursor_.insertFragment(QTextDocumentFragment(&notes));
}

void RtfDocumentBuilder::Finish(const QTextBlockFormat& format, const QTextDocument* notes) {
    while (!boxes_.empty()) {
        EndBox();
    }
    if (table_ != nullptr) {
        LeaveTable();
    } else if (!paragraphPending_) {
        cursor_.setBlockFormat(format);
    }
    if (notes != nullptr && !notes->isEmpty()) {
        AppendNotes(*notes);
    }
    if (editOpen_) {
        cursor_.endEditBlock();
        editOpen_ = false;
    }
}

}  // namespace ondrel
