#include <windows.h>

#include <climits>

#include "text_encoding.h"
#include "wandlink/win32_text.h"

namespace archive {
namespace {

constexpr UINT kGb18030CodePage = 54936;

}  // namespace

std::optional<std::string> Gb18030ToUtf8(std::string_view bytes) {
  if (bytes.empty()) {
    return std::string();
  }
  if (bytes.size() > INT_MAX) {
    return std::nullopt;
  }
  const int size = static_cast<int>(bytes.size());
  // Without the flag, bytes the code page does not define would pass as replacement
  // characters.
  const int length =
      MultiByteToWideChar(kGb18030CodePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (length == 0) {
    return std::nullopt;
  }
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(kGb18030CodePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(),
                          length) != length) {
    return std::nullopt;
  }
  return wandlink::Utf8(wide);
}

}  // namespace archive
