#include "ui/dialog_font.h"

#include <QFontMetrics>
#include <QGuiApplication>

namespace ondrel {

QFont TemplateFont() {
    QFont font = QGuiApplication::font();
    // The CJK font the captions need anyway; at 8 points it measures 6 x 13 pixels at 96 dpi,
    // the base units the template's positions were drawn with. Without it, Windows' own dialog
    // font (which reaches the Chinese fonts through the system's font linking), else the usual
    // sans.
    font.setFamilies(
        {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("MS Shell Dlg 2"), font.family()});
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
