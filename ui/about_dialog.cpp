#include "ui/about_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "ui/app_icon.h"
#include "ui/dialog_font.h"

namespace ondrel {
namespace {

QRect ToQRect(const Rect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("签字板"));
    setWindowIcon(AppIcon());
    setFont(TemplateFont());
    const DialogBaseUnits units = MeasureDialogBaseUnits(font());
    const Rect size = DialogToPixels({0, 0, 170, 62}, units);
    setFixedSize(size.Width(), size.Height());

    auto* icon = new QLabel(this);
    const Rect iconRect = DialogToPixels({14, 14, 20, 20}, units);
    icon->setGeometry(ToQRect(iconRect));
    icon->setPixmap(AppIcon().pixmap(std::min(iconRect.Width(), iconRect.Height())));

    auto* first = new QLabel(QString::fromUtf8(kAboutFirstLine), this);
    first->setTextFormat(Qt::PlainText);  // no prefix processing
    first->setGeometry(ToQRect(DialogToPixels({42, 14, 114, 8}, units)));

    auto* second = new QLabel(QString::fromUtf8(kAboutSecondLine), this);
    second->setTextFormat(Qt::PlainText);
    second->setGeometry(ToQRect(DialogToPixels({42, 26, 114, 8}, units)));

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("IDOK"));
    ok_->setGeometry(ToQRect(DialogToPixels({113, 41, 50, 14}, units)));
    ok_->setDefault(true);
    ok_->setFocus();
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace ondrel
