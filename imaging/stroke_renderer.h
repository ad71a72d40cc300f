#pragma once

// Turns pen reports into ink on the signature surface. The renderer keeps only whether the pen
// was down and where it was last; a segment joins the last point to the new one, as wide as the
// pressure divided by 128, in solid black with round ends and without antialiasing.

#include <cstdint>
#include <optional>

#include "base/geometry.h"
#include "imaging/signature_surface.h"
#include "tablet/protocol/tablet_protocol.h"

namespace ondrel {

struct PenState {
    bool penDown = false;
    Point lastPoint{0, 0};
    friend bool operator==(const PenState&, const PenState&) = default;
};

// px = (W * x) / maxX, py = (H * y) / maxY: 32-bit products divided as unsigned 32-bit numbers,
// truncated. x == maxX maps to W, one column past the area. Undefined for a zero divisor: the
// caller checks the extent first (see RenderPenReport).
Point ScalePoint(std::uint16_t x, std::uint16_t y, std::int32_t areaWidth, std::int32_t areaHeight,
                 TabletExtent extent);

// Segment width in pixels for a pressure: pressure >> 7.
constexpr int SegmentWidth(std::uint16_t pressure) {
    return pressure >> 7;
}

// Draws a solid black segment of the given width (0 and 1: one pixel wide) with round ends,
// clipped to the surface. Returns the rectangle of pixels it may have changed (unclipped).
Rect DrawSegment(SignatureSurface& surface, Point from, Point to, int width);

// Applies one report: scales it to the surface's current size, draws a segment when the pen was
// already down, and updates the pen state. A zero maxX or maxY draws nothing and leaves the pen
// state unchanged. Returns the rectangle that was drawn, if any, so a view can repaint just that.
std::optional<Rect> RenderPenReport(PenState& pen, const PenReport& report, TabletExtent extent,
                                    SignatureSurface& surface);

}  // namespace ondrel
