#pragma once

// POSIX only: a second account on this machine, for tests of what another account's files and
// folders get from the program. It is made with useradd when it is missing, which needs root.

#include <sys/types.h>

#include <optional>
#include <string>

namespace ondrel::test {

struct OtherAccount {
    uid_t uid = 0;
    gid_t gid = 0;
};

// The account, or nothing with `whyNot` saying why there is none (not root, no useradd).
std::optional<OtherAccount> FindOrMakeOtherAccount(std::string& whyNot);

}  // namespace ondrel::test
