#include "rtf/rtf_code_page.h"

namespace ondrel {

int CodePageForCharset(int charset) {
    switch (charset) {
        case 0:
            return 1252;  // ANSI
        case 77:
            return 10000;  // Mac Roman
        case 78:
            return 10001;  // Mac Japanese
        case 79:
            return 10003;  // Mac Korean
        case 80:
            return 10008;  // Mac Simplified Chinese
        case 81:
            return 10002;  // Mac Traditional Chinese
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

int CodePageStandIn(int codePage) {
    switch (codePage) {
        case 10001:
            return 932;
        case 10002:
            return 950;
        case 10003:
            return 949;
        case 10008:
            return 936;
        default:
            return 0;
    }
}

const LeadByteTable* LeadBytesOf(int codePage) {
    static const LeadByteTable kWide = [] {
        LeadByteTable table{};
        for (int b = 0x81; b <= 0xFE; ++b) {
            table[b] = true;
        }
        return table;
    }();
    static const LeadByteTable kShiftJis = [] {
        LeadByteTable table{};
        for (int b = 0x81; b <= 0x9F; ++b) {
            table[b] = true;
        }
        for (int b = 0xE0; b <= 0xFC; ++b) {
            table[b] = true;
        }
        return table;
    }();
    switch (codePage) {
        case 932:
        case 10001:
            return &kShiftJis;
        case 936:
        case 949:
        case 950:
        case 10002:
        case 10003:
        case 10008:
        case 20936:
            return &kWide;
        default:
            return nullptr;
    }
}

namespace {

// The converter for the code page, or for its stand-in where the system lacks it.
CodePageConverter MakeConverter(int codePage) {
    CodePageConverter converter(codePage);
    if (const int standIn = CodePageStandIn(codePage); standIn > 0 && !converter.IsNative()) {
        return CodePageConverter(standIn);
    }
    return converter;
}

}  // namespace

QString DecodeCodePage(int codePage, QByteArrayView bytes) {
    return MakeConverter(codePage).Decode(bytes);
}

bool CanDecodeCodePage(int codePage) {
    return MakeConverter(codePage).IsNative();
}

QString CodePageDecoder::Decode(int codePage, QByteArrayView bytes) {
    auto it = converters_.find(codePage);
    if (it == converters_.end()) {
        it = converters_.emplace(codePage, MakeConverter(codePage)).first;
    }
    return it->second.Decode(bytes);
}

}  // namespace ondrel
