#include "names_command.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <stdexcept>

#include "archive/archive_setting.h"
#include "archive/names.h"
#include "archive/names_csv.h"
#include "archive/sqlite_db.h"
#include "logfile/durable_file.h"
#include "logfile/log_export.h"
#include "wandlink/messages.h"

namespace wandread {
namespace {

constexpr int kExitFailed = 1;

// The file name that stands for the standard output.
constexpr std::string_view kStandardOutput = "-";

int Import(const archive::Archive& archive, const std::string& file, bool skipBad) {
  std::ifstream in(wandlink::PathFromUtf8(file), std::ios::binary);
  if (!in) {
    std::cerr << "wandread: cannot read " << file << '\n';
    return kExitFailed;
  }
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  const archive::NamesCsvRead read = archive::ReadNamesCsv(bytes);
  if (!read.rejected.empty()) {
    std::cerr << archive::RejectedRowsText(read.rejected);
    if (!skipBad) {
      std::cerr << "wandread: nothing imported: " << read.rejected.size()
                << " rows cannot be used (--skip-bad imports the others)\n";
      return kExitFailed;
    }
  }
  try {
    archive::ImportNames(archive, read.names);
  } catch (const std::exception& error) {
    std::cerr << "wandread: cannot write the archive " << archive.file.string() << ": "
              << error.what() << '\n';
    return kExitFailed;
  }
  std::cerr << "wandread: " << read.names.size() << " names imported\n";
  return 0;
}

int Export(const archive::Archive& archive, const std::string& file) {
  archive::NameBook names;
  try {
    names = archive::ReadNames(archive);
  } catch (const archive::SqliteError& error) {
    std::cerr << "wandread: cannot read the archive " << archive.file.string() << ": "
              << error.what() << '\n';
    return kExitFailed;
  }
  const std::string text = archive::NamesCsvText(names);
  const auto write = [&text](wandlink::ByteSink& out) { out.Write(text); };
  const std::string failure = file == kStandardOutput
                                  ? wandlink::WriteStandardOutput(write)
                                  : wandlink::WriteFileDurably(wandlink::PathFromUtf8(file), write);
  if (!failure.empty()) {
    std::cerr << wandlink::kExportFailedMessage << '\n' << failure << '\n';
    return kExitFailed;
  }
  return 0;
}

}  // namespace

int RunNames(std::span<const std::string> arguments,
             const std::function<int(const std::string&)>& usageError) {
  std::optional<std::string> importFile;
  std::optional<std::string> exportFile;
  bool skipBad = false;
  std::optional<archive::Archive> archive = archive::ArchiveFromEnvironment();
  for (auto argument = arguments.begin(); argument != arguments.end(); ++argument) {
    const std::string& option = *argument;
    if (option == "--skip-bad") {
      skipBad = true;
      continue;
    }
    if (option != "--import" && option != "--export" && option != "--archive") {
      return usageError("unknown names option " + option);
    }
    if (++argument == arguments.end()) {
      return usageError(option + " needs a file");
    }
    if (option == "--import") {
      importFile = *argument;
    } else if (option == "--export") {
      exportFile = *argument;
    } else {
      archive = archive::ArchiveAt(wandlink::PathFromUtf8(*argument));
    }
  }
  if (importFile.has_value() == exportFile.has_value()) {
    return usageError("names takes --import FILE or --export FILE");
  }
  if (skipBad && !importFile) {
    return usageError("--skip-bad goes with --import");
  }
  if (!archive) {
    std::cerr << "wandread: the archive is off\n";
    return kExitFailed;
  }
  return importFile ? Import(*archive, *importFile, skipBad) : Export(*archive, *exportFile);
}

}  // namespace wandread
