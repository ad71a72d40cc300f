#pragma once

// The warnings of the files logging category ("ondrel.files"), collected while it lives.

#include <QMessageLogContext>
#include <QString>
#include <QtGlobal>
#include <mutex>

namespace ondrel::test {

// Collects the messages of the files logging category.
class FilesLogCapture {
  public:
    FilesLogCapture() {
        instance_ = this;
        previous_ = qInstallMessageHandler(&FilesLogCapture::Handle);
    }
    ~FilesLogCapture() {
        qInstallMessageHandler(previous_);
        instance_ = nullptr;
    }
    FilesLogCapture(const FilesLogCapture&) = delete;
    FilesLogCapture& operator=(const FilesLogCapture&) = delete;

    QString warnings() {
        std::lock_guard lock(mutex_);
        return warnings_;
    }

  private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtWarningMsg && context.category != nullptr &&
            QLatin1String(context.category) == QLatin1String("ondrel.files")) {
            std::lock_guard lock(instance_->mutex_);
            instance_->warnings_ += text + QLatin1Char('\n');
        }
    }

    static inline FilesLogCapture* instance_ = nullptr;
    QtMessageHandler previous_ = nullptr;
    std::mutex mutex_;
    QString warnings_;
};

}  // namespace ondrel::test
