// The main dialog's own window messages, in one place so that none collides with another.
#pragma once

#include <windows.h>

namespace winui {

// Sent by a download's thread: run at once the work handed over under the ticket wParam.
inline constexpr UINT kRunWorkMessage = WM_APP + 1;
// Posted by a download's thread: start the timer wParam of the work scheduled under it.
inline constexpr UINT kScheduleWorkMessage = WM_APP + 2;
// Posted by a download's thread as its last step; only wakes the window's message loop.
inline constexpr UINT kWorkerFinishedMessage = WM_APP + 3;
// Posted by a download's thread once the download's new readings are archived: an open history
// shows them. From anyone else it only reads the archive again.
inline constexpr UINT kArchivedMessage = WM_APP + 4;

}  // namespace winui
