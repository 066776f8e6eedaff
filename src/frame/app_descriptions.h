// Display texts of the suite's application codes (App_Key).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::frame {

// The languages the string table is kept in.
enum class TableLanguage { English, German, Russian };

// The user's message language from LANGUAGE, LC_ALL, LC_MESSAGES and LANG,
// the first one set, as the C library looks them up: "de..." is German,
// "ru..." Russian, anything else (including "C" and unset) English.
TableLanguage userTableLanguage();
TableLanguage tableLanguageOf(std::string_view localeName);

// The text of `code` in the given language's table, "" for a code without
// one (1020, reserved for the next application, and any other value).
std::string appDescription(std::int32_t code, TableLanguage language);

}  // namespace velmora::frame
