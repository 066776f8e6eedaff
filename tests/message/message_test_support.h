// The delegate component's logging as the message window sees it: what it
// was handed, or a component that cannot be reached.
#pragma once

#include <commonvelmora/error.h>

#include <string>
#include <utility>
#include <vector>

#include "message/frm_message.h"

namespace velmora::message::testing {

struct RecordingLog final : MessageLog {
  void StoreMessageToLog(const std::string& text) override {
    if (unreachable) throw AutomationError(err::kObjectNotSet);
    messages.push_back(text);
  }
  void StoreErrorToLog(std::int32_t number, const std::string& text) override {
    if (unreachable) throw AutomationError(err::kObjectNotSet);
    errors.emplace_back(number, text);
  }
  bool unreachable = false;
  std::vector<std::string> messages;
  std::vector<std::pair<std::int32_t, std::string>> errors;
};

}  // namespace velmora::message::testing
