// Qt draws no metafiles, and neither does any library this build has: the view shows a
// placeholder of the picture's size.

#include "rtf/rtf_metafile.h"

namespace ondrel {

QImage RenderMetafile(const QByteArray&, bool, QSize) {
    return {};
}

}  // namespace ondrel
