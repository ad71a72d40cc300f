#include "ui/rtf/rtf_code_page.h"

namespace ondrel {

namespace {

// Decoder names Qt accepts (Qt's own, or ICU's) for the code pages RTF files carry.
const char* CodePageName(int codePage) {
    switch (codePage) {
        case 437:
            return "IBM437";
        case 850:
            return "IBM850";
        case 852:
            return "IBM852";
        case 866:
            return "IBM866";
        case 874:
            return "windows-874";
        case 932:
            return "windows-31j";  // Shift-JIS with the Microsoft extensions
        case 936:
            return "GB18030";  // a superset of GBK that decodes every GBK pair alike
        case 949:
            return "windows-949";
        case 950:
            return "Big5";
        case 1250:
            return "windows-1250";
        case 1251:
            return "windows-1251";
        case 1252:
            return "windows-1252";
        case 1253:
            return "windows-1253";
        case 1254:
            return "windows-1254";
        case 1255:
            return "windows-1255";
        case 1256:
            return "windows-1256";
        case 1257:
            return "windows-1257";
        case 1258:
            return "windows-1258";
        case 10000:
            return "macintosh";
        case 20936:
            return "GB2312";
        case 54936:
            return "GB18030";
        case 65001:
            return "UTF-8";
        default:
            return nullptr;
    }
}

QStringDecoder MakeDecoder(int codePage) {
    if (const char* name = CodePageName(codePage)) {
        QStringDecoder decoder(name, QStringConverter::Flag::Stateless);
        if (decoder.isValid()) {
            return decoder;
        }
    }
    // Unknown or unavailable: cp1252 keeps ASCII right and shows every other byte as something.
    return QStringDecoder("windows-1252", QStringConverter::Flag::Stateless);
}

}  // namespace

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
    QStringDecoder decoder = MakeDecoder(codePage);
    return decoder.decode(bytes);
}

QString CodePageDecoder::Decode(int codePage, QByteArrayView bytes) {
    auto it = decoders_.find(codePage);
    if (it == decoders_.end()) {
        it = decoders_.emplace(codePage, MakeDecoder(codePage)).first;
    }
    it->second.resetState();
    return it->second.decode(bytes);
}

}  // namespace ondrel
