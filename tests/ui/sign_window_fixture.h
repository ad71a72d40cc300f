#pragma once

// A signing window on the offscreen platform in a site of its own: a temporary working
// directory with the agreement document and a finishing script that records how it was run,
// a temporary exchange folder, settings of its own, and virtual time for the preview.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QUuid>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tablet/reader_flag.h"
#include "tests/support/done_counter.h"
#include "tests/support/gate.h"
#include "tests/support/whole_file.h"
#include "tests/ui/fake_autosave_timer.h"
#include "tests/ui/ui_test_platform.h"
#include "ui/rules/signing_workflow.h"
#include "ui/sign_dialog.h"
#include "ui/sign_dialog_template.h"
#include "ui/signature_area.h"
#include "ui/terms_view.h"

namespace ondrel::test {

// A control of the window's template, found by its identifier's name, as a test of the window
// from outside reaches it.
template <typename T = QWidget>
T* FindControl(const QWidget& window, int id) {
    for (const ControlTemplate& control : kSignDialogControls) {
        if (control.id == id) {
            return window.findChild<T*>(QLatin1String(control.name));
        }
    }
    return nullptr;
}

class SignWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(site_.isValid());
        previousDir_ = QDir::currentPath();
        // In the platform's own spelling, as the window logs the paths it has from there.
        root_ = std::filesystem::path(site_.path().toStdString()).make_preferred();
        exchange_ = root_ / "exchange";
        std::filesystem::create_directories(exchange_);
        std::filesystem::create_directories(root_ / "site" / "config");
        WriteWholeFile(root_ / "site" / "config" / "createSign.txt", kRecordingFinishScript);
        // "访客协议 visitor terms", in the escapes RTF writes Chinese with.
        WriteWholeFile(root_ / "site" / "userAgreement.rtf",
                       "{\\rtf1\\ansi\\uc1 \\u35775?\\u23458?\\u21327?\\u35758? visitor terms}");
        ASSERT_TRUE(QDir::setCurrent(QString::fromStdString((root_ / "site").string())));
        qputenv("ONDREL_EXCHANGE_DIR", QByteArray::fromStdString(exchange_.string()));
        // Settings of its own: a folder where settings are files, and an application name of its
        // own where they are the registry, shared by every run.
        const QString settingsDir = QString::fromStdString((root_ / "settings").string());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir);
        previousApplication_ = QCoreApplication::applicationName();
        application_ = QStringLiteral("ondrel-sign-test-") +
                       QUuid::createUuid().toString(QUuid::WithoutBraces);
        QCoreApplication::setApplicationName(application_);
        g_readerRunning = true;
        g_signingActive = 0;
    }

    void TearDown() override {
        window_.reset();
        QDir::setCurrent(previousDir_);
        qunsetenv("ONDREL_EXCHANGE_DIR");
        if (!application_.isEmpty()) {
            QSettings settings(QStringLiteral("Varnock software"), application_);
            settings.clear();
            settings.sync();
            QCoreApplication::setApplicationName(previousApplication_);
        }
    }

    // Virtual time, and a tick that returns only once its preview is written (the window writes
    // previews on a worker thread), unless a test sets settlePreviews_ to false.
    SignDialogSeams Seams() {
        SignDialogSeams seams;
        seams.makeTimer = [this](int timerId, AutosaveTick onTick) {
            return timeline_.Factory()(timerId, [this, tick = std::move(onTick)](int id) {
                const bool handsOn = settlePreviews_ && Area().surface().width() > 0 &&
                                     Area().surface().height() > 0;
                tick(id);
                if (handsOn) {
                    ++previewsHanded_;
                    EXPECT_TRUE(previewsDone_.WaitFor(previewsHanded_)) << "no preview written";
                }
            });
        };
        seams.messageBox = [this](QWidget*, const QString& text) { messages_.push_back(text); };
        seams.files.previewDone = [this] { previewsDone_.Add(); };
        return seams;
    }

    // A window, shown (and so initialised) unless asked otherwise.
    COndrel_signDlg& OpenWindow(bool show = true) {
        window_ = std::make_unique<COndrel_signDlg>(Seams());
        if (show) {
            window_->show();
        }
        return *window_;
    }

    QPushButton* Button(int id) const { return FindControl<QPushButton>(*window_, id); }
    QWidget* Control(int id) const { return FindControl(*window_, id); }
    SignatureArea& Area() const { return *FindControl<SignatureArea>(*window_, IDC_SIGN_AREA); }
    TermsView* Terms() const { return FindControl<TermsView>(*window_, IDC_TERMS_VIEW); }
    // The window's preview timer.
    const AutosaveTimer& Autosave() { return timeline_.last(); }

    std::filesystem::path Preview() const { return exchange_ / "sign-temp.bmp"; }
    std::filesystem::path Final() const { return exchange_ / "sign.bmp"; }
    std::filesystem::path ScriptRuns() const { return root_ / "site" / "script-runs.txt"; }
    // What the finishing script recorded (see RecordedScriptRuns).
    std::string ScriptRunsText() const { return RecordedScriptRuns(SiteDir()); }
    std::filesystem::path SiteDir() const { return root_ / "site"; }

    QTemporaryDir site_;
    QString previousDir_;
    QString previousApplication_;
    QString application_;
    std::filesystem::path root_;
    std::filesystem::path exchange_;
    FakeTimeline timeline_;
    bool settlePreviews_ = true;
    int previewsHanded_ = 0;
    DoneCounter previewsDone_;
    std::vector<QString> messages_;
    std::unique_ptr<COndrel_signDlg> window_;
};

}  // namespace ondrel::test
