#pragma once

// Whether a file or folder that another account might have put in place can be trusted: a batch
// file found where the site script runner would create one, and the exchange folder that receives
// a visitor's signature. What the platform says about a path (trusted_path_posix.cpp,
// trusted_path_win.cpp) is kept apart from the rules, which are the same everywhere.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace ondrel {

enum class PathOwner {
    DeskUser,       // the account this program runs as
    Administrator,  // root; on Windows the Administrators group or SYSTEM
    Other,          // any other account
    Unknown,        // the platform would not say
};

struct PathFacts {
    bool exists = false;
    bool link = false;  // a symbolic link, or on Windows any reparse point (a junction too)
    bool directory = false;
    bool regularFile = false;
    PathOwner owner = PathOwner::Unknown;
    bool othersMayWrite = false;  // accounts outside the owner and the owning group
};

// Who owns a path, in place of the platform's own answer (tests: Wine keeps no real owners).
using OwnerLookup = std::function<PathOwner(const std::filesystem::path&)>;

// What the platform says about the path itself: a link is looked at, never what it points to.
PathFacts LookAtPath(const std::filesystem::path& path, const OwnerLookup& owner = {});

// Why a folder may not receive signatures, or nothing when it may: it must be a real directory,
// owned by the desk user or an administrator, that other accounts cannot write to.
std::optional<std::string> ExchangeFolderRefusal(const PathFacts& folder);

// Why a batch file that was already there may not run, or nothing when it may: it must be a
// regular file (not a link) that the desk user or an administrator owns.
std::optional<std::string> LeftoverScriptRefusal(const PathFacts& batch);

}  // namespace ondrel
