#include "download.h"

#include <iostream>
#include <string>

#include "messages.h"

namespace wandlink {
namespace {

using namespace std::chrono_literals;

constexpr std::uint8_t kProbe = 0x30;
constexpr std::uint8_t kIdentify = 0x55;
constexpr std::uint8_t kFirstRecord = 0x04;
constexpr std::uint8_t kNextRecord = 0x00;

// A wand that keeps its month in the low digit answers the probe with at most this many bytes.
constexpr std::size_t kLowNibbleProbeAnswer = 25;

constexpr auto kProbeAnswerWait = 650ms;
constexpr auto kPauseAfterFailure = 300ms;
constexpr auto kPauseAfterClockFrame = 100ms;

constexpr int kProgressAfterProbe = 1;
constexpr int kProgressAfterFirstRecord = 2;
constexpr int kProgressWrap = 99;
constexpr int kProgressDone = 99;

class Download {
 public:
  explicit Download(DownloadContext& context)
      : port_(*context.port),
        controls_(*context.controls),
        stop_(*context.stop),
        context_(context) {}

  DownloadOutcome Run() {
    Send(kProbe);
    controls_.SetProgress(kProgressAfterProbe);
    if (!Pause(kProbeAnswerWait)) {
      return Cancel();
    }
    const MonthMode monthMode =
        port_.InputQueueCount() <= kLowNibbleProbeAnswer ? MonthMode::LowNibble : MonthMode::Bcd;
    Trace(monthMode == MonthMode::LowNibble ? "month mode: low digit" : "month mode: BCD");

    if (!Exchange(kIdentify)) {
      return Cancelled() ? Cancel() : FailBeforeRecords();
    }
    log_.wandNumber = FormatWandNumber(reply_);
    log_.timeStamps.reserve(RecordCapacity);
    log_.buttonNumbers.reserve(RecordCapacity);
    log_.frames.reserve(RecordCapacity);
    log_.monthMode = monthMode;

    const bool firstArrived = Exchange(kFirstRecord);
    controls_.ShowCount();
    countShown_ = true;
    if (!firstArrived) {
      return Cancelled() ? Cancel() : FailWithinRecords();
    }
    controls_.SetProgress(kProgressAfterFirstRecord);
    if (!IsEndMarker(reply_)) {
      Store(monthMode);
      controls_.SetCountText("1");
      do {
        if (!Exchange(kNextRecord)) {
          return Cancelled() ? Cancel() : FailWithinRecords();
        }
        if (!IsEndMarker(reply_)) {
          if (log_.RowCount() == context_.recordCeiling) {
            const std::string reason = "the wand sent more than " +
                                       std::to_string(context_.recordCeiling) +
                                       " records without an end marker";
            std::cerr << "wandlink: " << reason << "; giving up\n";
            Trace(reason);
            return FailWithinRecords();
          }
          Store(monthMode);
        }
        const auto count = log_.RowCount();
        controls_.SetCountText(std::to_string(count));
        controls_.SetProgress(static_cast<int>(count % kProgressWrap));
      } while (!IsEndMarker(reply_));
    }
    controls_.SetProgress(kProgressDone);

    if (Cancelled()) {
      return Cancel();
    }
    log_.readAt = context_.clock();
    port_.SendFrame(BuildClockFrame(log_.readAt));
    Pause(kPauseAfterClockFrame);
    port_.Close();
    if (Cancelled()) {
      return Cancel();
    }

    rowsRead_ = log_.RowCount();
    if (log_.RowCount() == 0) {
      Message(kNoRecordsMessage);
    } else {
      controls_.ShowRecords(std::move(log_));
    }
    log_ = {};
    controls_.EnableCollect();
    controls_.HideProgress();
    controls_.HideCount();
    return DownloadOutcome::Complete;
  }

  std::size_t RowsRead() const { return rowsRead_; }

  void Trace(std::string_view text) {
    if (context_.trace) {
      context_.trace->Note(text);
    }
  }

 private:
  void Send(std::uint8_t command) {
    const std::uint8_t bytes[] = {command};
    port_.SendFrame(bytes);
  }

  // Sends the command and reads its reply; false when the reply came short.
  bool Exchange(std::uint8_t command) {
    Send(command);
    return port_.ReceiveFrame(reply_) == reply_.size();
  }

  void Store(MonthMode monthMode) {
    log_.buttonNumbers.push_back(FormatButtonNumber(reply_));
    log_.frames.push_back(reply_);
    TimeText& time = log_.timeStamps.emplace_back();
    FormatRecordTime(reply_, time, monthMode, context_.clock);
  }

  bool Cancelled() const { return stop_.Requested(); }

  bool Pause(std::chrono::milliseconds duration) {
    if (context_.pause) {
      return context_.pause(duration);
    }
    return stop_.SleepFor(duration);
  }

  void Message(std::string_view text) {
    if (!Cancelled()) {
      controls_.ShowMessage(std::string(text));
    }
  }

  // The identify reply came short; nothing has been stored yet.
  DownloadOutcome FailBeforeRecords() {
    Pause(kPauseAfterFailure);
    port_.Close();
    Message(kReadFailedMessage);
    controls_.EnableCollect();
    controls_.HideProgress();
    return DownloadOutcome::Failed;
  }

  // A record reply came short. The button comes back before the pause, so a new press in that
  // pause finds the port still held.
  DownloadOutcome FailWithinRecords() {
    log_ = {};
    controls_.EnableCollect();
    Pause(kPauseAfterFailure);
    port_.Close();
    controls_.HideCount();
    Message(kReadFailedMessage);
    controls_.HideProgress();
    return DownloadOutcome::Failed;
  }

  DownloadOutcome Cancel() {
    port_.Close();
    log_ = {};
    controls_.EnableCollect();
    controls_.HideProgress();
    if (countShown_) {
      controls_.HideCount();
    }
    return DownloadOutcome::Cancelled;
  }

  WandPort& port_;
  DownloadControls& controls_;
  const StopSignal& stop_;
  DownloadContext& context_;
  WandRecord reply_{};
  DownloadLog log_;
  bool countShown_ = false;
  std::size_t rowsRead_ = 0;
};

std::string Ending(DownloadOutcome outcome, std::size_t rows) {
  switch (outcome) {
    case DownloadOutcome::Complete:
      return "ending: complete, " + std::to_string(rows) + " records, clock frame sent";
    case DownloadOutcome::Failed:
      return "ending: failed, " + std::string(kReadFailedMessage);
    case DownloadOutcome::Cancelled:
      return "ending: cancelled";
  }
  return {};
}

}  // namespace

DownloadOutcome RunDownload(DownloadContext& context) {
  Download download(context);
  const DownloadOutcome outcome = download.Run();
  download.Trace(Ending(outcome, download.RowsRead()));
  // Support asked for the trace and will rely on it: a trace that was not written is said, once,
  // where the download's own messages go (a cancelled download shows none).
  if (context.trace && outcome != DownloadOutcome::Cancelled) {
    if (const std::string problem = context.trace->Problem(); !problem.empty()) {
      context.controls->ShowMessage(std::string(kTraceFailedMessage) + "\n" + problem);
    }
  }
  return outcome;
}

}  // namespace wandlink
