// A path's facts from its attributes (a reparse point is never followed) and the owner in its
// security descriptor.

#include <windows.h>
// after windows.h
#include <aclapi.h>

#include <vector>

#include "site/owner_sid_win.h"
#include "site/trusted_path.h"

namespace ondrel {
namespace {

bool IsProcessUser(PSID sid) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    bool same = false;
    if (size != 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        same = EqualSid(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, sid) != FALSE;
    }
    CloseHandle(token);
    return same;
}

PathOwner OwnerOf(const std::filesystem::path& path) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                              nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return PathOwner::Unknown;
    }
    const PathOwner kind = ClassifyOwnerSid(owner);
    LocalFree(descriptor);
    return kind;
}

}  // namespace

PathOwner ClassifyOwnerSid(void* sid) {
    if (sid == nullptr || !IsValidSid(sid)) {
        return PathOwner::Unknown;
    }
    if (IsProcessUser(sid)) {
        return PathOwner::DeskUser;
    }
    if (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
        IsWellKnownSid(sid, WinLocalSystemSid)) {
        return PathOwner::Administrator;
    }
    return PathOwner::Other;
}

// Write access for other accounts is the folder's access list's business on Windows (the
// exchange folder inherits the drive's); only the owner and reparse points are looked at.
PathFacts LookAtPath(const std::filesystem::path& path, const OwnerLookup& owner) {
    PathFacts facts;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return facts;
    }
    facts.exists = true;
    facts.link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    facts.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.regularFile = !facts.directory && (attributes & FILE_ATTRIBUTE_DEVICE) == 0;
    facts.owner = owner ? owner(path) : OwnerOf(path);
    return facts;
}

}  // namespace ondrel
