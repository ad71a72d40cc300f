#include "ui/window_placement_keeper.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <vector>

#include "ui/placement_store.h"

namespace ondrel {
namespace {

std::vector<Rect> ScreenRects() {
    std::vector<Rect> rects;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        rects.push_back(Rect{g.x(), g.y(), g.x() + g.width(), g.y() + g.height()});
    }
    return rects;
}

}  // namespace

WindowPlacementKeeper::WindowPlacementKeeper(QWidget& window) : QObject(&window), window_(window) {}

void WindowPlacementKeeper::Restore() {
    const WindowPlacement placement = ReadPlacement();
    if (!ShouldApplyPlacement(placement, ScreenRects())) {
        return;
    }
    window_.setWindowState(window_.windowState() & ~Qt::WindowMaximized);
    const QRect outer(placement.left, placement.top, placement.right - placement.left,
                      placement.bottom - placement.top);
    MoveOuterRect(outer);
    if (FrameMargins().isNull()) {
        toFinish_ = outer;
        window_.installEventFilter(this);
    }
}

void WindowPlacementKeeper::Save() const {
    const QRect outer = OuterRect();
    WritePlacement(WindowPlacement{outer.x(), outer.x() + outer.width(), outer.y(),
                                   outer.y() + outer.height()});
}

// Until the window manager has framed the window its frame is unknown, so a restored placement
// is matched once more as soon as the frame is there (by the first paint at the latest).
bool WindowPlacementKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (toFinish_ && !FrameMargins().isNull()) {
        const QRect outer = *toFinish_;
        toFinish_.reset();
        window_.removeEventFilter(this);
        if (OuterRect() != outer) {
            QMetaObject::invokeMethod(
                this, [this, outer] { MoveOuterRect(outer); }, Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}

// Places the window's outer rectangle, frame included.
void WindowPlacementKeeper::MoveOuterRect(const QRect& outer) {
    const QMargins frame = FrameMargins();
    window_.resize(std::max(0, outer.width() - frame.left() - frame.right()),
                   std::max(0, outer.height() - frame.top() - frame.bottom()));
    window_.move(outer.topLeft());  // a window's position is that of its frame, once known
}

QMargins WindowPlacementKeeper::FrameMargins() const {
    const QWindow* window = window_.windowHandle();
    return window != nullptr ? window->frameMargins() : QMargins();
}

// The outer rectangle in screen coordinates: the client area and the window manager's frame.
QRect WindowPlacementKeeper::OuterRect() const {
    return window_.geometry().marginsAdded(FrameMargins());
}

}  // namespace ondrel
