#include "archive_messages.h"

#include "sqlite_db.h"

namespace archive {

std::string ArchiveResultMessage(const ArchiveResult& result) {
  std::string text;
  if (!result.movedAside.empty()) {
    text = std::string(kMovedAsideMessage) + "\n" + Utf8Path(result.movedAside);
  }
  if (!result.failure.empty()) {
    text += (text.empty() ? "" : "\n") + std::string(kNotArchivedMessage) + "\n" + result.failure;
  }
  return text;
}

}  // namespace archive
