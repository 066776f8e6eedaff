// Text typed by users reaches the number and date readers (registry values,
// property values, log dates) and the pattern renderers. None of them may
// crash or hang on any input; a refusal is an AutomationError. The first
// byte picks the regional settings, so the English, German and Russian rules
// (thousands separators, currency symbols, month names) are all explored.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// US English, German, and Russian (German with its own time, grouping,
// currency and declined month names).
std::array<velmora::RegionalSettings, 3> allSettings() {
  velmora::RegionalSettings de{.decimalSeparator = ",",
                               .shortDate = "dd.MM.yyyy",
                               .longTime = "HH:mm:ss",
                               .am = "",
                               .pm = "",
                               .thousandsSeparator = ".",
                               .currencySymbol = "\u20AC"};
  velmora::RegionalSettings ru = de;
  de.monthNames[2] = {"M\u00E4rz", "M\u00E4r"};
  de.dayNames = {"Donnerstag", "Do"};
  ru.longTime = "H:mm:ss";
  ru.thousandsSeparator = "\u202F";
  ru.currencySymbol = "\u20BD";
  ru.monthNames[2] = {"\u043C\u0430\u0440\u0442\u0430", "\u043C\u0430\u0440",
                      "\u041C\u0430\u0440\u0442"};
  return {velmora::RegionalSettings{}, de, ru};
}

// Runs `f`; an AutomationError is a refusal, anything else a finding.
template <class F>
void refusalsAllowed(F f) {
  try {
    f();
  } catch (const velmora::AutomationError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmora;
  if (size == 0) return 0;
  static const std::array<RegionalSettings, 3> kSettings = allSettings();
  setRegionalSettings(kSettings[data[0] % 3]);
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  double d = 0;
  if (parseNumber(text, d)) {
    refusalsAllowed([&] { (void)toText(Variant(d)); });
    refusalsAllowed([&] { (void)hexText(Variant(d)); });
  }
  refusalsAllowed([&] { (void)dateToText(toDate(Variant(text))); });
  refusalsAllowed([&] { (void)formatDate(Date{45358.5}, text); });
  return 0;
}
