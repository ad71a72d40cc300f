#include "tablet/tablet_log.h"

namespace ondrel {

Q_LOGGING_CATEGORY(lcTablet, "ondrel.tablet", QtWarningMsg)

const char* DescribeOpenOutcome(OpenOutcome outcome) {
    switch (outcome) {
        case OpenOutcome::Opened:
            return "opened";
        case OpenOutcome::NoDevice:
            return "no tablet connected";
        case OpenOutcome::AccessDenied:
            return "permission denied (is the udev rule installed?)";
        case OpenOutcome::Busy:
            return "busy: another program has claimed the tablet";
        case OpenOutcome::WrongVendor:
            return "the device is not the tablet (wrong vendor)";
        case OpenOutcome::NoPipe:
            return "the tablet has no report pipe";
        case OpenOutcome::Failed:
            return "could not be opened";
    }
    return "unknown";
}

}  // namespace ondrel
