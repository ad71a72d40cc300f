// Where the program looks for a library it loads by name, once it has restricted the search:
// never in the working folder (the site folder, which the desk's user can write), still in the
// program's own folder (where Qt and its plugins are).

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "app/dll_search.h"

namespace ondrel {
namespace {

namespace fs = std::filesystem;

fs::path ProgramFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(std::wstring(path, length)).parent_path();
}

// A library of its own name made from one beside the program (the mingw runtime, which needs
// nothing but the system), so that only a search can find it.
fs::path PlaceLibrary(const fs::path& folder, const std::wstring& name) {
    const fs::path target = folder / name;
    fs::copy_file(ProgramFolder() / L"libgcc_s_seh-1.dll", target,
                  fs::copy_options::overwrite_existing);
    return target;
}

bool LoadsByName(const std::wstring& name) {
    const HMODULE module = LoadLibraryW(name.c_str());
    if (module == nullptr) {
        return false;
    }
    FreeLibrary(module);
    return true;
}

TEST(LibrarySearch, TheWorkingFolderIsNotSearchedAndTheProgramsFolderStillIs) {
    const fs::path work =
        fs::temp_directory_path() / ("ondrel-dll-search-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(work);
    const fs::path planted = PlaceLibrary(work, L"ondrel-planted-probe.dll");
    const fs::path beside = PlaceLibrary(ProgramFolder(), L"ondrel-beside-probe.dll");
    const fs::path before = fs::current_path();
    fs::current_path(work);

    // The standard order takes a library from the working folder.
    const bool plantedFoundBefore = LoadsByName(L"ondrel-planted-probe.dll");
    RestrictLibrarySearch();
    const bool plantedFoundAfter = LoadsByName(L"ondrel-planted-probe.dll");
    const bool besideFoundAfter = LoadsByName(L"ondrel-beside-probe.dll");

    fs::current_path(before);
    fs::remove(beside);
    fs::remove_all(work);
    if (!plantedFoundBefore) {
        GTEST_SKIP() << "the working folder is not searched here in the first place";
    }
    EXPECT_FALSE(plantedFoundAfter) << "a library planted in the working folder was loaded";
    EXPECT_TRUE(besideFoundAfter) << "a library beside the program was not found";
}

}  // namespace
}  // namespace ondrel
