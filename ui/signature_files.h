#pragma once

// The two signature files of the exchange folder: the live preview, rewritten every second
// while the visitor signs, and the final signature that Done writes.
//
// They go only into a folder no other account can reach into (see ExchangeFolderRefusal): any
// other folder counts as missing, and a warning says why.
//
// The area is always copied on the window thread, between two reports. A preview's copy is then
// encoded and written on a worker thread, so that the pen's reports do not wait behind a file of
// several megabytes: at most one preview is in flight, a tick that finds one still in flight is
// skipped, and the final signature, like teardown, waits for it first. The copy and the file's
// bytes are kept from one write to the next, previews and the final signature alike, so that
// each copies and converts only the rows the pen changed (see PreviewFile).

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "imaging/area_capture.h"
#include "imaging/preview_file.h"
#include "imaging/signature_surface.h"
#include "site/trusted_path.h"

namespace ondrel {

// Writes a bitmap as a BMP file, as SaveBitmapToFile does: 1 when written, 0 otherwise.
using BitmapWriter = std::function<int(const Bitmap* bitmap, const std::filesystem::path& path,
                                       int displayDepth, const ReplaceRetry& retry)>;

// A final signature the host holds open (on Windows) is tried again for up to two seconds, in
// small steps, on the thread that writes it; the preview is not: the next tick writes it anew.
inline constexpr int kFinalReplaceTries = 40;
inline constexpr std::chrono::milliseconds kFinalReplacePause{50};

// What tests replace.
struct SignatureFileSeams {
    // PreviewFile::Save, which writes what SaveBitmapToFile would, when empty. A preview's write
    // runs on the worker thread.
    BitmapWriter write;
    // Runs on the waiting thread just before it waits for a preview in flight.
    std::function<void()> beforeWaiting;
    // Runs on the worker once a preview has been written (or has failed) and the next one may
    // be handed on.
    std::function<void()> previewDone;
    // Waits before the final signature's replace is tried again (ReplaceRetry::wait); sleeps for
    // kFinalReplacePause when empty.
    std::function<void(int attempt)> finalReplaceWait;
    // Who owns the exchange folder; the platform's answer when empty.
    OwnerLookup folderOwner;
};

// At start-up: removes the temporary files an earlier run left in the exchange folder (killed
// mid-write) once they are a minute old, when the folder is one the signatures may go into.
void ClearStaleSignatureTemporaries(const std::filesystem::path& exchangeFolder,
                                    const OwnerLookup& folderOwner = {});

class SignatureFiles {
  public:
    explicit SignatureFiles(SignatureFileSeams seams = {});
    ~SignatureFiles();  // waits for a preview in flight
    SignatureFiles(const SignatureFiles&) = delete;
    SignatureFiles& operator=(const SignatureFiles&) = delete;

    // Copies the area now and has the worker write it to `path`, replacing the earlier preview
    // whole. False when nothing was handed on: a preview still in flight, an empty area, or a
    // folder refused.
    bool WritePreview(const SignatureSurface& area, const std::filesystem::path& path,
                      int displayDepth);
    // Waits for a preview in flight, then writes the area to `path`; returns whether it was
    // written. A `path` held open by another program is tried again for a while (see
    // kFinalReplaceTries). When it was not written, an earlier file of that name is removed, so
    // that nobody takes an earlier visitor's signature for this one; a refused folder is not
    // touched at all.
    bool WriteFinal(const SignatureSurface& area, const std::filesystem::path& path,
                    int displayDepth);
    // Returns once no preview is in flight.
    void WaitForPreview();

  private:
    struct Preview {
        PreviewFile file;
        std::filesystem::path path;
        int displayDepth = 0;
    };

    // Whether `file`'s folder may receive a signature; warns once about a folder refused.
    bool FolderAccepted(const std::filesystem::path& file);
    void WriteHandedPreview();
    // Writes the file's last copy (with the seam when there is one) and says how it went.
    int Write(PreviewFile& file, const std::filesystem::path& path, int displayDepth,
              const ReplaceRetry& retry) const;

    SignatureFileSeams seams_;
    // The copy handed to the worker: set before its thread starts, not touched by the window
    // thread again until that thread is joined. The final signature is written from it too.
    std::optional<Preview> preview_;
    std::thread worker_;                 // the last preview's, until it is joined
    std::atomic<bool> inFlight_{false};  // set by the window thread, cleared by the worker
    std::string refusalWarned_;          // the last refusal warned about (window thread)
};

}  // namespace ondrel
