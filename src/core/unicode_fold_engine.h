// The one piece of case folding that needs Unicode tables: folding text that
// is not plain ASCII. unicode_fold.cc keeps every ASCII fast path and calls
// this only for the rest. The tables come from utf8proc where the build has
// it (core/utf8proc/) and from the system's own where it does not
// (platform/win32/text/): the build picks one file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::detail {

// `text` (valid UTF-8) composed and case-folded, or nothing when it is not
// valid UTF-8 or cannot be folded; the caller then folds its ASCII letters
// only.
std::optional<std::string> foldUnicodeText(std::string_view text);

}  // namespace velmora::detail
