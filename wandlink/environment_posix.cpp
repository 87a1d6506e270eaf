#include <cstdlib>

#include "environment.h"

namespace wandlink {

std::optional<std::filesystem::path> PathFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') {
    return std::nullopt;
  }
  return std::filesystem::path(value);
}

}  // namespace wandlink
