#include "app/eight_bit_display.h"

// Displays other than X11 need nothing.
namespace ondrel {

struct EightBitDisplay::Impl {};

EightBitDisplay::EightBitDisplay() = default;
EightBitDisplay::~EightBitDisplay() = default;

std::string EightBitDisplay::visualOption() const {
    return {};
}

void EightBitDisplay::Watch(QObject& /*application*/) {}

}  // namespace ondrel
