// Code pages through the system's MultiByteToWideChar: the Windows build's Qt has no ICU, and
// Qt alone decodes nothing but the Unicode forms and Latin-1.

#include <windows.h>

#include <QStringDecoder>
#include <optional>

#include "rtf/rtf_code_page_converter.h"

namespace ondrel {

namespace {

constexpr UINT kUtf8 = 65001;
constexpr UINT kFallback = 1252;
constexpr char16_t kReplacement = u'\uFFFD';

// The bytes as one piece, or nothing when any of them does not decode.
std::optional<QString> DecodeStrictly(UINT codePage, const char* bytes, int size) {
    const int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, size, nullptr, 0);
    if (length <= 0) {
        return std::nullopt;
    }
    QString text(length, Qt::Uninitialized);
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, size,
                        reinterpret_cast<wchar_t*>(text.data()), length);
    return text;
}

}  // namespace

struct CodePageConverter::Impl {
    UINT codePage = kFallback;
    bool native = false;
    bool doubleByte = false;
    std::optional<QStringDecoder> utf8;  // Qt's own decoder, the same on every platform
};

CodePageConverter::CodePageConverter(int codePage) : impl_(std::make_unique<Impl>()) {
    if (codePage == static_cast<int>(kUtf8)) {
        impl_->utf8.emplace(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        impl_->native = true;
        return;
    }
    CPINFO info{};
    if (codePage > 0 && IsValidCodePage(static_cast<UINT>(codePage)) &&
        GetCPInfo(static_cast<UINT>(codePage), &info)) {
        impl_->codePage = static_cast<UINT>(codePage);
        impl_->native = true;
        impl_->doubleByte = info.MaxCharSize == 2;
    }
}

CodePageConverter::CodePageConverter(CodePageConverter&&) noexcept = default;
CodePageConverter& CodePageConverter::operator=(CodePageConverter&&) noexcept = default;
CodePageConverter::~CodePageConverter() = default;

bool CodePageConverter::IsNative() const {
    return impl_->native;
}

QString CodePageConverter::Decode(QByteArrayView bytes) {
    if (impl_->utf8) {
        impl_->utf8->resetState();
        return impl_->utf8->decode(bytes);
    }
    const int size = static_cast<int>(bytes.size());
    if (size == 0) {
        return {};
    }
    if (auto whole = DecodeStrictly(impl_->codePage, bytes.data(), size)) {
        return *whole;
    }
    // Something does not decode: one character at a time, U+FFFD for each that fails. A pair
    // whose second byte could never be a trail byte gives that byte back to be read on its own.
    QString text;
    text.reserve(size);
    for (int i = 0; i < size;) {
        const auto byte = static_cast<BYTE>(bytes[i]);
        const bool lead = impl_->doubleByte && IsDBCSLeadByteEx(impl_->codePage, byte);
        if (lead && i + 1 == size) {
            text.append(QChar(kReplacement));  // cut off at the end
            break;
        }
        const int width = lead ? 2 : 1;
        if (auto one = DecodeStrictly(impl_->codePage, bytes.data() + i, width)) {
            text.append(*one);
            i += width;
        } else {
            text.append(QChar(kReplacement));
            i += lead && static_cast<BYTE>(bytes[i + 1]) < 0x40 ? 1 : width;
        }
    }
    return text;
}

}  // namespace ondrel
