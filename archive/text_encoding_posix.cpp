#include <iconv.h>

#include <memory>

#include "text_encoding.h"

namespace archive {
namespace {

struct IconvCloser {
  void operator()(void* converter) const { iconv_close(static_cast<iconv_t>(converter)); }
};

}  // namespace

std::optional<std::string> Gb18030ToUtf8(std::string_view bytes) {
  const iconv_t opened = iconv_open("UTF-8", "GB18030");
  if (opened == reinterpret_cast<iconv_t>(-1)) {
    return std::nullopt;
  }
  const std::unique_ptr<void, IconvCloser> converter(opened);
  // A GB18030 character of one, two or four bytes is at most one and a half times as long in
  // UTF-8.
  std::string text(bytes.size() * 2, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* out = text.data();
  std::size_t outLeft = text.size();
  // Fails on a byte sequence GB18030 does not define and on one cut short at the end.
  if (iconv(opened, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
    return std::nullopt;
  }
  text.resize(text.size() - outLeft);
  return text;
}

}  // namespace archive
