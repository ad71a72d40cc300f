// ondrel-tablet-diag: finds the pen tablet the way the signing program does, opens it, prints
// its extent and then every report, decoded, as it arrives; follows unplugging and plugging in.
// When it cannot, it says why, plainly, and exits non-zero.
//
//   ondrel-tablet-diag [--wait S] [--run S] [--reports N] [--until-unplugged]
//
//   --wait S            wait up to S seconds for a tablet to be plugged in (default 0)
//   --run S             stop after S seconds (default: run until interrupted)
//   --reports N         stop after N reports
//   --until-unplugged   stop once the open tablet has been unplugged
//
// Exit status: 0 the tablet was opened; 1 USB cannot be used at all, or the open failed
// otherwise; 2 no tablet; 3 permission denied; 4 the tablet is busy; 5 the device is not the
// tablet; 6 a tablet is plugged in without the driver that publishes its interface class
// (Windows: WinUSB not bound). ONDREL_TABLET_SIM runs it against the simulated tablet instead
// of the machine's USB stack.

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "tablet/diag/console_window.h"
#include "tablet/diag/diag_platform.h"
#include "tablet/reader_flag.h"
#include "tablet/tablet_connection.h"
#include "tablet/usb/system_usb_port.h"
#include "tablet/usb_port_factory.h"

namespace ondrel {
namespace {

constexpr int EXIT_NO_USB = 1;
constexpr int EXIT_NO_TABLET = 2;
constexpr int EXIT_PERMISSION = 3;
constexpr int EXIT_BUSY = 4;
constexpr int EXIT_NOT_TABLET = 5;
constexpr int EXIT_NO_DRIVER = 6;

struct Options {
    int waitSeconds = 0;
    int runSeconds = -1;
    long reports = -1;
    bool untilUnplugged = false;
};

constexpr const char* USAGE =
    "usage: ondrel-tablet-diag [--wait S] [--run S] [--reports N] [--until-unplugged]\n";

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--until-unplugged") {
            options.untilUnplugged = true;
            continue;
        }
        if (i + 1 >= argc) {
            return false;
        }
        if (arg == "--wait") {
            options.waitSeconds = std::atoi(argv[++i]);
        } else if (arg == "--run") {
            options.runSeconds = std::atoi(argv[++i]);
        } else if (arg == "--reports") {
            options.reports = std::atol(argv[++i]);
        } else {
            return false;
        }
    }
    return true;
}

int Explain(OpenOutcome outcome, bool simulated) {
    switch (outcome) {
        case OpenOutcome::Opened:
            return 0;
        case OpenOutcome::NoDevice: {
            if (simulated) {
                std::printf("no tablet: no USB device with vendor id %04x is connected\n",
                            TABLET_VENDOR_ID);
                return EXIT_NO_TABLET;
            }
            const NoTabletExplanation why = ExplainNoTablet(EXIT_NO_TABLET, EXIT_NO_DRIVER);
            std::fputs(why.text.c_str(), stdout);
            return why.exitStatus;
        }
        case OpenOutcome::AccessDenied:
            std::fputs(AccessDeniedText(), stdout);
            return EXIT_PERMISSION;
        case OpenOutcome::Busy:
            std::fputs(BusyText(), stdout);
            return EXIT_BUSY;
        case OpenOutcome::WrongVendor:
            std::printf(
                "the device is not the tablet: its device descriptor does not carry "
                "vendor id %04x\n",
                TABLET_VENDOR_ID);
            return EXIT_NOT_TABLET;
        case OpenOutcome::NoPipe:
            std::printf(
                "the device is not the tablet: the first endpoint of interface 0 is missing"
                " or not an IN endpoint\n");
            return EXIT_NOT_TABLET;
        case OpenOutcome::Failed:
            break;
    }
    std::fputs(OpenFailedText(), stdout);
    return EXIT_NO_USB;
}

bool Simulated() {
    const char* sim = std::getenv("ONDREL_TABLET_SIM");
    return sim != nullptr && *sim;
}

std::unique_ptr<UsbPort> MakePort() {
    if (Simulated()) {
        std::printf("using the simulated tablet: %s\n", std::getenv("ONDREL_TABLET_SIM"));
        return MakeUsbPort();
    }
    std::string watch;
    std::unique_ptr<UsbPort> port = MakeSystemUsbPort(&watch);
    if (!watch.empty()) {
        std::printf("%s\n", watch.c_str());
    }
    return port;
}

int Run(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(USAGE, stderr);
        return EXIT_NO_USB;
    }
    QCoreApplication app(argc, argv);
    std::unique_ptr<UsbPort> port = MakePort();
    if (!port) {
        std::printf("%s\n", SystemUsbUnavailableText());
        return EXIT_NO_USB;
    }
    for (const UsbDeviceInfo& info : port->ListDevices()) {
        std::printf("found %04x:%04x at %s\n", info.vendorId, info.productId,
                    info.description.c_str());
    }

    ConsoleWindow window(stdout, options.reports, options.untilUnplugged, &QCoreApplication::quit);
    TabletConnection connection(window, std::move(port));
    window.Attach(connection);
    // Every report is shown, so a simulated tablet's strokes need not wait for a visitor.
    connection.SetSigningMode(true);
    connection.RegisterTabletNotifications();
    // Where plugging reaches windows only, this program looks for itself.
    QTimer presence;
    std::function<void()> checkPresence;
    if (!Simulated()) {
        checkPresence =
            MakePresenceCheck([&](UsbDeviceEvent event) { connection.OnDeviceEvent(event); });
    }
    if (checkPresence) {
        std::printf(
            "looking at the tablet's interfaces every second for plugging and unplugging\n");
        QObject::connect(&presence, &QTimer::timeout, &app, checkPresence);
        presence.start(1000);
    }
    bool connected = connection.ConnectTablet();
    if (!connected && options.waitSeconds > 0 &&
        connection.lastOpenOutcome() == OpenOutcome::NoDevice) {
        std::printf("waiting %d s for the tablet\n", options.waitSeconds);
        std::fflush(stdout);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &app, [&] {
            if (connection.isOpen()) {
                QCoreApplication::quit();
            }
        });
        poll.start(50);
        QTimer::singleShot(options.waitSeconds * 1000, &app, &QCoreApplication::quit);
        app.exec();
        connected = connection.isOpen();
    }
    if (!connected) {
        const int status = Explain(connection.lastOpenOutcome(), Simulated());
        g_readerRunning = false;
        connection.Shutdown();
        return status == 0 ? EXIT_NO_USB : status;
    }
    std::printf("reading reports%s\n", options.runSeconds >= 0 ? "" : " (Ctrl-C ends)");
    std::fflush(stdout);
    if (options.runSeconds >= 0) {
        QTimer::singleShot(options.runSeconds * 1000, &app, &QCoreApplication::quit);
    }
    // Reports (or the unplugging) that came while waiting for the tablet may have finished
    // the console already.
    if (options.reports != 0 && !window.finished()) {
        app.exec();
    }
    g_readerRunning = false;
    connection.Shutdown();
    return 0;
}

}  // namespace
}  // namespace ondrel

int main(int argc, char** argv) {
    return ondrel::Run(argc, argv);
}
