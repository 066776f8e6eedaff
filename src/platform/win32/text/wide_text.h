// The library's texts are UTF-8 on every platform (folding, conversions and
// lengths all assume it). Windows speaks UTF-16 in its wide functions and the
// process's ANSI code page in its "A" functions and single-byte files; these
// are the only conversions between them.
#pragma once

#include <string>
#include <string_view>

namespace velmora::win32 {

// Invalid UTF-8 becomes U+FFFD, as the system converts it.
std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);

// Text in the process's ANSI code page (GetACP): what the registry's "A"
// functions and the log file take. A character the code page lacks becomes
// the code page's default character ("?"), as it does for every program
// that uses those functions.
std::string codePageFromUtf8(std::string_view text);
std::string utf8FromCodePage(std::string_view text);

}  // namespace velmora::win32
