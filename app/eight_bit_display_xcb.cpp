#include <xcb/xcb.h>

#include <QEvent>
#include <QObject>
#include <QPlatformSurfaceEvent>
#include <QWindow>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/eight_bit_display.h"

namespace ondrel {
namespace {

constexpr int kCells = 256;

bool UsesX11() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0' && std::strncmp(platform, "xcb", 3) != 0) {
        return false;
    }
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

// The first 8-bit GrayScale visual of the screen, or 0.
xcb_visualid_t GrayScaleVisual(const xcb_screen_t& screen) {
    for (auto depths = xcb_screen_allowed_depths_iterator(&screen); depths.rem;
         xcb_depth_next(&depths)) {
        if (depths.data->depth != 8) {
            continue;
        }
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->_class == XCB_VISUAL_CLASS_GRAY_SCALE) {
                return visuals.data->visual_id;
            }
        }
    }
    return 0;
}

}  // namespace

struct EightBitDisplay::Impl final : QObject {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    xcb_visualid_t visual = 0;
    xcb_colormap_t colormap = 0;

    ~Impl() override {
        if (connection != nullptr) {
            xcb_disconnect(connection);  // frees the colour map with the connection
        }
    }

    // A colour map of the GrayScale visual whose cell N shows grey N, as Qt's Grayscale8
    // pixels mean.
    void MakeRamp() {
        colormap = xcb_generate_id(connection);
        xcb_create_colormap(connection, XCB_COLORMAP_ALLOC_ALL, colormap, root, visual);
        std::array<xcb_coloritem_t, kCells> cells{};
        for (int i = 0; i < kCells; ++i) {
            const auto level = static_cast<std::uint16_t>(i * 257);
            cells[i] = {static_cast<std::uint32_t>(i),
                        level,
                        level,
                        level,
                        XCB_COLOR_FLAG_RED | XCB_COLOR_FLAG_GREEN | XCB_COLOR_FLAG_BLUE,
                        0};
        }
        xcb_store_colors(connection, colormap, kCells, cells.data());
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PlatformSurface &&
            static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
                QPlatformSurfaceEvent::SurfaceCreated) {
            if (auto* window = qobject_cast<QWindow*>(watched)) {
                const auto id = static_cast<xcb_window_t>(window->winId());
                xcb_change_window_attributes(connection, id, XCB_CW_COLORMAP, &colormap);
                // With no window manager to install a window's colour map, the ramp is
                // installed here; a window manager installs it whenever the window has focus.
                xcb_install_colormap(connection, colormap);
                xcb_flush(connection);
            }
        }
        return false;
    }
};

EightBitDisplay::EightBitDisplay() {
    if (!UsesX11()) {
        return;
    }
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return;  // Qt will say why it cannot use the display
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i) {
        xcb_screen_next(&screens);
    }
    const xcb_screen_t* screen = screens.rem ? screens.data : nullptr;
    xcb_visualid_t gray = 0;
    if (screen != nullptr && screen->root_depth == 8) {
        gray = GrayScaleVisual(*screen);
        if (gray == 0) {
            std::fprintf(stderr,
                         "ondrel-sign: this 8-bit X display has no GrayScale visual, the only "
                         "8-bit one Qt can draw on; use a display of 16 bits or more\n");
        }
    }
    if (gray == 0 || gray == screen->root_visual) {
        xcb_disconnect(connection);
        return;
    }
    impl_ = std::make_unique<Impl>();
    impl_->connection = connection;
    impl_->root = screen->root;
    impl_->visual = gray;
    impl_->MakeRamp();
    xcb_flush(connection);
}

EightBitDisplay::~EightBitDisplay() = default;

std::string EightBitDisplay::visualOption() const {
    if (!impl_) {
        return {};
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(impl_->visual));
    return text;
}

void EightBitDisplay::Watch(QObject& application) {
    if (impl_) {
        application.installEventFilter(impl_.get());
    }
}

}  // namespace ondrel
