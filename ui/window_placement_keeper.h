#pragma once

// The signing window's remembered placement: restored at initialisation when it is complete and
// lies on a screen, written at teardown. Both are the window's outer rectangle, frame included.

#include <QObject>
#include <QRect>
#include <optional>

class QWidget;

namespace ondrel {

class WindowPlacementKeeper final : public QObject {
  public:
    explicit WindowPlacementKeeper(QWidget& window);

    // Moves the window out of the maximized state to the stored placement, or leaves it alone
    // when the placement is incomplete or off every screen.
    void Restore();
    // Writes the window's outer rectangle, whatever the window's state.
    void Save() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void MoveOuterRect(const QRect& outer);
    QMargins FrameMargins() const;
    QRect OuterRect() const;

    QWidget& window_;
    // An outer rectangle still to be matched once the window manager's frame is known.
    std::optional<QRect> toFinish_;
};

}  // namespace ondrel
