#include "platform/win32/text/wide_text.h"

#include <windows.h>

#include <climits>

namespace velmora::win32 {
namespace {

// Lengths beyond int cannot be passed to the conversions; such texts do not
// occur (the store caps data far below), so they convert as empty.
int lengthOf(std::size_t size) { return size > INT_MAX ? 0 : static_cast<int>(size); }

std::wstring toWide(UINT codePage, std::string_view text) {
  const int length = lengthOf(text.size());
  if (length == 0) return std::wstring();
  const int needed = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) return std::wstring();
  std::wstring out(static_cast<std::size_t>(needed), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), length, out.data(), needed);
  return out;
}

std::string fromWide(UINT codePage, std::wstring_view text) {
  const int length = lengthOf(text.size());
  if (length == 0) return std::string();
  const int needed =
      ::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  std::string out(static_cast<std::size_t>(needed), '\0');
  ::WideCharToMultiByte(codePage, 0, text.data(), length, out.data(), needed, nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring wideFromUtf8(std::string_view text) { return toWide(CP_UTF8, text); }

std::string utf8FromWide(std::wstring_view text) { return fromWide(CP_UTF8, text); }

std::string codePageFromUtf8(std::string_view text) {
  if (::GetACP() == CP_UTF8) return std::string(text);
  return fromWide(CP_ACP, wideFromUtf8(text));
}

std::string utf8FromCodePage(std::string_view text) {
  if (::GetACP() == CP_UTF8) return std::string(text);
  return utf8FromWide(toWide(CP_ACP, text));
}

}  // namespace velmora::win32
