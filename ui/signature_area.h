#pragma once

// The signature area IDC_SIGN_AREA: shows the off-screen signature surface pixel for pixel, and
// holds the pen that draws on it. The surface follows the widget's size, keeping what is drawn;
// the widget draws nothing of its own, so the preview and the final capture copy exactly what
// the visitor sees.

#include <QWidget>

#include "base/geometry.h"
#include "imaging/signature_surface.h"
#include "imaging/stroke_renderer.h"

namespace ondrel {

class SignatureArea : public QWidget {
    Q_OBJECT
  public:
    explicit SignatureArea(QWidget* parent = nullptr);

    SignatureSurface& surface() { return surface_; }
    const SignatureSurface& surface() const { return surface_; }
    // Whether the pen was down at the last report, and where. Changed only by reports.
    const PenState& pen() const { return pen_; }

    // Moves and sizes the widget and its surface together. A hidden widget gets its resize
    // event only when shown, so the surface is sized here rather than waiting for it.
    void Place(const QRect& geometry);
    // The client rectangle, origin 0, 0.
    Rect ClientRect() const { return Rect{0, 0, surface_.width(), surface_.height()}; }
    // Clears the surface to white and shows it.
    void FillWhite();
    // Draws one report's segment and brings it to the screen before returning.
    void DrawReport(const PenReport& report, TabletExtent extent);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void ShowDrawn(const Rect& drawn);

    SignatureSurface surface_;
    PenState pen_;
};

}  // namespace ondrel
