#pragma once

#include <QSize>
#include <QtGlobal>

#include "rtf/rtf_limits.h"

namespace ondrel {

// The memory the agreement's pictures may take decoded, judged before any of them is decoded
// from the size each one's data declares. A picture left out is logged with its number (1 for
// the document's first picture) and the reason.
class RtfPictureBudget {
  public:
    explicit RtfPictureBudget(const RtfLimits& limits);

    // Whether picture `number` of the given size may be shown; if so its share is taken.
    bool Take(int number, QSize pixels);
    // Gives back what Take took, for a picture that was not shown after all.
    void GiveBack(QSize pixels);
    // Picture `number` is left out because its data alone exceeds `bytes`.
    static void LeaveOutData(int number, qint64 bytes);

  private:
    static qint64 DecodedBytes(QSize pixels);

    qint64 perPicture_;
    qint64 left_;
    qint64 total_;
};

}  // namespace ondrel
