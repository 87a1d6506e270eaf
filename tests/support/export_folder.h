// A log of some rows and an empty folder of the running test's own to export it into, removed
// again afterwards; for the export's tests on every system.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "wandlink/download_log.h"

namespace testing_support {

inline wandlink::DownloadLog LogOfRows(std::size_t count) {
  wandlink::DownloadLog log;
  log.wandNumber = {'0', '1', '2', '3', '\0'};
  log.readAt = {2024, 3, 5, 14, 7};
  for (std::size_t row = 0; row < count; ++row) {
    log.timeStamps.push_back({"2024-03-05 14:07"});
    wandlink::ButtonNumberText button{};
    std::snprintf(button.data(), button.size(), "%08X", static_cast<unsigned>(row * 2654435761U));
    log.buttonNumbers.push_back(button);
  }
  return log;
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class ExportFolderTest : public testing::Test {
 protected:
  ExportFolderTest() {
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  ~ExportFolderTest() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::vector<std::filesystem::path> Entries() const { return Entries(folder_); }
  static std::vector<std::filesystem::path> Entries(const std::filesystem::path& folder) {
    return std::vector<std::filesystem::path>(std::filesystem::directory_iterator(folder), {});
  }

  std::filesystem::path folder_ =
      std::filesystem::temp_directory_path() /
      ("korvanta-export-" + std::to_string(std::random_device{}()) + "-" +
       testing::UnitTest::GetInstance()->current_test_info()->name());
  wandlink::DownloadLog log_ = LogOfRows(1000);
};

}  // namespace testing_support
