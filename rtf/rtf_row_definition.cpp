#include "rtf/rtf_row_definition.h"

namespace ondrel {

namespace {

using K = RtfKeyword;

// Marks a side named by \trbrdrX (the whole row) rather than by \clbrdrX.
constexpr std::uint8_t kRowBorderFlag = 0x80;

}  // namespace

bool RtfRowDefinition::Apply(RtfKeyword keyword, int param, const std::vector<QColor>& colors) {
    switch (keyword) {
        case K::RowDefaults:
            *this = RtfRowDefinition{};
            break;
        case K::RowCenter:
            layout_.alignment = Qt::AlignHCenter;
            break;
        case K::RowRight:
            layout_.alignment = Qt::AlignRight;
            break;
        case K::RowLeft:
            layout_.left = param;
            break;
        case K::CellShading:
            if (param > 0 && static_cast<std::size_t>(param) < colors.size()) {
                nextShading_ = colors[param];
            }
            break;
        // A side is named first; the border style that follows says whether a line is drawn.
        case K::CellBorderTop:
            borderSide_ = RtfCellDef::kTop;
            break;
        case K::CellBorderLeft:
            borderSide_ = RtfCellDef::kLeft;
            break;
        case K::CellBorderBottom:
            borderSide_ = RtfCellDef::kBottom;
            break;
        case K::CellBorderRight:
            borderSide_ = RtfCellDef::kRight;
            break;
        case K::RowBorder:
            borderSide_ = RtfCellDef::kAllSides | kRowBorderFlag;
            break;
        case K::BorderNone:
            borderSide_ = 0;
            break;
        case K::BorderStyle:
            if ((borderSide_ & kRowBorderFlag) != 0) {
                rowBorders_ = RtfCellDef::kAllSides;
            } else {
                nextBorders_ = static_cast<std::uint8_t>(nextBorders_ | borderSide_);
            }
            borderSide_ = 0;
            break;
        case K::CellRight:
            if (layout_.cells.size() < kMaxCells) {
                layout_.cells.push_back(RtfCellDef{
                    param, nextShading_, static_cast<std::uint8_t>(nextBorders_ | rowBorders_)});
            }
            nextShading_ = QColor();
            nextBorders_ = 0;
            borderSide_ = 0;
            break;
        default:
            return false;
    }
    return true;
}

}  // namespace ondrel
