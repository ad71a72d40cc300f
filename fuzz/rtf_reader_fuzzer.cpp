// Feeds arbitrary bytes through the RTF reader, in chunks whose size the input's first byte
// picks, and lays the result out: nothing may crash, leak, hang or trip a sanitizer.
#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>

#include "rtf/rtf_stream_reader.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: libFuzzer ends the process with exit(), and Qt's teardown must not
    // run during static destruction.
    static auto* app = new QGuiApplication(*argc, *argv);
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QTextDocument document;
    {
        ondrel::RtfStreamReader reader(&document);
        const std::size_t chunk = size == 0 ? 1 : (data[0] % 4 == 0 ? size : data[0] % 61 + 1);
        for (std::size_t pos = 0; pos < size; pos += chunk) {
            const std::size_t piece = size - pos < chunk ? size - pos : chunk;
            reader.Feed(reinterpret_cast<const char*>(data) + pos, piece);
        }
        reader.Finish();
    }
    document.setTextWidth(600);
    (void)document.documentLayout()->documentSize();
    (void)document.toPlainText();
    // Qt trims its font cache from a timer; without an event loop the cache of every random
    // font name would only grow.
    static unsigned runs = 0;
    if (++runs % 512 == 0) {
        QCoreApplication::processEvents();
    }
    return 0;
}
