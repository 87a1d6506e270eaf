// Archives full downloads of one wand, each a new log, for the tests that run several writers
// at once or kill one at a random moment.
// Usage: archive_writer FILE WAND DOWNLOADS [READINGS]
#include <cstdio>
#include <string>

#include "archive/archive.h"
#include "archive/archive_setting.h"
#include "wand_log.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: archive_writer FILE WAND DOWNLOADS [READINGS]\n");
    return 64;
  }
  const auto archive = archive::ArchiveAt(argv[1]);
  const int downloads = std::stoi(argv[3]);
  const std::size_t readings = argc > 4 ? std::stoul(argv[4]) : 60001;
  const wandlink::LocalTime readAt{2026, 3, 5, 14, 0};
  for (int round = 0; round < downloads; ++round) {
    wandlink::DownloadLog log{.readAt = readAt};
    std::snprintf(log.wandNumber.data(), log.wandNumber.size(), "%s", argv[2]);
    // A new seed each round: a log that does not begin with the last, so every download adds
    // all its readings.
    log.frames = wandsim::GeneratePatrolLog(readings, static_cast<std::uint32_t>(round + 1), readAt,
                                            wandlink::MonthMode::Bcd);
    for (const wandlink::WandRecord& frame : log.frames) {
      wandlink::FormatRecordTime(frame, log.timeStamps.emplace_back(), wandlink::MonthMode::Bcd,
                                 [&] { return readAt; });
      log.buttonNumbers.push_back(wandlink::FormatButtonNumber(frame));
    }
    const archive::ArchiveResult result = archive::ArchiveDownload(*archive, log, "COM4");
    if (!result.failure.empty() || result.added != readings) {
      std::fprintf(stderr, "archive_writer: %s (%zu added)\n", result.failure.c_str(),
                   result.added);
      return 1;
    }
  }
  return 0;
}
