// The texts the user is shown about the archive (UTF-8).
#pragma once

#include <string>
#include <string_view>

#include "archive.h"

namespace archive {

// Followed by the reason on a second line.
inline constexpr std::string_view kNotArchivedMessage = "读数未存档";
// Followed by the path the old file was moved to.
inline constexpr std::string_view kMovedAsideMessage = "存档文件已损坏,已新建存档。旧文件已移至:";

// What the user is told after an archiving, or an empty text when all went well.
std::string ArchiveResultMessage(const ArchiveResult& result);

}  // namespace archive
