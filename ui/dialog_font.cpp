#include "ui/dialog_font.h"

#include <QFontMetrics>
#include <QGuiApplication>

namespace ondrel {

QFont TemplateFont() {
    QFont font = QGuiApplication::font();
    font.setPointSize(8);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

DialogBaseUnits MeasureDialogBaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return BaseUnitsFromMetrics(alphabetWidth, metrics.height());
}

}  // namespace ondrel
