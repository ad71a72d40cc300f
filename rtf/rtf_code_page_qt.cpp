// Code pages through Qt's decoders, which Debian's Qt backs with ICU.

#include <QStringDecoder>

#include "rtf/rtf_code_page_converter.h"

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
        case 10006:
            return "x-mac-greek";
        case 10007:
            return "x-mac-cyrillic";
        case 10029:
            return "x-mac-centraleurroman";
        case 10081:
            return "x-mac-turkish";
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

// The decoder for the code page, or cp1252's when Qt has none for it (then `native` is false).
QStringDecoder MakeDecoder(int codePage, bool& native) {
    if (const char* name = CodePageName(codePage)) {
        QStringDecoder decoder(name, QStringConverter::Flag::Stateless);
        if (decoder.isValid()) {
            native = true;
            return decoder;
        }
    }
    native = false;
    return QStringDecoder("windows-1252", QStringConverter::Flag::Stateless);
}

}  // namespace

// The decoder is only ever constructed, never assigned: moving one decoder into another
// corrupted the heap with Debian's Qt 6.4 and ICU.
struct CodePageConverter::Impl {
    explicit Impl(int codePage) : decoder(MakeDecoder(codePage, native)) {}
    bool native = false;
    QStringDecoder decoder;
};

CodePageConverter::CodePageConverter(int codePage) : impl_(std::make_unique<Impl>(codePage)) {}

CodePageConverter::CodePageConverter(CodePageConverter&&) noexcept = default;
CodePageConverter& CodePageConverter::operator=(CodePageConverter&&) noexcept = default;
CodePageConverter::~CodePageConverter() = default;

bool CodePageConverter::IsNative() const {
    return impl_->native;
}

QString CodePageConverter::Decode(QByteArrayView bytes) {
    // ICU drops a lead byte cut off at the end in some code pages (Big5) and replaces it in
    // others; a line feed behind it, never a trail byte, makes it U+FFFD everywhere.
    QByteArray terminated;
    terminated.reserve(bytes.size() + 1);
    terminated.append(bytes);
    terminated.append('\n');
    impl_->decoder.resetState();
    QString text = impl_->decoder.decode(terminated);
    text.chop(1);
    // Some of ICU's tables (Shift-JIS) mark what they cannot map with U+001A rather than U+FFFD.
    if (!bytes.contains('\x1a')) {
        text.replace(QChar(0x1A), QChar(0xFFFD));
    }
    return text;
}

}  // namespace ondrel
