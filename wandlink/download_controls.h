// The controls a download drives: progress bar, count label, collect button, records list,
// and the message box. The window implements them with its widgets, the command-line collector
// with the console, tests with recorders. Every call comes from the download's thread; an
// implementation carries it out wherever its controls live and returns once it is done.
#pragma once

#include <string>

#include "download_log.h"

namespace wandlink {

class DownloadControls {
 public:
  virtual ~DownloadControls() = default;

  // Progress bar, range 0 to 99.
  virtual void SetProgress(int position) = 0;
  virtual void HideProgress() = 0;

  // Count label.
  virtual void SetCountText(const std::string& text) = 0;
  virtual void ShowCount() = 0;
  virtual void HideCount() = 0;

  // Collect button; the download only ever gives it back.
  virtual void EnableCollect() = 0;

  // Records list: all rows of a complete download at once.
  virtual void ShowRecords(DownloadLog log) = 0;

  // A message with one OK button; returns once the user has acknowledged it.
  virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace wandlink
