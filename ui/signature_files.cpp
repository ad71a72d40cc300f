#include "ui/signature_files.h"

#include <optional>
#include <system_error>
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
    if (Write(area, path, displayDepth)) {
        return true;
    }
    // The finishing script and the host must find no file rather than the last visitor's.
    std::error_code error;
    if (std::filesystem::remove(path, error)) {
        qCInfo(lcFiles) << "removed the earlier" << path.c_str();
    } else if (error) {
        qCWarning(lcFiles) << "could not remove the earlier" << path.c_str() << "("
                           << error.message().c_str() << "): it is not this visitor's signature";
    }
    return false;
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
