#include "site/trusted_path.h"

namespace ondrel {
namespace {

std::optional<std::string> OwnerRefusal(PathOwner owner) {
    switch (owner) {
        case PathOwner::DeskUser:
        case PathOwner::Administrator:
            return std::nullopt;
        case PathOwner::Other:
            return "another account owns it";
        case PathOwner::Unknown:
            break;
    }
    return "its owner cannot be told";
}

}  // namespace

std::optional<std::string> ExchangeFolderRefusal(const PathFacts& folder) {
    if (!folder.exists) {
        return "it does not exist";
    }
    if (folder.link) {
        return "it is a link, not a folder of its own";
    }
    if (!folder.directory) {
        return "it is not a folder";
    }
    if (auto refusal = OwnerRefusal(folder.owner)) {
        return refusal;
    }
    if (folder.othersMayWrite) {
        return "other accounts may write to it";
    }
    return std::nullopt;
}

std::optional<std::string> LeftoverScriptRefusal(const PathFacts& batch) {
    if (!batch.exists) {
        return "it does not exist";
    }
    if (batch.link) {
        return "it is a link";
    }
    if (!batch.regularFile) {
        return "it is not a regular file";
    }
    return OwnerRefusal(batch.owner);
}

}  // namespace ondrel
