#include "invoke/call_log.h"

#include <string>

#include "logging/log_options.h"

namespace velmora::invoke {
namespace {

std::string headLine(std::string_view prefix, std::string_view name) {
  std::string text;
  text.append(prefix).append(name).append("].\r\n");
  return text;
}

}  // namespace

void logCallFailure(std::string_view prefix, std::string_view name,
                    const CaughtError& error) noexcept {
  try {
    (void)logging::StoreErrorToLog(error.number, headLine(prefix, name) + error.description);
  } catch (...) {
  }
}

void logRangeMessage(std::string_view prefix, std::string_view name,
                     std::int32_t upperBound) noexcept {
  try {
    (void)logging::StoreMessageToLog(headLine(prefix, name)
                                         .append("Array Parameters Range = ")
                                         .append(std::to_string(upperBound))
                                         .append(" Out Of Execute Range."));
  } catch (...) {
  }
}

}  // namespace velmora::invoke
