// Work handed from a download's thread to the window's thread.
//
// Qt's own cross-thread calls synchronise inside Qt, out of sight of the thread checker the
// tests run under; these hand over through a standard mutex as well, so that every access the
// work makes is visibly ordered after the caller's.
#pragma once

#include <QObject>
#include <functional>

namespace ui {

// Runs the work on the window's thread and returns once it is done (at once when called on
// that thread). The window's thread must be running its events, and the window must outlive
// the call.
void RunOnWindowThread(QObject* window, const std::function<void()>& work);

// Queues the work for the window's thread and returns at once. Dropped if the window is gone
// before its events run.
void PostToWindowThread(QObject* window, std::function<void()> work);

}  // namespace ui
