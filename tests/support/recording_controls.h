// Download controls that write down every operation, in order, as a line of text.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "wandlink/download_controls.h"

namespace testing_support {

class EventLog {
 public:
  void Add(std::string event) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
  }
  std::vector<std::string> Events() const {
    std::lock_guard lock(mutex_);
    return events_;
  }
  // The events that start with the prefix, with the prefix taken off.
  std::vector<std::string> Values(const std::string& prefix) const {
    std::vector<std::string> values;
    for (const auto& event : Events()) {
      if (event.rfind(prefix, 0) == 0) {
        values.push_back(event.substr(prefix.size()));
      }
    }
    return values;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> events_;
};

class RecordingControls final : public wandlink::DownloadControls {
 public:
  explicit RecordingControls(EventLog& events) : events_(events) {}

  void SetProgress(int position) override { events_.Add("progress " + std::to_string(position)); }
  void HideProgress() override { events_.Add("hide progress"); }
  void SetCountText(const std::string& text) override { events_.Add("count " + text); }
  void ShowCount() override { events_.Add("show count"); }
  void HideCount() override { events_.Add("hide count"); }
  void EnableCollect() override { events_.Add("enable collect"); }
  void ShowRecords(wandlink::DownloadLog log) override {
    events_.Add("rows " + std::to_string(log.RowCount()));
    log_ = std::move(log);
  }
  void ShowMessage(const std::string& text) override { events_.Add("message " + text); }

  const wandlink::DownloadLog& Log() const { return log_; }

 private:
  EventLog& events_;
  wandlink::DownloadLog log_;
};

}  // namespace testing_support
