#pragma once

// Qt's X11 backend has no image format for the colour-mapped visuals (PseudoColor) that an 8-bit
// X display offers by default (a remote desktop session at 256 colours, say): every widget's
// painter fails to start and the terms view then crashes drawing its cursor. It can paint on an
// 8-bit GrayScale visual, which such displays offer too, but leaves that visual's colour map
// black. EightBitDisplay picks the GrayScale visual for the program and gives its windows a grey
// ramp, so the window shows in shades of grey, and the signature files keep the display's 8 bits.

#include <memory>
#include <string>

class QObject;

namespace ondrel {

class EightBitDisplay {
  public:
    // Looks at the X display the program is about to use; nothing happens on other displays and
    // platforms.
    EightBitDisplay();
    ~EightBitDisplay();
    EightBitDisplay(const EightBitDisplay&) = delete;
    EightBitDisplay& operator=(const EightBitDisplay&) = delete;

    // The visual the application must use ("0x22"), as the value of Qt's "-visual" option;
    // empty when the display needs none.
    std::string visualOption() const;
    // Once the application exists: gives each window the grey ramp as it is created. The
    // returned filter lives as long as this object.
    void Watch(QObject& application);

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace ondrel
