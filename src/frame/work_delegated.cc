// The Work members that offer their job to the thread's delegate component
// first and do it themselves when the component is absent or declines. All
// of them ignore errors statement by statement and never fail: each body runs
// inside one ignoreErrors, so what raises between the guarded statements
// (building the arguments, out of memory) ends the member with the result it
// has so far instead of reaching the client.
#include <commonvelmora/convert.h>
#include <commonvelmora/error.h>
#include <commonvelmora/work.h>

#include <array>

#include "frame/delegate.h"
#include "frame/disciplines.h"
#include "frame/thread_state.h"
#include "logging/log_options.h"
#include "logging/log_state.h"
#include "message/frm_message.h"

namespace velmora {

using frame::callDelegate;
using frame::EnsureDelegate;
using frame::ignoreErrors;

namespace {

// The message window logs only through the component, and a call that
// fails (no component, no such member) is the window's own failure.
class DelegateLog final : public message::MessageLog {
 public:
  void StoreMessageToLog(const std::string& text) override {
    std::array<Variant, 1> args{Variant(text)};
    component()->invoke("StoreMessageToLog", CallKind::Method, args);
  }
  void StoreErrorToLog(std::int32_t number, const std::string& text) override {
    std::array<Variant, 2> args{Variant(number), Variant(text)};
    component()->invoke("StoreErrorToLog", CallKind::Method, args);
  }

 private:
  static ObjectRef component() {
    ObjectRef delegate = frame::threadState().delegate;
    if (!delegate) throw AutomationError(err::kObjectNotSet);
    return delegate;
  }
};

}  // namespace

msgButton_Enum Work::MsgActivate(std::string msgText, msgIcon_Enum CurrentIcon,
                                 std::int16_t CurrentButtons, msgButton_Enum DefButton,
                                 ObjectRef& OwnerForm, std::string& Err_HelpFile,
                                 std::int32_t& Err_HelpContext, std::int32_t& ParentHWND) {
  std::int32_t button = -1;
  ignoreErrors([&] {
    EnsureDelegate();
    // All eight go to the component by reference; what it does to the last
    // four reaches our caller, what it does to the first four only our copies.
    std::array<Variant, 8> args{Variant(msgText),         Variant(std::int32_t{CurrentIcon}),
                                Variant(CurrentButtons),  Variant(std::int32_t{DefButton}),
                                Variant(OwnerForm),       Variant(Err_HelpFile),
                                Variant(Err_HelpContext), Variant(ParentHWND)};
    const auto answer = callDelegate("MsgActivate", CallKind::Method, args);
    if (answer) ignoreErrors([&] { button = toInt32(*answer); });
    ignoreErrors([&] { OwnerForm = toObject(args[4]); });
    ignoreErrors([&] { Err_HelpFile = toText(args[5]); });
    ignoreErrors([&] { Err_HelpContext = toInt32(args[6]); });
    ignoreErrors([&] { ParentHWND = toInt32(args[7]); });
  });
  if (button >= 0) return static_cast<msgButton_Enum>(button);
  // Not handled by the component: the library's own window, new for every
  // message. A failure it could not log leaves the answer at 0.
  std::int32_t shown = 0;
  ignoreErrors([&] {
    DelegateLog log;
    message::frmMessage form(log);
    shown = form.MsgActivate(msgText, CurrentIcon, CurrentButtons, DefButton, OwnerForm,
                             Err_HelpFile, Err_HelpContext, ParentHWND);
  });
  return static_cast<msgButton_Enum>(shown);
}

msgButton_Enum Work::MsgActivate(std::string msgText, msgIcon_Enum CurrentIcon,
                                 std::int16_t CurrentButtons, msgButton_Enum DefButton) {
  ObjectRef ownerForm;
  std::string helpFile;
  std::int32_t helpContext = -1;
  std::int32_t parentHwnd = -1;
  return MsgActivate(std::move(msgText), CurrentIcon, CurrentButtons, DefButton, ownerForm,
                     helpFile, helpContext, parentHwnd);
}

// A non-empty path from the component wins; otherwise today's file in the
// library's own log folder. The getter returns a full path while the setter
// takes only the prefix.
std::string Work::LogFileName() {
  std::string result;
  ignoreErrors([&] {
    EnsureDelegate();
    const auto answer = callDelegate("LogFileName", CallKind::Get, {});
    if (answer) ignoreErrors([&] { result = toText(*answer); });
    if (result.empty()) ignoreErrors([&] { result = logging::BuildLogFileName(Variant()); });
  });
  return result;
}

// "" brings back the default prefix at the next name built.
void Work::LogFileName(std::string NewValue) {
  ignoreErrors([&] {
    EnsureDelegate();
    ignoreErrors([&] { logging::logState().filePrefix = NewValue; });
    Variant value(NewValue);
    callDelegate("LogFileName", CallKind::Let, Args(&value, 1));
  });
}

std::string Work::GetLogFileNameByDate(Variant LogDate) {
  std::string result;
  ignoreErrors([&] {
    EnsureDelegate();
    const auto answer = callDelegate("GetLogFileName", CallKind::Method, Args(&LogDate, 1));
    if (answer) ignoreErrors([&] { result = toText(*answer); });
    if (result.empty()) ignoreErrors([&] { result = logging::BuildLogFileName(LogDate); });
  });
  return result;
}

// When the component stores the entry the member returns false: its result
// reports only the library's own writing.
bool Work::StoreMessageToLog(std::string MessageText) {
  bool written = false;
  ignoreErrors([&] {
    EnsureDelegate();
    Variant text(MessageText);
    const auto answer = callDelegate("StoreMessageToLog", CallKind::Method, Args(&text, 1));
    if (!frame::storedByDelegate(answer)) {
      ignoreErrors([&] { written = logging::StoreMessageToLog(toText(text)); });
    }
  });
  return written;
}

bool Work::StoreErrorToLog(std::int32_t ErrNumber, std::string ErrDescription) {
  bool written = false;
  ignoreErrors([&] {
    EnsureDelegate();
    std::array<Variant, 2> args{Variant(ErrNumber), Variant(ErrDescription)};
    const auto answer = callDelegate("StoreErrorToLog", CallKind::Method, args);
    if (!frame::storedByDelegate(answer)) {
      ignoreErrors([&] { written = logging::StoreErrorToLog(toInt32(args[0]), toText(args[1])); });
    }
  });
  return written;
}

}  // namespace velmora
