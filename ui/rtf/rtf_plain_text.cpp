#include "ui/rtf/rtf_plain_text.h"

#include <QStringDecoder>

namespace ondrel {

QString DecodePlainText(QByteArrayView bytes) {
    const auto fromBom = QStringConverter::encodingForData(bytes);
    if (fromBom && *fromBom != QStringConverter::Utf8) {
        QStringDecoder decoder(*fromBom);
        return decoder.decode(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    QStringDecoder gb18030("GB18030");
    if (gb18030.isValid()) {
        return gb18030.decode(bytes);
    }
    return QString::fromLatin1(bytes);
}

}  // namespace ondrel
