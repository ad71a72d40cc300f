#include "rtf/rtf_picture_budget.h"

#include "rtf/rtf_log.h"

namespace ondrel {

namespace {

QString Megabytes(qint64 bytes) {
    return QStringLiteral("%1 MB").arg((bytes + (1 << 20) - 1) >> 20);
}

}  // namespace

RtfPictureBudget::RtfPictureBudget(const RtfLimits& limits)
    : perPicture_(limits.pictureBytes),
      left_(limits.allPicturesBytes),
      total_(limits.allPicturesBytes) {}

qint64 RtfPictureBudget::DecodedBytes(QSize pixels) {
    return qint64{pixels.width()} * pixels.height() * 4;  // 32 bits a pixel once decoded
}

bool RtfPictureBudget::Take(int number, QSize pixels) {
    const qint64 bytes = DecodedBytes(pixels);
    if (bytes > perPicture_) {
        qCWarning(lcTerms).noquote()
            << QStringLiteral(
                   "agreement picture %1 left out: its %2x%3 pixels take %4 decoded, "
                   "more than the %5 one picture may take")
                   .arg(number)
                   .arg(pixels.width())
                   .arg(pixels.height())
                   .arg(Megabytes(bytes), Megabytes(perPicture_));
        return false;
    }
    if (bytes > left_) {
        qCWarning(lcTerms).noquote()
            << QStringLiteral(
                   "agreement picture %1 left out: its %2x%3 pixels take %4 decoded, "
                   "and the pictures before it have used all but %5 of the %6 all "
                   "pictures may take")
                   .arg(number)
                   .arg(pixels.width())
                   .arg(pixels.height())
                   .arg(Megabytes(bytes), Megabytes(left_), Megabytes(total_));
        return false;
    }
    left_ -= bytes;
    return true;
}

void RtfPictureBudget::GiveBack(QSize pixels) {
    left_ += DecodedBytes(pixels);
}

void RtfPictureBudget::LeaveOutData(int number, qint64 bytes) {
    qCWarning(lcTerms).noquote() << QStringLiteral(
                                        "agreement picture %1 left out: its data is larger than %2")
                                        .arg(number)
                                        .arg(Megabytes(bytes));
}

}  // namespace ondrel
