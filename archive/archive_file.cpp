#include <cstdio>
#include <system_error>

#include "archive_file.h"
#include "wandlink/local_clock.h"

namespace archive {

std::filesystem::path MoveAside(const std::filesystem::path& file, std::string& why) {
  const wandlink::LocalTime now = wandlink::SystemLocalTime();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d", now.year, now.month, now.day,
                now.hour, now.minute);
  std::filesystem::path aside;
  std::error_code error;
  for (int attempt = 1;; ++attempt) {
    std::filesystem::path name = file.stem();
    name += "-damaged-" + std::string(stamp) +
            (attempt > 1 ? "-" + std::to_string(attempt) : std::string()) + ".sqlite";
    aside = file.parent_path() / name;
    if (!std::filesystem::exists(aside, error)) {
      break;
    }
  }
  std::filesystem::rename(file, aside, error);
  if (error) {
    why = "cannot move " + file.string() + " aside: " + error.message();
    return {};
  }
  // The journals belong to the old file: left in place, they would be read into the new one.
  for (const char* journal : {"-wal", "-shm", "-journal"}) {
    std::filesystem::path from = file;
    from += journal;
    std::filesystem::path to = aside;
    to += journal;
    if (std::filesystem::exists(from, error)) {
      std::filesystem::rename(from, to, error);
    }
  }
  return aside;
}

}  // namespace archive
