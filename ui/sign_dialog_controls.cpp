#include "ui/sign_dialog_controls.h"

#include <QLabel>
#include <QPushButton>

#include "ui/sign_dialog_template.h"
#include "ui/signature_area.h"
#include "ui/terms_view.h"

namespace ondrel {
namespace {

QWidget* CreateControl(const ControlTemplate& control, QWidget& dialog,
                       SignDialogControls& controls) {
    const QString caption = control.caption ? QString::fromUtf8(control.caption) : QString();
    switch (control.kind) {
        case ControlKind::TermsView:
            return controls.termsView = new TermsView(&dialog);
        case ControlKind::PushButton: {
            auto* button = new QPushButton(caption, &dialog);
            // Plain push buttons: none is the default, and Enter on a focused one clicks it
            // (the window's key handling).
            button->setAutoDefault(false);
            button->setDefault(false);
            QPushButton** slot = control.id == IDC_READ_TERMS   ? &controls.readTerms
                                 : control.id == IDC_AGREE_SIGN ? &controls.agreeSign
                                 : control.id == IDC_RESIGN     ? &controls.resign
                                                                : &controls.done;
            return *slot = button;
        }
        case ControlKind::StaticText:
            controls.status = new QLabel(caption, &dialog);
            controls.status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            return controls.status;
        case ControlKind::SignatureArea:
            return controls.signArea = new SignatureArea(&dialog);
    }
    return nullptr;
}

}  // namespace

SignDialogControls CreateSignDialogControls(QWidget& dialog, const DialogBaseUnits& units) {
    SignDialogControls controls;
    QWidget* previousTabStop = nullptr;
    for (const ControlTemplate& control : kSignDialogControls) {
        QWidget* widget = CreateControl(control, dialog, controls);
        widget->setObjectName(QLatin1String(control.name));
        widget->setProperty("controlId", control.id);
        const Rect pixels = DialogToPixels(control.rect, units);
        const QRect geometry(pixels.left, pixels.top, pixels.Width(), pixels.Height());
        if (control.kind == ControlKind::SignatureArea) {
            controls.signArea->Place(geometry);
        } else {
            widget->setGeometry(geometry);
        }
        widget->setVisible(control.visibleAtCreation);
        if (control.tabStop) {
            widget->setFocusPolicy(Qt::StrongFocus);
            if (previousTabStop != nullptr) {
                QWidget::setTabOrder(previousTabStop, widget);
            }
            previousTabStop = widget;
        } else {
            widget->setFocusPolicy(Qt::NoFocus);
        }
    }
    return controls;
}

}  // namespace ondrel
