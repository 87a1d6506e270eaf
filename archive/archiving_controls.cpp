#include "archiving_controls.h"

#include <iostream>

#include "archive_messages.h"

namespace archive {

void ArchivingControls::ShowRecords(wandlink::DownloadLog log) {
  if (!archive_) {
    inner_.ShowRecords(std::move(log));
    return;
  }
  ApplyArchivedTimes(*archive_, log);
  // The rows go to the window; the archive needs only what identifies and dates them.
  wandlink::DownloadLog kept{.wandNumber = log.wandNumber,
                             .readAt = log.readAt,
                             .timeStamps = log.timeStamps,
                             .buttonNumbers = log.buttonNumbers,
                             .frames = log.frames,
                             .monthMode = log.monthMode};
  inner_.ShowRecords(std::move(log));
  const ArchiveResult result = ArchiveDownload(*archive_, kept, port_);
  if (const std::string message = ArchiveResultMessage(result); !message.empty()) {
    std::cerr << "archive: " << archive_->file.string() << ": " << message << '\n';
    inner_.ShowMessage(message);
  }
  if (result.added > 0 && archived_) {
    archived_();
  }
}

}  // namespace archive
