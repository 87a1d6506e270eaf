// "wandread names": the guards' and checkpoints' names in the archive, imported from and
// exported to the CSV list operators keep in Excel.
#pragma once

#include <functional>
#include <span>
#include <string>

namespace wandread {

// Runs "wandread names" on the arguments after the word. usageError reports a bad argument
// and returns the exit status for it.
int RunNames(std::span<const std::string> arguments,
             const std::function<int(const std::string&)>& usageError);

}  // namespace wandread
