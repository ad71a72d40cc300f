// Windows only: which owners of a batch file or of the exchange folder are trusted.
#include <windows.h>
// after windows.h
#include <gtest/gtest.h>
#include <sddl.h>

#include <vector>

#include "site/owner_sid_win.h"

namespace ondrel {
namespace {

std::vector<BYTE> WellKnown(WELL_KNOWN_SID_TYPE type) {
    std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
    DWORD size = static_cast<DWORD>(sid.size());
    EXPECT_TRUE(CreateWellKnownSid(type, nullptr, sid.data(), &size));
    return sid;
}

TEST(ClassifyOwnerSid, TheProcessUserAdministratorsAndSystemAreTrustedNobodyElse) {
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, user.data(), size, &size));
    CloseHandle(token);
    EXPECT_EQ(ClassifyOwnerSid(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid),
              PathOwner::DeskUser);

    EXPECT_EQ(ClassifyOwnerSid(WellKnown(WinBuiltinAdministratorsSid).data()),
              PathOwner::Administrator);
    EXPECT_EQ(ClassifyOwnerSid(WellKnown(WinLocalSystemSid).data()), PathOwner::Administrator);
    EXPECT_EQ(ClassifyOwnerSid(WellKnown(WinBuiltinUsersSid).data()), PathOwner::Other);
    EXPECT_EQ(ClassifyOwnerSid(WellKnown(WinWorldSid).data()), PathOwner::Other);

    PSID another = nullptr;
    ASSERT_TRUE(ConvertStringSidToSidW(L"S-1-5-21-1004336348-1177238915-682003330-1001", &another));
    EXPECT_EQ(ClassifyOwnerSid(another), PathOwner::Other);
    LocalFree(another);
    EXPECT_EQ(ClassifyOwnerSid(nullptr), PathOwner::Unknown);
}

}  // namespace
}  // namespace ondrel
