// Folding with the system's tables: canonical composition (NormalizeString)
// and the invariant locale's lower case (LCMapStringEx), so that "ПРИВЕТ"
// and "привет" are one key, and so are a precomposed "é" and "e" with a
// combining acute. Windows has no full case folding: "ß" stays "ß", as it
// does in the registry's own comparison of key names, which is the rule a
// Windows user already lives with.
#include <windows.h>

#include <climits>

#include "core/unicode_fold_engine.h"
#include "platform/win32/text/wide_text.h"

namespace velmora::detail {
namespace {

std::optional<std::wstring> strictWide(std::string_view text) {
  if (text.size() > INT_MAX / 4) return std::nullopt;
  const int length = static_cast<int>(text.size());
  const int needed =
      ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  if (needed <= 0) return std::nullopt;
  std::wstring out(static_cast<std::size_t>(needed), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, out.data(), needed);
  return out;
}

std::optional<std::wstring> composed(const std::wstring& text) {
  int estimate =
      ::NormalizeString(NormalizationC, text.data(), static_cast<int>(text.size()), nullptr, 0);
  // The estimate can be short when composition first decomposes: grow and retry.
  for (int attempt = 0; attempt < 4 && estimate > 0; ++attempt) {
    std::wstring out(static_cast<std::size_t>(estimate), L'\0');
    const int written = ::NormalizeString(NormalizationC, text.data(),
                                          static_cast<int>(text.size()), out.data(), estimate);
    if (written > 0) {
      out.resize(static_cast<std::size_t>(written));
      return out;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::nullopt;
    estimate = -written;
  }
  return std::nullopt;
}

std::optional<std::wstring> lowered(const std::wstring& text) {
  const int length = static_cast<int>(text.size());
  const int needed = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text.data(), length,
                                     nullptr, 0, nullptr, nullptr, 0);
  if (needed <= 0) return std::nullopt;
  std::wstring out(static_cast<std::size_t>(needed), L'\0');
  ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, text.data(), length, out.data(), needed,
                  nullptr, nullptr, 0);
  return out;
}

}  // namespace

std::optional<std::string> foldUnicodeText(std::string_view text) {
  const std::optional<std::wstring> wide = strictWide(text);
  if (!wide) return std::nullopt;
  const std::optional<std::wstring> normal = composed(*wide);
  if (!normal) return std::nullopt;
  const std::optional<std::wstring> lower = lowered(*normal);
  if (!lower) return std::nullopt;
  return win32::utf8FromWide(*lower);
}

}  // namespace velmora::detail
