// The dialogs' font is "宋体" (SimSun). An installed Korvanta ships a fontconfig alias to a Song
// face; run from the build tree, the same face is put in as Qt's substitute.
#pragma once

namespace ui {

inline constexpr const char* kSongFaceOnLinux = "AR PL UMing CN";

void SubstituteSongFace();

}  // namespace ui
