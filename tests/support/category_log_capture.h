#pragma once

// The warnings of one logging category, collected while the capture lives.

#include <QLatin1String>
#include <QMessageLogContext>
#include <QString>
#include <QtGlobal>
#include <mutex>

namespace ondrel::test {

class CategoryLogCapture {
  public:
    explicit CategoryLogCapture(const char* category) : category_(category) {
        instance_ = this;
        previous_ = qInstallMessageHandler(&CategoryLogCapture::Handle);
    }
    ~CategoryLogCapture() {
        qInstallMessageHandler(previous_);
        instance_ = nullptr;
    }
    CategoryLogCapture(const CategoryLogCapture&) = delete;
    CategoryLogCapture& operator=(const CategoryLogCapture&) = delete;

    QString warnings() {
        std::lock_guard lock(mutex_);
        return warnings_;
    }

  private:
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtWarningMsg && context.category != nullptr &&
            QLatin1String(context.category) == QLatin1String(instance_->category_)) {
            std::lock_guard lock(instance_->mutex_);
            instance_->warnings_ += text + QLatin1Char('\n');
        }
    }

    static inline CategoryLogCapture* instance_ = nullptr;
    const char* category_;
    QtMessageHandler previous_ = nullptr;
    std::mutex mutex_;
    QString warnings_;
};

}  // namespace ondrel::test
