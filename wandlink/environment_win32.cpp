#include <cstdlib>
#include <string>

#include "environment.h"

namespace wandlink {

std::optional<std::filesystem::path> PathFromEnvironment(const char* name) {
  // The wide environment keeps a path that the ANSI code page cannot spell.
  const std::wstring wideName(name, name + std::char_traits<char>::length(name));
  const wchar_t* value = ::_wgetenv(wideName.c_str());
  if (value == nullptr || *value == L'\0') {
    return std::nullopt;
  }
  return std::filesystem::path(value);
}

}  // namespace wandlink
