// Download controls that only count the rows a download shows.
#pragma once

#include <string>

#include "wandlink/download_controls.h"

class CountingControls final : public wandlink::DownloadControls {
 public:
  void SetProgress(int) override {}
  void HideProgress() override {}
  void SetCountText(const std::string&) override {}
  void ShowCount() override {}
  void HideCount() override {}
  void EnableCollect() override {}
  void ShowRecords(wandlink::DownloadLog log) override { rows = log.RowCount(); }
  void ShowMessage(const std::string&) override {}
  std::size_t rows = 0;
};
