// The download against a wand whose every answer comes from the fuzzer.
//
// Input: the number of bytes waiting after the probe; minute, hour, day, month and year of the
// local clock; then replies, each a length byte (9 or more means a whole reply) and its bytes.
// Past the input's end every reply is empty, so every input ends the download.
//
// Checked on every input: the port is closed exactly once; the collect button is enabled and
// the progress bar hidden at the end; rows appear only after a complete download, once, and
// are exactly the records received.
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "byte_reader.h"
#include "wandlink/download.h"

namespace {

using wandlink::WandRecord;

[[noreturn]] void Violated(const char* invariant) {
  __builtin_printf("invariant violated: %s\n", invariant);
  std::abort();
}

class FuzzedPort final : public wandlink::WandPort {
 public:
  explicit FuzzedPort(fuzzing::ByteReader& input, std::size_t probeAnswer)
      : input_(input), probeAnswer_(probeAnswer) {}

  void SendFrame(std::span<const std::uint8_t>) override {
    if (closes_ > 0) {
      Violated("send after close");
    }
  }
  std::size_t ReceiveFrame(WandRecord& reply) override {
    if (closes_ > 0) {
      Violated("receive after close");
    }
    const std::size_t length = std::min<std::size_t>(input_.Next(), reply.size());
    for (std::size_t i = 0; i < length; ++i) {
      reply[i] = input_.Next();
    }
    if (length == reply.size()) {
      replies.push_back(reply);
    }
    return length;
  }
  std::size_t InputQueueCount() override { return probeAnswer_; }
  void Close() override { ++closes_; }

  int Closes() const { return closes_; }
  std::vector<WandRecord> replies;

 private:
  fuzzing::ByteReader& input_;
  std::size_t probeAnswer_;
  int closes_ = 0;
};

class CheckingControls final : public wandlink::DownloadControls {
 public:
  void SetProgress(int position) override {
    if (position < 0 || position > 99) {
      Violated("progress within 0 to 99");
    }
  }
  void HideProgress() override { progressShown = false; }
  void SetCountText(const std::string&) override {}
  void ShowCount() override {}
  void HideCount() override {}
  void EnableCollect() override { collectEnabled = true; }
  void ShowRecords(wandlink::DownloadLog log) override {
    if (rows) {
      Violated("rows shown once");
    }
    rows = std::move(log);
  }
  void ShowMessage(const std::string&) override {}

  bool progressShown = true;
  bool collectEnabled = false;
  std::optional<wandlink::DownloadLog> rows;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::ByteReader input(data, size);
  const std::size_t probeAnswer = input.Next();
  const wandlink::LocalTime now{2000 + input.Next() % 100, 1 + input.Next() % 12,
                                1 + input.Next() % 28, input.Next() % 24, input.Next() % 60};

  CheckingControls controls;
  auto port = std::make_unique<FuzzedPort>(input, probeAnswer);
  FuzzedPort& fuzzedPort = *port;
  wandlink::DownloadContext context{.port = std::move(port),
                                    .controls = &controls,
                                    .clock = [&] { return now; },
                                    .pause = [](auto) { return true; }};
  const auto outcome = wandlink::RunDownload(context);

  if (fuzzedPort.Closes() != 1) {
    Violated("port closed exactly once");
  }
  if (!controls.collectEnabled || controls.progressShown) {
    Violated("collect enabled and progress hidden at the end");
  }
  if (outcome != wandlink::DownloadOutcome::Complete) {
    if (controls.rows) {
      Violated("no rows after a failed download");
    }
    return 0;
  }
  // The identify reply, then the records, then the end marker.
  const auto& replies = fuzzedPort.replies;
  if (replies.size() < 2 || !wandlink::IsEndMarker(replies.back())) {
    Violated("complete only at the end marker");
  }
  const std::size_t records = replies.size() - 2;
  const std::size_t shown = controls.rows ? controls.rows->RowCount() : 0;
  if (shown != records) {
    Violated("rows are the records received");
  }
  const auto monthMode =
      probeAnswer <= 25 ? wandlink::MonthMode::LowNibble : wandlink::MonthMode::Bcd;
  for (std::size_t i = 0; i < records; ++i) {
    const WandRecord& record = replies[i + 1];
    wandlink::TimeText time;
    wandlink::FormatRecordTime(record, time, monthMode, [&] { return now; });
    if (controls.rows->CellText(i, 0) != std::to_string(i + 1) ||
        controls.rows->CellText(i, 1) != wandlink::FormatWandNumber(replies[0]).data() ||
        controls.rows->CellText(i, 2) != time.data() ||
        controls.rows->CellText(i, 3) != wandlink::FormatButtonNumber(record).data()) {
      Violated("row texts are the record's");
    }
  }
  return 0;
}
