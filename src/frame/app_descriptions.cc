#include "frame/app_descriptions.h"

#include <array>
#include <cstdlib>

namespace velmora::frame {
namespace {

constexpr std::int32_t kFirstCode = 1000;

// The suite's application names are product names, which stay the same in
// every language; the table is still kept per language so that a translated
// name needs no change of code.
using Table = std::array<std::string_view, 20>;
constexpr Table kProductNames = {
    "Velmora Trade Manager",     "Velmora Dealing Desk",      "Velmora Quote Monitor",
    "Velmora Order Entry",       "Velmora Portfolio Viewer",  "Velmora Risk Control",
    "Velmora Back Office",       "Velmora Settlement",        "Velmora Client Registry",
    "Velmora Report Designer",   "Velmora Chart Analyst",     "Velmora News Reader",
    "Velmora Margin Calculator", "Velmora Cash Manager",      "Velmora Audit Viewer",
    "Velmora Limit Monitor",     "Velmora Instrument Editor", "Velmora Account Manager",
    "Velmora Administrator",     "Velmora Data Loader",
};
constexpr const Table& kEnglish = kProductNames;
constexpr const Table& kGerman = kProductNames;
constexpr const Table& kRussian = kProductNames;

const Table& tableFor(TableLanguage language) {
  switch (language) {
    case TableLanguage::German:
      return kGerman;
    case TableLanguage::Russian:
      return kRussian;
    case TableLanguage::English:
      break;
  }
  return kEnglish;
}

}  // namespace

TableLanguage tableLanguageOf(std::string_view localeName) {
  const std::string_view lang = localeName.substr(0, 2);
  if (lang == "de") return TableLanguage::German;
  if (lang == "ru") return TableLanguage::Russian;
  return TableLanguage::English;
}

TableLanguage userTableLanguage() {
  for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return tableLanguageOf(value);
  }
  return TableLanguage::English;
}

std::string appDescription(std::int32_t code, TableLanguage language) {
  const Table& table = tableFor(language);
  if (code < kFirstCode || code - kFirstCode >= static_cast<std::int32_t>(table.size())) return {};
  return std::string(table[static_cast<std::size_t>(code - kFirstCode)]);
}

}  // namespace velmora::frame
