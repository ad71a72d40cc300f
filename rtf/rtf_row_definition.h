#pragma once

#include <QColor>
#include <cstdint>
#include <vector>

#include "rtf/rtf_keywords.h"

namespace ondrel {

// One cell of a table row as \cellx defines it.
struct RtfCellDef {
    static constexpr std::uint8_t kTop = 1;
    static constexpr std::uint8_t kLeft = 2;
    static constexpr std::uint8_t kBottom = 4;
    static constexpr std::uint8_t kRight = 8;
    static constexpr std::uint8_t kAllSides = 15;

    int rightEdge = 0;         // twips from the row's left
    QColor shading;            // invalid: none
    std::uint8_t borders = 0;  // sides drawn as a line
};

// What the rows that follow look like.
struct RtfRowLayout {
    std::vector<RtfCellDef> cells;
    int left = 0;  // \trleft, twips
    Qt::Alignment alignment = Qt::AlignLeft;
};

// Reads the row-definition words (\trowd, \trqc, \clbrdrX, \brdrs, \clcbpat, \cellx, ...).
class RtfRowDefinition {
  public:
    static constexpr std::size_t kMaxCells = 64;

    // False when the word is not a row-definition word. Colours come from the colour table.
    bool Apply(RtfKeyword keyword, int param, const std::vector<QColor>& colors);
    const RtfRowLayout& Layout() const { return layout_; }

  private:
    RtfRowLayout layout_;
    QColor nextShading_;
    std::uint8_t rowBorders_ = 0;   // sides every cell draws (\trbrdrX)
    std::uint8_t nextBorders_ = 0;  // sides of the cell the next \cellx closes
    std::uint8_t borderSide_ = 0;   // side(s) the next border style applies to
};

}  // namespace ondrel
