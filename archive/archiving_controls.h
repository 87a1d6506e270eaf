// The controls a window's download drives, with the archiving put in after the rows: the
// readings the archive knows are shown with their archived time, the table is filled, then the
// download is archived on the download's own thread, and a failure is a message, never a loss
// of the rows.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "archive.h"
#include "wandlink/download_controls.h"

namespace archive {

class ArchivingControls final : public wandlink::DownloadControls {
 public:
  // Without an archive the rows only pass through. inner must outlive every download.
  ArchivingControls(wandlink::DownloadControls& inner, std::optional<Archive> archive)
      : inner_(inner), archive_(std::move(archive)) {}

  // The port the next download reads from; set while no download runs.
  void SetPort(std::string port) { port_ = std::move(port); }
  // Called on the download's thread after an archiving that added readings, so that an open
  // history shows them; a window posts it on to its own thread. Set before any download.
  void SetArchivedHandler(std::function<void()> handler) { archived_ = std::move(handler); }

  void SetProgress(int position) override { inner_.SetProgress(position); }
  void HideProgress() override { inner_.HideProgress(); }
  void SetCountText(const std::string& text) override { inner_.SetCountText(text); }
  void ShowCount() override { inner_.ShowCount(); }
  void HideCount() override { inner_.HideCount(); }
  void EnableCollect() override { inner_.EnableCollect(); }
  void ShowRecords(wandlink::DownloadLog log) override;
  void ShowMessage(const std::string& text) override { inner_.ShowMessage(text); }

 private:
  wandlink::DownloadControls& inner_;
  std::optional<Archive> archive_;
  std::string port_;
  std::function<void()> archived_;
};

}  // namespace archive
