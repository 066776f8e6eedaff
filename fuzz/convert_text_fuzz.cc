// Text typed by users reaches the number and date readers (registry values,
// property values, log dates) and the pattern renderers. None of them may
// crash or hang on any input; a refusal is an AutomationError. The first
// byte picks the regional settings, so the English, German and Russian rules
// (thousands separators, currency symbols, month names) are all explored.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

velmora::RegionalSettings settingsFor(std::uint8_t pick) {
  velmora::RegionalSettings rs;  // US English
  if (pick % 3 == 1) {
    rs = {.decimalSeparator = ",",
          .shortDate = "dd.MM.yyyy",
          .longTime = "HH:mm:ss",
          .am = "",
          .pm = "",
          .thousandsSeparator = ".",
          .currencySymbol = "\u20AC"};
    rs.monthNames[2] = {"M\u00E4rz", "M\u00E4r"};
    rs.dayNames = {"Donnerstag", "Do"};
  } else if (pick % 3 == 2) {
    rs = {.decimalSeparator = ",",
          .shortDate = "dd.MM.yyyy",
          .longTime = "H:mm:ss",
          .am = "",
          .pm = "",
          .thousandsSeparator = "\u202F",
          .currencySymbol = "\u20BD"};
    rs.monthNames[2] = {"\u043C\u0430\u0440\u0442\u0430", "\u043C\u0430\u0440",
                        "\u041C\u0430\u0440\u0442"};
  }
  return rs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  if (size == 0) return 0;
  static const RegionalSettings kSettings[3] = {settingsFor(0), settingsFor(1), settingsFor(2)};
  setRegionalSettings(kSettings[data[0] % 3]);
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  double d = 0;
  if (parseNumber(text, d)) {
    try {
      (void)toText(Variant(d));
      (void)hexText(Variant(d));
    } catch (const AutomationError&) {
    }
  }
  try {
    const Date date = toDate(Variant(text));
    (void)dateToText(date);
  } catch (const AutomationError&) {
  }
  try {
    (void)formatDate(Date{45358.5}, text);
  } catch (const AutomationError&) {
  }
  return 0;
}
