#pragma once

#include <QByteArrayView>
#include <QString>

namespace ondrel {

// Text of a document that is not RTF: UTF-8 (or UTF-16 with a byte-order mark) when the bytes
// are valid as such, otherwise GB18030 (GBK where the system has no GB18030 converter), which
// covers the GBK files a Chinese site most likely has. The user's locale plays no part.
QString DecodePlainText(QByteArrayView bytes);

}  // namespace ondrel
