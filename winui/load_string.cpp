#include "load_string.h"

#include <algorithm>

namespace winui {

std::wstring LoadResourceString(HINSTANCE instance, int id) {
  // With no buffer, LoadStringW points into the resource itself (not zero-terminated).
  const wchar_t* text = nullptr;
  const int length =
      LoadStringW(instance, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0) {
    return {};
  }
  return std::wstring(text, static_cast<std::size_t>(length));
}

std::wstring TitleOf(std::wstring text) {
  text.erase(std::min(text.find(L"(&"), text.size()));
  text.erase(text.find_last_not_of(L' ') + 1);
  return text;
}

}  // namespace winui
