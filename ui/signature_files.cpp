#include "ui/signature_files.h"

#include <optional>
#include <system_error>
#include <utility>

#include "imaging/bmp_temporary_files.h"
#include "site/path_text.h"
#include "ui/files_log.h"

namespace ondrel {
namespace {

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

}  // namespace

void ClearStaleSignatureTemporaries(const std::filesystem::path& exchangeFolder,
                                    const OwnerLookup& folderOwner) {
    if (ExchangeFolderRefusal(LookAtPath(exchangeFolder, folderOwner))) {
        return;  // not ours to clear; the first write says why
    }
    const int removed = RemoveStaleSignatureTemporaries(
        exchangeFolder, std::filesystem::file_time_type::clock::now());
    if (removed > 0) {
        qCInfo(lcFiles) << "removed" << removed << "temporary files an earlier run left in"
                        << PathText(exchangeFolder);
    }
}

SignatureFiles::SignatureFiles(SignatureFileSeams seams) : seams_(std::move(seams)) {}

SignatureFiles::~SignatureFiles() {
    WaitForPreview();
}

bool SignatureFiles::WritePreview(const SignatureSurface& area, const std::filesystem::path& path,
                                  int displayDepth) {
    if (inFlight_.load(std::memory_order_acquire)) {
        qCInfo(lcFiles) << "the last preview is still being written: this tick is skipped";
        return false;
    }
    if (!FolderAccepted(path)) {
        return false;
    }
    WaitForPreview();  // it has finished; only its thread is left to collect
    if (!preview_) {
        preview_.emplace();
    }
    // Into the last preview's memory, which the worker is done with.
    if (!preview_->file.Capture(area)) {
        qCInfo(lcFiles) << "the signature area is empty: nothing written to" << PathText(path);
        return false;
    }
    preview_->path = path;
    preview_->displayDepth = displayDepth;
    inFlight_.store(true, std::memory_order_release);
    try {
        worker_ = std::thread([this] { WriteHandedPreview(); });
    } catch (const std::system_error& error) {
        qCInfo(lcFiles) << "no thread for the preview (" << error.what() << "): written here";
        WriteHandedPreview();
    }
    return true;
}

bool SignatureFiles::WriteFinal(const SignatureSurface& area, const std::filesystem::path& path,
                                int displayDepth) {
    WaitForPreview();
    if (!FolderAccepted(path)) {
        return false;
    }
    // From the previews' copy: only what the pen changed since the last one is copied again.
    if (!preview_) {
        preview_.emplace();
    }
    if (!preview_->file.Capture(area)) {
        qCInfo(lcFiles) << "the signature area is empty: nothing written to" << PathText(path);
    } else {
        ReplaceRetry retry;
        retry.tries = kFinalReplaceTries;
        retry.pause = kFinalReplacePause;
        retry.wait = [this, &path](int attempt) {
            if (attempt == 1) {
                qCInfo(lcFiles) << PathText(path) << "is held open by another program: trying again"
                                << "for up to" << (kFinalReplaceTries * kFinalReplacePause).count()
                                << "ms";
            }
            if (seams_.finalReplaceWait) {
                seams_.finalReplaceWait(attempt);
            } else {
                std::this_thread::sleep_for(kFinalReplacePause);
            }
        };
        if (Write(preview_->file, path, displayDepth, retry) == 1) {
            return true;
        }
    }
    // The finishing script and the host must find no file rather than the last visitor's.
    std::error_code error;
    if (std::filesystem::remove(path, error)) {
        qCInfo(lcFiles) << "removed the earlier" << PathText(path);
    } else if (error) {
        qCWarning(lcFiles) << "could not remove the earlier" << PathText(path) << "("
                           << error.message().c_str() << "): it is not this visitor's signature";
    }
    return false;
}

bool SignatureFiles::FolderAccepted(const std::filesystem::path& file) {
    const std::filesystem::path folder = FolderOf(file);
    const PathFacts facts = LookAtPath(folder, seams_.folderOwner);
    if (!facts.exists) {
        return true;  // the write fails, as it always did without the folder, and says so
    }
    const std::optional<std::string> refusal = ExchangeFolderRefusal(facts);
    if (!refusal) {
        refusalWarned_.clear();
        return true;
    }
    if (*refusal != refusalWarned_) {
        qCWarning(lcFiles) << "no signature is written into" << PathText(folder) << ":"
                           << refusal->c_str()
                           << "(it must be a folder of the desk user or an administrator that no "
                              "other account may write to)";
        refusalWarned_ = *refusal;
    }
    return false;
}

void SignatureFiles::WaitForPreview() {
    if (!worker_.joinable()) {
        return;
    }
    if (inFlight_.load(std::memory_order_acquire) && seams_.beforeWaiting) {
        seams_.beforeWaiting();
    }
    worker_.join();
}

void SignatureFiles::WriteHandedPreview() {
    // Not tried again while the host holds it: the next tick writes a newer one.
    Write(preview_->file, preview_->path, preview_->displayDepth, ReplaceRetry{});
    inFlight_.store(false, std::memory_order_release);
    if (seams_.previewDone) {
        seams_.previewDone();
    }
}

int SignatureFiles::Write(PreviewFile& file, const std::filesystem::path& path, int displayDepth,
                          const ReplaceRetry& retry) const {
    const Bitmap& bitmap = file.bitmap();
    const int result = seams_.write ? seams_.write(&bitmap, path, displayDepth, retry)
                                    : file.Save(path, displayDepth, retry);
    if (result == 1) {
        qCInfo(lcFiles) << "wrote" << PathText(path) << bitmap.width << "x" << bitmap.height
                        << "display depth" << displayDepth;
    } else {
        qCInfo(lcFiles) << "could not write" << PathText(path)
                        << "(does the exchange folder exist, may this user write to it, and is "
                           "the file not held open by another program?)";
    }
    return result;
}

}  // namespace ondrel
