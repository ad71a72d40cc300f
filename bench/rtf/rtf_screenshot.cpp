// Renders RTF files in a QTextEdit the way the terms view shows them and saves a screenshot
// of each, for comparison with reference renderings. Run under a display (e.g. xvfb-run):
//   rtf_screenshot OUTPUT_DIR FILE.rtf...
// OUTPUT_DIR is made when missing. Exits non-zero when a file could not be read or saved.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextEdit>
#include <cstdio>

#include "rtf/rtf_stream_reader.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR FILE.rtf...\n", argv[0]);
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[1]));
    if (!output.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make the folder %s\n", argv[1]);
        return 1;
    }
    int status = 0;
    for (int i = 2; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot open %s\n", argv[i]);
            status = 1;
            continue;
        }
        QTextEdit view;
        view.resize(827, 1169);  // an A4 page at 100 dpi, as the references are drawn
        ondrel::RtfStreamReader reader(view.document());
        const QByteArray bytes = file.readAll();
        reader.Feed(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        reader.Finish();
        view.moveCursor(QTextCursor::Start);  // the beginning, as the reference page shows
        view.show();
        QApplication::processEvents();
        const QString name = QFileInfo(file).completeBaseName() + QStringLiteral(".view.png");
        const QString saved = output.filePath(name);
        if (!view.grab().save(saved)) {
            std::fprintf(stderr, "cannot save %s\n", qPrintable(saved));
            status = 1;
        }
    }
    return status;
}
