#include "imaging/stroke_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ondrel {
namespace {

// Clips the segment a-b to the rectangle [lo, hi] on both axes (Liang-Barsky). False when the
// segment misses the rectangle. Works in doubles so that far-away points cannot overflow.
bool ClipSegment(double& ax, double& ay, double& bx, double& by, double loX, double loY, double hiX,
                 double hiY) {
    double t0 = 0.0;
    double t1 = 1.0;
    const double dx = bx - ax;
    const double dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - loX, hiX - ax, ay - loY, hiY - ay};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return false;
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
        if (t0 > t1) {
            return false;
        }
    }
    const double x0 = ax + t0 * dx;
    const double y0 = ay + t0 * dy;
    bx = ax + t1 * dx;
    by = ay + t1 * dy;
    ax = x0;
    ay = y0;
    return true;
}

// One pixel wide, both end points included (Bresenham).
void DrawThinLine(SignatureSurface& surface, Point from, Point to) {
    double ax = from.x;
    double ay = from.y;
    double bx = to.x;
    double by = to.y;
    // A margin of two pixels keeps the clipped line on the pixels the unclipped one would take.
    if (!ClipSegment(ax, ay, bx, by, -2.0, -2.0, surface.width() + 1.0, surface.height() + 1.0)) {
        return;
    }
    int x0 = static_cast<int>(std::lround(ax));
    int y0 = static_cast<int>(std::lround(ay));
    const int x1 = static_cast<int>(std::lround(bx));
    const int y1 = static_cast<int>(std::lround(by));
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int stepX = x0 < x1 ? 1 : -1;
    const int stepY = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        surface.SetBlack(x0, y0);
        if (x0 == x1 && y0 == y1) {
            break;
        }
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x0 += stepX;
        }
        if (doubled <= dx) {
            error += dx;
            y0 += stepY;
        }
    }
}

// A capsule: every pixel whose centre lies within width / 2 of the segment. An odd width is
// centred on the pixel of the point, an even one on the pixel corner above and to its left, so
// that a horizontal or vertical line is exactly `width` pixels across:
//
//   width 3:  . # .      width 2:  # #
//             . # .  <- y          # #  <- y
//             . # .
void DrawWideLine(SignatureSurface& surface, Point from, Point to, int width) {
    const double radius = width / 2.0;
    const double offset = (width % 2 == 0) ? -0.5 : 0.0;
    double ax = from.x + offset;
    double ay = from.y + offset;
    double bx = to.x + offset;
    double by = to.y + offset;
    // Only the part near the surface can colour a pixel of it.
    if (!ClipSegment(ax, ay, bx, by, -radius - 1.0, -radius - 1.0, surface.width() + radius + 1.0,
                     surface.height() + radius + 1.0)) {
        return;
    }
    const double dx = bx - ax;
    const double dy = by - ay;
    const double lengthSquared = dx * dx + dy * dy;
    const double radiusSquared = radius * radius;

    const int top = std::max(0, static_cast<int>(std::floor(std::min(ay, by) - radius)));
    const int bottom =
        std::min(surface.height() - 1, static_cast<int>(std::ceil(std::max(ay, by) + radius)));
    const int left = std::max(0, static_cast<int>(std::floor(std::min(ax, bx) - radius)));
    const int right =
        std::min(surface.width() - 1, static_cast<int>(std::ceil(std::max(ax, bx) + radius)));

    for (int y = top; y <= bottom; ++y) {
        // The capsule is convex, so its pixels on one row form one run: find its ends.
        int runStart = -1;
        int runEnd = -1;
        for (int x = left; x <= right; ++x) {
            const double px = x - ax;
            const double py = y - ay;
            double t = lengthSquared > 0.0 ? (px * dx + py * dy) / lengthSquared : 0.0;
            t = std::clamp(t, 0.0, 1.0);
            const double ex = px - t * dx;
            const double ey = py - t * dy;
            if (ex * ex + ey * ey <= radiusSquared) {
                if (runStart < 0) {
                    runStart = x;
                }
                runEnd = x + 1;
            } else if (runStart >= 0) {
                break;
            }
        }
        if (runStart >= 0) {
            surface.FillSpanBlack(y, runStart, runEnd);
        }
    }
}

}  // namespace

Point ScalePoint(std::uint16_t x, std::uint16_t y, std::int32_t areaWidth, std::int32_t areaHeight,
                 TabletExtent extent) {
    // The products are 32-bit and the division unsigned, exactly as the tablet's coordinates have
    // always been scaled; unsigned arithmetic keeps a large area from overflowing into UB.
    const std::uint32_t px = static_cast<std::uint32_t>(areaWidth) * x / extent.maxX;
    const std::uint32_t py = static_cast<std::uint32_t>(areaHeight) * y / extent.maxY;
    return {static_cast<std::int32_t>(px), static_cast<std::int32_t>(py)};
}

Rect DrawSegment(SignatureSurface& surface, Point from, Point to, int width) {
    if (width <= 1) {
        DrawThinLine(surface, from, to);
        width = 1;
    } else {
        DrawWideLine(surface, from, to, width);
    }
    // Points scaled from reports beyond the extent can lie far outside the surface: keep the
    // rectangle's arithmetic well inside int.
    const std::int64_t reach = width / 2 + 1;
    const auto edge = [](std::int64_t v) {
        constexpr std::int64_t kLimit = 1 << 30;
        return static_cast<int>(std::clamp(v, -kLimit, kLimit));
    };
    return {edge(std::int64_t{std::min(from.x, to.x)} - reach),
            edge(std::int64_t{std::min(from.y, to.y)} - reach),
            edge(std::int64_t{std::max(from.x, to.x)} + reach + 1),
            edge(std::int64_t{std::max(from.y, to.y)} + reach + 1)};
}

std::optional<Rect> RenderPenReport(PenState& pen, const PenReport& report, TabletExtent extent,
                                    SignatureSurface& surface) {
    if (extent.maxX == 0 || extent.maxY == 0) {
        return std::nullopt;  // a failed or short parameter reply: nothing can be scaled
    }
    const Point point = ScalePoint(report.x, report.y, surface.width(), surface.height(), extent);
    std::optional<Rect> drawn;
    if (pen.penDown) {
        drawn = DrawSegment(surface, pen.lastPoint, point, SegmentWidth(report.pressure));
        pen.lastPoint = point;
    }
    if (report.pressure != 0) {
        pen.penDown = true;
        pen.lastPoint = point;
    } else {
        pen.penDown = false;
    }
    return drawn;
}

}  // namespace ondrel
