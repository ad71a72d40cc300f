#include "ui/signature_files.h"

#include <optional>
#include <utility>

#include "ui/files_log.h"

namespace ondrel {

SignatureFiles::SignatureFiles(SignatureFileSeams seams) : seams_(std::move(seams)) {
    if (!seams_.write) {
        seams_.write = SaveBitmapToFile;
    }
}

bool SignatureFiles::WritePreview(const SignatureSurface& area, const std::filesystem::path& path,
                                  int displayDepth) {
    return Write(area, path, displayDepth);
}

bool SignatureFiles::WriteFinal(const SignatureSurface& area, const std::filesystem::path& path,
                                int displayDepth) {
    return Write(area, path, displayDepth);
}

bool SignatureFiles::Write(const SignatureSurface& area, const std::filesystem::path& path,
                           int displayDepth) const {
    const std::optional<Bitmap> bitmap =
        CopyAreaToBitmap(Rect{0, 0, area.width(), area.height()}, area);
    if (!bitmap) {
        qCInfo(lcFiles) << "the signature area is empty: nothing written to" << path.c_str();
        return false;
    }
    if (seams_.write(&*bitmap, path, displayDepth) != 1) {
        qCInfo(lcFiles) << "could not write" << path.c_str()
                        << "(does the exchange folder exist, and may this user write to it?)";
        return false;
    }
    qCInfo(lcFiles) << "wrote" << path.c_str() << bitmap->width << "x" << bitmap->height
                    << "display depth" << displayDepth;
    return true;
}

}  // namespace ondrel
