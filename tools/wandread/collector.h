// The command-line collector: reads the arguments, downloads the wand and prints its log, or
// writes it to an Excel workbook (--xlsx FILE).
//
// Exit status: 0 for a complete download (with or without records), 1 when the download
// failed or the workbook could not be written, 2 when the port could not be opened, 64 for a
// usage error, 130 when interrupted.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace wandread {

// What differs between the systems the collector runs on.
struct SystemSide {
  // The usage text's lines on the PORT argument.
  std::string_view portHelp;
  // What a port argument may be, for the usage error on one that is none.
  std::string_view portHint;
  // Whether stderr is a console that can show the live count.
  bool progressOnStderr = false;
};

// Runs the collector on the arguments (UTF-8, without the program name).
int RunCollector(std::span<const std::string> arguments, const SystemSide& system);

}  // namespace wandread
