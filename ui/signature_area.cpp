#include "ui/signature_area.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <optional>

namespace ondrel {

SignatureArea::SignatureArea(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("IDC_SIGN_AREA"));
    // Every pixel comes from the surface, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void SignatureArea::Place(const QRect& geometry) {
    setGeometry(geometry);
    surface_.Resize(geometry.width(), geometry.height());
}

void SignatureArea::FillWhite() {
    surface_.FillWhite();
    update();
}

void SignatureArea::DrawReport(const PenReport& report, TabletExtent extent) {
    if (const std::optional<Rect> drawn = RenderPenReport(pen_, report, extent, surface_)) {
        ShowDrawn(*drawn);
    }
}

void SignatureArea::ShowDrawn(const Rect& drawn) {
    const QRect dirty =
        QRect(drawn.left, drawn.top, drawn.Width(), drawn.Height()).intersected(rect());
    if (!dirty.isEmpty() && isVisible()) {
        repaint(dirty);
    }
}

void SignatureArea::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (surface_.width() == 0 || surface_.height() == 0) {
        painter.fillRect(event->rect(), Qt::white);
        return;
    }
    // A view of the surface's own pixels, without a copy.
    const QImage image(reinterpret_cast<const uchar*>(surface_.pixels()), surface_.width(),
                       surface_.height(), surface_.width() * 4, QImage::Format_RGB32);
    const QRect dirty = event->rect();
    painter.drawImage(dirty.topLeft(), image, dirty);
    // Any part of the widget the surface does not yet cover (between a resize and its event).
    const QRegion uncovered = QRegion(dirty).subtracted(QRect(0, 0, image.width(), image.height()));
    for (const QRect& part : uncovered) {
        painter.fillRect(part, Qt::white);
    }
}

void SignatureArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    surface_.Resize(width(), height());
}

}  // namespace ondrel
