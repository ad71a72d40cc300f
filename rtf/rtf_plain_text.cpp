#include "rtf/rtf_plain_text.h"

#include <QStringDecoder>

#include "rtf/rtf_code_page.h"

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
    // GBK (936) where the system has no GB18030 converter (Wine); GBK is the part of GB18030
    // such files are written in.
    constexpr int kGb18030 = 54936;
    constexpr int kGbk = 936;
    return DecodeCodePage(CanDecodeCodePage(kGb18030) ? kGb18030 : kGbk, bytes);
}

}  // namespace ondrel
