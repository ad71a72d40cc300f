#include "ui/rtf/rtf_code_page.h"

namespace ondrel {

int CodePageForCharset(int charset) {
    switch (charset) {
        case 0:
            return 1252;  // ANSI
        case 77:
            return 10000;
        case 128:
            return 932;
        case 129:
            return 949;
        case 134:
            return 936;
        case 136:
            return 950;
        case 161:
            return 1253;
        case 162:
            return 1254;
        case 163:
            return 1258;
        case 177:
            return 1255;
        case 178:
            return 1256;
        case 186:
            return 1257;
        case 204:
            return 1251;
        case 222:
            return 874;
        case 238:
            return 1250;
        case 254:
            return 437;
        case 255:
            return 850;
        default:
            return 0;  // 1 (default), 2 (symbol) and the rest: the document's code page
    }
}

QString DecodeCodePage(int codePage, QByteArrayView bytes) {
    return CodePageConverter(codePage).Decode(bytes);
}

bool CanDecodeCodePage(int codePage) {
    return CodePageConverter(codePage).IsNative();
}

QString CodePageDecoder::Decode(int codePage, QByteArrayView bytes) {
    auto it = converters_.find(codePage);
    if (it == converters_.end()) {
        it = converters_.emplace(codePage, CodePageConverter(codePage)).first;
    }
    return it->second.Decode(bytes);
}

}  // namespace ondrel
