// A scratch folder of the running test's own, removed again afterwards, and a ports folder in
// it that KORVANTA_PORTS names while the test runs.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace testing_support {

class ScratchFolder {
 public:
  ScratchFolder()
      : path_(std::filesystem::temp_directory_path() /
              ("korvanta-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name())) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

class ScratchPorts {
 public:
  ScratchPorts() { ::setenv("KORVANTA_PORTS", folder_.Path().c_str(), 1); }

  // Makes the port name an entry that leads to the device.
  void Link(const char* port, const std::filesystem::path& device) {
    std::filesystem::remove(folder_.Path() / port);
    std::filesystem::create_symlink(device, folder_.Path() / port);
  }
  // A path in the folder where nothing is.
  std::filesystem::path Nowhere() const { return folder_.Path() / "unplugged"; }

 private:
  ScratchFolder folder_;
};

}  // namespace testing_support
