#include "history_command.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <optional>

#include "archive/archive_messages.h"
#include "archive/archive_setting.h"
#include "archive/sqlite_db.h"
#include "logfile/log_export.h"
#include "logfile/log_text.h"
#include "wandlink/messages.h"

namespace wandread {
namespace {

constexpr int kExitFailed = 1;

// A wand or button number as the table prints it: upper-case hexadecimal digits, zeros in
// front, so "1a" finds button 0000001A.
std::string AsPrinted(std::string text, std::size_t digits) {
  std::ranges::transform(text, text.begin(),
                         [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  if (text.size() < digits) {
    text.insert(0, digits - text.size(), '0');
  }
  return text;
}

}  // namespace

void ArchiveAndReport(const archive::Archive& archive, wandlink::DownloadLog& log,
                      const std::string& port) {
  const archive::ArchiveResult result = archive::ArchiveDownload(archive, log, port);
  if (const std::string message = archive::ArchiveResultMessage(result); !message.empty()) {
    std::cerr << message << '\n' << "(" << archive.file.string() << ")\n";
  }
}

int RunHistory(std::span<const std::string> arguments,
               const std::function<int(const std::string&)>& usageError) {
  archive::HistoryFilter query;
  wandlink::LogFormat format = wandlink::kTabSeparated;
  std::optional<std::string> workbook;
  std::optional<archive::Archive> archive = archive::ArchiveFromEnvironment();
  for (auto argument = arguments.begin(); argument != arguments.end(); ++argument) {
    const std::string& option = *argument;
    if (option == "--csv") {
      format = wandlink::kCsv;
      continue;
    }
    if (option != "--from" && option != "--to" && option != "--wand" && option != "--button" &&
        option != "--guard" && option != "--place" && option != "--xlsx" && option != "--archive") {
      return usageError("unknown history option " + option);
    }
    if (++argument == arguments.end()) {
      return usageError(option + " needs a value");
    }
    const std::string& value = *argument;
    if ((option == "--from" || option == "--to") && !archive::IsHistoryBound(value)) {
      return usageError(option + " takes YYYY-MM-DD or \"YYYY-MM-DD HH:MM\", not " + value);
    }
    if (option == "--from") {
      query.from = value;
    } else if (option == "--to") {
      query.to = value;
    } else if (option == "--wand") {
      query.wand = AsPrinted(value, 4);
    } else if (option == "--button") {
      query.button = AsPrinted(value, 8);
    } else if (option == "--guard") {
      query.guard = value;
    } else if (option == "--place") {
      query.place = value;
    } else if (option == "--xlsx") {
      workbook = value;
    } else {
      archive = archive::ArchiveAt(wandlink::PathFromUtf8(value));
    }
  }
  if (workbook && format.quoted) {
    return usageError("--csv or --xlsx, not both");
  }
  if (!archive) {
    std::cerr << "wandread: the archive is off\n";
    return kExitFailed;
  }

  wandlink::DownloadLog log;
  try {
    log = archive::ReadHistory(*archive, query);
  } catch (const archive::SqliteError& error) {
    std::cerr << "wandread: cannot read the archive " << archive->file.string() << ": "
              << error.what() << '\n';
    return kExitFailed;
  }
  if (workbook) {
    const std::string failure =
        wandlink::ExportLog(log, wandlink::PathFromUtf8(*workbook), wandlink::ExportType::Workbook);
    if (!failure.empty()) {
      std::cerr << wandlink::kExportFailedMessage << '\n' << failure << '\n';
      return kExitFailed;
    }
    return 0;
  }
  wandlink::WriteLog(std::cout, log, format);
  return std::cout ? 0 : kExitFailed;
}

}  // namespace wandread
