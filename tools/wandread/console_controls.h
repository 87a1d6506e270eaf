// The download's controls on a console: messages go to stderr, the count label becomes a live
// "records: N" line on stderr when that is a terminal, and the rows are kept for the caller.
#pragma once

#include <cstdio>
#include <optional>

#include "wandlink/download_controls.h"

namespace wandread {

class ConsoleControls final : public wandlink::DownloadControls {
 public:
  // Progress is shown only when showProgress is set (stderr is a terminal).
  ConsoleControls(std::FILE* messages, bool showProgress)
      : messages_(messages), showProgress_(showProgress) {}

  void SetProgress(int) override {}
  void HideProgress() override {}
  void SetCountText(const std::string& text) override;
  void ShowCount() override {}
  void HideCount() override;
  void EnableCollect() override {}
  void ShowRecords(wandlink::DownloadLog log) override { log_ = std::move(log); }
  void ShowMessage(const std::string& text) override;

  // The rows of a complete download with records.
  const std::optional<wandlink::DownloadLog>& Log() const { return log_; }
  std::optional<wandlink::DownloadLog>& Log() { return log_; }

 private:
  void ClearProgressLine();

  std::FILE* messages_;
  bool showProgress_;
  bool progressLineShown_ = false;
  std::optional<wandlink::DownloadLog> log_;
};

}  // namespace wandread
