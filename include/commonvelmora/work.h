// Work: the one object through which clients reach everything the library
// does. Each member copies its by-value arguments, forwards to the routine of
// its subsystem and hands that routine's result back unchanged. Work holds no
// state of its own: what the members share lives in a per-thread block, so
// all Work objects of one thread see the same AppNumber, log prefix and
// delegate component, and another thread starts with its own empty block.
//
// Every member follows one of three error disciplines:
//   - errors pass through: a routine's AutomationError reaches the caller
//     (the registry members, most grid members, GetStringDescription and the
//     simple properties);
//   - errors are ignored statement by statement, the member never fails
//     (logging, message window, conversions, factories);
//   - errors are trapped and the neutral result ("" or false) is returned;
//     the six invocation members first write an error entry to the log.
//
// Because Work keeps nothing itself, any Work object -- even a temporary,
// Work().RegestryString() -- serves where a client would use the type
// library's application object without naming an instance.
//
// Work is also an Object, so every member can be called by name (invoke()),
// with the arguments' in/out behaviour of the C++ signatures: by-value
// arguments are copied, by-reference ones are written back to the caller's
// variants, omitted optional arguments take their default or stay missing.
#pragma once

#include <commonvelmora/enums.h>
#include <commonvelmora/export.h>
#include <commonvelmora/object.h>
#include <commonvelmora/variant.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// Registers the library's classes ("CommonVelmora.Work", "CommonVelmora.
// KZProperty", "CommonVelmora.KZProperties") with the ClassRegistry and
// installs the user's regional settings, once per process. Creating a Work
// does this too; call it yourself before createObject() when your first
// object is created by ProgID, and before pinning regional settings (tests).
VELMORA_EXPORT void initializeLibrary();

class VELMORA_EXPORT Work : public Object {
 public:
  Work();

  // --- Registry settings (errors pass through) ---
  // Result codes are the registry's: 0 success, 2 not found, 5 access denied.
  Variant ReadRegistryValue(std::string RegKey, std::string ValueName, std::int32_t& ErrorCode,
                            Variant DefaultValue = Variant::missing());
  Variant ReadAllValue(std::string RegKey);
  std::int32_t SetRegistryValue(std::string RegKey, std::string ValueName, Variant Value);
  std::int32_t DeleteRegistryValue(std::string RegKey, std::string ValueName);
  std::int32_t DeleteRegistryKey(std::string RegKey);
  std::int32_t SetAllValue(std::string RegKey, Variant& ArrayValue);
  // The suite's settings root below the current user, with a trailing "\".
  std::string RegestryString();

  // --- Grid layout services ---
  // The two grid windows are modal and the calling thread's own, kept
  // between calls; each call returns once the user has closed its window.
  // Where no window can be shown (no display, not the GUI thread) they
  // return at once and change nothing.
  //   ChangeColumnCaption: "Change Caption" on the column; Ok writes it.
  //   SetGridColumnsVisible: a tick shows or hides its column at once; with
  //   a key K the window's place is kept under "K\Columns Window".
  void ChangeColumnCaption(ObjectRef& CurrentColumn);
  void ChangeSorting(std::int16_t SortOrder, ObjectRef& CurrentTable, ObjectRef& CurrentColumn);
  void SaveGridSetting(ObjectRef& SaveGrid, std::string Key_String);
  void RestoreGridSetting(ObjectRef& RestoreGrid, std::string Key_String);
  void SetGridColumnsVisible(ObjectRef& CurrentTable, std::string CurrentRegKey = "");
  bool GridToClip(ObjectRef& Grid, bool WithHeadings);

  // --- Message window (never fails) ---
  // Returns the button that closed the message, or 0.
  msgButton_Enum MsgActivate(std::string msgText, msgIcon_Enum CurrentIcon,
                             std::int16_t CurrentButtons, msgButton_Enum DefButton,
                             ObjectRef& OwnerForm, std::string& Err_HelpFile,
                             std::int32_t& Err_HelpContext, std::int32_t& ParentHWND);
  // The same with the by-reference arguments at their defaults (no owner, no
  // help file, help context -1, no parent window).
  msgButton_Enum MsgActivate(std::string msgText, msgIcon_Enum CurrentIcon = msgCritical,
                             std::int16_t CurrentButtons = 1, msgButton_Enum DefButton = msgOK);

  // --- Logging (never fails, except MaxLogFile and GetStringDescription) ---
  // Get: the full path of today's log file. Let: the log file name prefix.
  std::string LogFileName();
  void LogFileName(std::string NewValue);
  std::string GetLogFileNameByDate(Variant LogDate);
  // Size cap of the log file in bytes; below 1 means 1 MiB. Assign only.
  void MaxLogFile(std::int32_t NewValue);
  bool StoreMessageToLog(std::string MessageText);
  bool StoreErrorToLog(std::int32_t ErrNumber, std::string ErrDescription);
  std::string GetStringDescription(std::string St_Descr, Variant Arguments = Variant::missing());

  // --- Application code ---
  App_Key AppNumber();
  void AppNumber(App_Key NewValue);
  std::string AppDescription(App_Key App_Number);  // "" for a code without text

  // --- Pictures and objects as byte arrays (never fail) ---
  Variant GetImageData(ObjectRef& ImageObj);
  ObjectRef GetDataImage(SafeArray& DatRec);
  Variant GetObjectData(ObjectRef& ImageObj);
  ObjectRef GetDataObject(SafeArray& DatRec);
  Variant GetArrayByPicture(ObjectRef ImageObj);
  ObjectRef GetPictureByArray(SafeArray& DatRec);

  // --- Late-bound calls (failures logged and returned as false) ---
  // The member's name is only looked at, never kept: a view, so that a call
  // with a literal builds no string.
  bool ExecProperty(ObjectRef& vObject, std::string_view PropName, Variant PropValue,
                    SafeArray& ParList);
  bool ReturnProperty(ObjectRef& vObject, std::string_view PropName, Variant& PropValue,
                      SafeArray& ParList);
  bool ReturnPropertyObj(ObjectRef& vObject, std::string_view PropName, ObjectRef& PropValue,
                         SafeArray& ParList);
  bool ExecMetod(ObjectRef& vObject, std::string_view MetodName, SafeArray& ParList);
  bool ExecMetodLet(ObjectRef& vObject, std::string_view MetodName, Variant& RetValue,
                    SafeArray& ParList);
  bool ExecMetodSet(ObjectRef& vObject, std::string_view MetodName, ObjectRef& RetValue,
                    SafeArray& ParList);

  // --- File and array utilities (never fail) ---
  bool CheckArray(SafeArray& ChAr);
  bool DeleteFile(std::string File_Name);
  bool CheckExistsFile(std::string File_Name);

  // --- Property trees (never fail; nothing when creation fails) ---
  ObjectRef GetKZProperties();
  ObjectRef GetKZProperty();

  // Object
  Variant invoke(std::string_view name, CallKind kind, Args args) override;
  std::string typeName() const override;
};

// A public class of the library without members; clients cannot create it.
class VELMORA_EXPORT CommonInfo : public Object {
 public:
  Variant invoke(std::string_view name, CallKind kind, Args args) override;
  std::string typeName() const override;
};

}  // namespace velmora
