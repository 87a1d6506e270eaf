// Paths that the environment names, in the system's own encoding of file names.
#pragma once

#include <filesystem>
#include <optional>

namespace wandlink {

// The variable's value as a path; nothing when it is unset or empty.
std::optional<std::filesystem::path> PathFromEnvironment(const char* name);

}  // namespace wandlink
