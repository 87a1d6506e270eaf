#include <windows.h>

#include <climits>

#include "text_encoding.h"
#include "wandlink/win32_text.h"

namespace archive {
namespace {

constexpr UINT kGb18030CodePage = 54936;
// GBK, GB18030's one- and two-byte part: every Chinese Windows has it as its ANSI code page,
// and it is what Excel writes there.
constexpr UINT kGbkCodePage = 936;

// GB18030 where the system has it (every Windows since Vista); GBK where it has not (Wine).
UINT ChineseCodePage() {
  static const UINT codePage =
      IsValidCodePage(kGb18030CodePage) != FALSE ? kGb18030CodePage : kGbkCodePage;
  return codePage;
}

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
  const UINT codePage = ChineseCodePage();
  const int length =
      MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (length == 0) {
    return std::nullopt;
  }
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(),
                          length) != length) {
    return std::nullopt;
  }
  return wandlink::Utf8(wide);
}

}  // namespace archive
