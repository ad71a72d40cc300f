// A path's facts from lstat(): the link itself, its owner by user id, and the "other" write bit.

#include <sys/stat.h>
#include <unistd.h>

#include "site/trusted_path.h"

namespace ondrel {

PathFacts LookAtPath(const std::filesystem::path& path, const OwnerLookup& owner) {
    PathFacts facts;
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return facts;
    }
    facts.exists = true;
    facts.link = S_ISLNK(status.st_mode);
    facts.directory = S_ISDIR(status.st_mode);
    facts.regularFile = S_ISREG(status.st_mode);
    facts.othersMayWrite = (status.st_mode & S_IWOTH) != 0;
    if (owner) {
        facts.owner = owner(path);
    } else if (status.st_uid == ::geteuid()) {
        facts.owner = PathOwner::DeskUser;
    } else if (status.st_uid == 0) {
        facts.owner = PathOwner::Administrator;
    } else {
        facts.owner = PathOwner::Other;
    }
    return facts;
}

}  // namespace ondrel
