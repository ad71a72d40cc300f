#pragma once

// A fresh folder for one test, removed afterwards; optionally the working directory meanwhile.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace ondrel::test {

class TempFolder {
  public:
    TempFolder() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        // Parametrised and typed tests have a '/' in their names: one folder, not nested ones.
        std::string name = std::string("ondrel-") + info->test_suite_name() + "-" + info->name() +
                           "-" + std::to_string(std::random_device{}());
        std::replace(name.begin(), name.end(), '/', '_');
        path_ = std::filesystem::temp_directory_path() / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        if (!previous_.empty()) {
            std::filesystem::current_path(previous_);
        }
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    void EnterAsWorkingDirectory() {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    std::filesystem::path Write(const std::filesystem::path& relative, const std::string& text) {
        const auto file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }

  private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

}  // namespace ondrel::test
