// The archive across a wand's downloads: each reading kept once, a new log when the wand no
// longer begins with the archived one, the year a reading first had kept, and a file that is
// no archive moved aside rather than lost.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "archive/archive.h"
#include "archive/archive_messages.h"
#include "archive/archive_setting.h"
#include "archive/archiving_controls.h"
#include "archive/sqlite_db.h"
#include "support/recording_controls.h"
#include "wand_log.h"

namespace {

using wandlink::LocalTime;
using wandlink::WandRecord;

constexpr LocalTime kReadAt{2026, 3, 5, 14, 0};
constexpr LocalTime kTwoYearsLater{2028, 3, 5, 14, 0};

WandRecord Reading(int day, int hour, int minute, std::uint32_t button) {
  return wandsim::MakeRecord({2026, 3, day, hour, minute}, button, wandlink::MonthMode::Bcd);
}

const std::vector<WandRecord> kRound = {Reading(1, 8, 0, 0x11), Reading(1, 8, 10, 0x22),
                                        Reading(2, 8, 0, 0x11), Reading(2, 8, 10, 0x22)};
const std::vector<WandRecord> kGrown = {
    kRound[0], kRound[1], kRound[2], kRound[3], Reading(3, 8, 0, 0x11), Reading(3, 8, 10, 0x22)};
// The wand cleared, then a round longer than the archived log, with one button read twice in
// one minute.
const std::vector<WandRecord> kCleared = {Reading(4, 9, 0, 0x11),  Reading(4, 9, 10, 0x22),
                                          Reading(4, 9, 30, 0x33), Reading(4, 9, 30, 0x33),
                                          Reading(5, 9, 0, 0x11),  Reading(5, 9, 10, 0x22),
                                          Reading(6, 9, 0, 0x11)};

wandlink::DownloadLog Download(const std::vector<WandRecord>& frames, const LocalTime& readAt) {
  wandlink::DownloadLog log{.wandNumber = {"0BEE"}, .readAt = readAt, .frames = frames};
  for (const WandRecord& frame : frames) {
    wandlink::FormatRecordTime(frame, log.timeStamps.emplace_back(), wandlink::MonthMode::Bcd,
                               [&] { return readAt; });
    log.buttonNumbers.push_back(wandlink::FormatButtonNumber(frame));
  }
  return log;
}

class ArchiveTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::path(testing::TempDir()) /
              testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(folder_);
    archive_ = archive::ArchiveAt(folder_ / "sub" / "archive.sqlite").value();
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  long long Count(const std::string& sql) {
    archive::Database db(*archive_.sqlite, archive_.file, archive::kSqliteOpenReadOnly);
    archive::Statement query = db.Prepare(sql);
    query.Step();
    return query.Integer(0);
  }

  std::filesystem::path folder_;
  archive::Archive archive_;
};

TEST_F(ArchiveTest, KeepsEachReadingOnceAcrossDownloads) {
  struct Step {
    const char* what;
    std::vector<WandRecord> frames;
    LocalTime readAt;
    std::size_t added;
    long long logs;
    long long readings;
  };
  const Step steps[] = {
      {"a first download", kRound, kReadAt, 4, 1, 4},
      {"the same again", kRound, kReadAt, 0, 1, 4},
      {"a grown log", kGrown, kReadAt, 2, 1, 6},
      {"a cleared wand, one button twice in a minute", kCleared, kReadAt, 7, 2, 13},
      {"the cleared wand two years later", kCleared, kTwoYearsLater, 0, 2, 13},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    wandlink::DownloadLog log = Download(step.frames, step.readAt);
    const archive::ArchiveResult result = archive::ArchiveDownload(archive_, log, "COM4");
    EXPECT_EQ(result.failure, "");
    EXPECT_EQ(result.added, step.added);
    EXPECT_EQ(Count("SELECT count(*) FROM logs"), step.logs);
    EXPECT_EQ(Count("SELECT count(*) FROM readings"), step.readings);
    // Every reading keeps the year it had when first archived, and the log shows it.
    for (std::size_t row = 0; row < log.RowCount(); ++row) {
      EXPECT_EQ(std::string(log.timeStamps[row].data()).substr(0, 4), "2026") << row;
    }
  }
  EXPECT_EQ(Count("SELECT count(*) FROM downloads"), std::ssize(steps));
  // The first log is whole, untouched by the second.
  EXPECT_EQ(Count("SELECT count(*) FROM archived_readings WHERE log_id = 1"), 6);
  EXPECT_EQ(Count("SELECT count(*) FROM archived_readings WHERE button = '00000033'"), 2);
}

TEST_F(ArchiveTest, AFileThatIsNoArchiveIsMovedAsideAndNamed) {
  std::filesystem::create_directories(archive_.file.parent_path());
  const std::string garbage(8192, 'x');
  std::ofstream(archive_.file, std::ios::binary) << garbage;

  wandlink::DownloadLog log = Download(kRound, kReadAt);
  const archive::ArchiveResult result = archive::ArchiveDownload(archive_, log, "COM4");
  EXPECT_EQ(result.failure, "");
  EXPECT_EQ(result.added, 4u);
  ASSERT_FALSE(result.movedAside.empty());
  EXPECT_EQ(result.movedAside.parent_path(), archive_.file.parent_path());
  std::ifstream moved(result.movedAside, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(moved), {}), garbage);
  EXPECT_NE(archive::ArchiveResultMessage(result).find(archive::Utf8Path(result.movedAside)),
            std::string::npos);
  EXPECT_EQ(Count("SELECT count(*) FROM readings"), 4);
}

// The window's side: the rows first, with the archived year; then the archiving, whose failure
// is a message after the rows, never instead of them.
TEST_F(ArchiveTest, TheWindowGetsTheRowsWithTheirYearsThenTheArchiving) {
  wandlink::DownloadLog first = Download(kRound, kReadAt);
  ASSERT_EQ(archive::ArchiveDownload(archive_, first, "COM4").failure, "");

  testing_support::EventLog events;
  testing_support::RecordingControls window(events);
  archive::ArchivingControls controls(window, archive_);
  controls.SetPort("COM3");
  // An open history is told of an archiving that added readings, and of no other.
  int archivings = 0;
  controls.SetArchivedHandler([&archivings] { ++archivings; });
  controls.ShowRecords(Download(kGrown, kTwoYearsLater));
  controls.ShowRecords(Download(kGrown, kTwoYearsLater));
  EXPECT_EQ(archivings, 1);
  EXPECT_EQ(events.Events(), (std::vector<std::string>{"rows 6", "rows 6"}));
  const std::vector<std::string> years = {"2026", "2026", "2026", "2026", "2028", "2028"};
  for (std::size_t row = 0; row < years.size(); ++row) {
    EXPECT_EQ(std::string(window.Log().timeStamps[row].data()).substr(0, 4), years[row]) << row;
  }
  EXPECT_EQ(Count("SELECT count(*) FROM readings"), 6);
  EXPECT_EQ(Count("SELECT count(*) FROM downloads WHERE port = 'COM3'"), 2);

  // A folder that cannot be made: a file stands where it would be.
  std::ofstream(folder_ / "blocked") << "a file";
  archive::ArchivingControls blocked(
      window, archive::ArchiveAt(folder_ / "blocked" / "archive.sqlite").value());
  blocked.ShowRecords(Download(kRound, kReadAt));
  const std::vector<std::string> after = events.Events();
  ASSERT_EQ(after.size(), 4u);
  EXPECT_EQ(after[2], "rows 4");
  EXPECT_TRUE(after[3].starts_with("message " + std::string(archive::kNotArchivedMessage)))
      << after[2];
}

}  // namespace
