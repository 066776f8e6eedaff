// Work by name: every member in one table with its argument counts, so that
// scripts, the command-line tool and tests reach it through Object::invoke.
//
// Arguments are turned into the members' declared types with the runtime's
// conversions (13 type mismatch, 94 invalid use of null, 6 overflow) before
// the member runs, as the automation runtime does, so an unusable argument
// raises even for a member that otherwise never fails. By-value arguments
// are copies; by-reference ones are written back to the caller's variants,
// also when the member raises; an omitted optional argument takes its
// default, or is forwarded as missing where it has none.
#include <commonvelmora/convert.h>
#include <commonvelmora/member_table.h>
#include <commonvelmora/work.h>

#include <utility>

namespace velmora {
namespace {

// A by-reference argument seen with its declared type. `slot` is the
// caller's variant, or null for an omitted optional argument, whose default
// is used and nothing written back.
template <class T>
class ByRef {
 public:
  ByRef(Variant* slot, T value) : slot_(slot), value_(std::move(value)) {}
  ByRef(const ByRef&) = delete;
  ByRef& operator=(const ByRef&) = delete;
  ~ByRef() {
    if (slot_ == nullptr) return;
    try {
      *slot_ = Variant(value_);
    } catch (...) {
      // Out of memory while copying back: the caller keeps its old value.
    }
  }
  T& operator*() { return value_; }

 private:
  Variant* slot_;
  T value_;
};

ByRef<ObjectRef> objectByRef(Args a, std::size_t i) { return {&a[i], toObject(a[i])}; }

template <class T, class Convert>
ByRef<T> optionalByRef(Args a, std::size_t i, T fallback, Convert convert) {
  if (!supplied(a, i)) return {nullptr, std::move(fallback)};
  return {&a[i], convert(a[i])};
}

// A variant array or byte array passed by reference: the member works on the
// caller's own array.
SafeArray& arrayByRef(Args a, std::size_t i) {
  if (!a[i].isArray()) throw AutomationError(err::kTypeMismatch);
  return a[i].array();
}

// What every late-bound call is given: the member's name, the argument list
// (the caller's own array) and the object (by reference), converted in this
// order.
struct LateBoundCall {
  std::string name;
  SafeArray& list;
  ByRef<ObjectRef> object;
};
LateBoundCall lateBoundCall(Args a, std::size_t listAt) {
  return {toText(a[1]), arrayByRef(a, listAt), objectByRef(a, 0)};
}

Variant button(msgButton_Enum b) { return Variant(std::int32_t{b}); }

const MemberTable<Work>& members() {
  static const auto table =
      MemberTable<Work>()
          // Registry settings.
          .method("ReadRegistryValue", 3, 4,
                  [](Work& w, Args a) -> Variant {
                    std::string key = toText(a[0]), name = toText(a[1]);
                    ByRef<std::int32_t> errorCode(&a[2], toInt32(a[2]));
                    return w.ReadRegistryValue(std::move(key), std::move(name), *errorCode,
                                               optionalArg(a, 3));
                  })
          .method("ReadAllValue", 1, 1,
                  [](Work& w, Args a) -> Variant { return w.ReadAllValue(toText(a[0])); })
          .method("SetRegistryValue", 3, 3,
                  [](Work& w, Args a) -> Variant {
                    return w.SetRegistryValue(toText(a[0]), toText(a[1]), a[2]);
                  })
          .method("DeleteRegistryValue", 2, 2,
                  [](Work& w, Args a) -> Variant {
                    return w.DeleteRegistryValue(toText(a[0]), toText(a[1]));
                  })
          .method("DeleteRegistryKey", 1, 1,
                  [](Work& w, Args a) -> Variant { return w.DeleteRegistryKey(toText(a[0])); })
          .method("SetAllValue", 2, 2,
                  [](Work& w, Args a) -> Variant { return w.SetAllValue(toText(a[0]), a[1]); })
          .get("RegestryString", 0, 0, [](Work& w, Args) -> Variant { return w.RegestryString(); })
          // Grid layout services.
          .method("ChangeColumnCaption", 1, 1,
                  [](Work& w, Args a) -> Variant {
                    auto column = objectByRef(a, 0);
                    w.ChangeColumnCaption(*column);
                    return {};
                  })
          .method("ChangeSorting", 3, 3,
                  [](Work& w, Args a) -> Variant {
                    const std::int16_t order = toInt16(a[0]);
                    auto grid = objectByRef(a, 1);
                    auto column = objectByRef(a, 2);
                    w.ChangeSorting(order, *grid, *column);
                    return {};
                  })
          .method("SaveGridSetting", 2, 2,
                  [](Work& w, Args a) -> Variant {
                    std::string key = toText(a[1]);
                    auto grid = objectByRef(a, 0);
                    w.SaveGridSetting(*grid, std::move(key));
                    return {};
                  })
          .method("RestoreGridSetting", 2, 2,
                  [](Work& w, Args a) -> Variant {
                    std::string key = toText(a[1]);
                    auto grid = objectByRef(a, 0);
                    w.RestoreGridSetting(*grid, std::move(key));
                    return {};
                  })
          .method("SetGridColumnsVisible", 1, 2,
                  [](Work& w, Args a) -> Variant {
                    std::string key = supplied(a, 1) ? toText(a[1]) : std::string();
                    auto grid = objectByRef(a, 0);
                    w.SetGridColumnsVisible(*grid, std::move(key));
                    return {};
                  })
          .method("GridToClip", 2, 2,
                  [](Work& w, Args a) -> Variant {
                    const bool withHeadings = toBool(a[1]);
                    auto grid = objectByRef(a, 0);
                    return w.GridToClip(*grid, withHeadings);
                  })
          // Message window.
          .method("MsgActivate", 1, 8,
                  [](Work& w, Args a) -> Variant {
                    std::string text = toText(a[0]);
                    const auto icon =
                        static_cast<msgIcon_Enum>(supplied(a, 1) ? toInt32(a[1]) : msgCritical);
                    const std::int16_t buttons = supplied(a, 2) ? toInt16(a[2]) : 1;
                    const auto defButton =
                        static_cast<msgButton_Enum>(supplied(a, 3) ? toInt32(a[3]) : msgOK);
                    auto owner = optionalByRef<ObjectRef>(a, 4, nullptr, toObject);
                    auto helpFile = optionalByRef<std::string>(a, 5, "", toText);
                    auto helpContext = optionalByRef<std::int32_t>(a, 6, -1, toInt32);
                    auto parent = optionalByRef<std::int32_t>(a, 7, -1, toInt32);
                    return button(w.MsgActivate(std::move(text), icon, buttons, defButton, *owner,
                                                *helpFile, *helpContext, *parent));
                  })
          // Logging.
          .get("LogFileName", 0, 0, [](Work& w, Args) -> Variant { return w.LogFileName(); })
          .let("LogFileName", 1, 1,
               [](Work& w, Args a) -> Variant {
                 w.LogFileName(toText(a[0]));
                 return {};
               })
          .method("GetLogFileNameByDate", 1, 1,
                  [](Work& w, Args a) -> Variant { return w.GetLogFileNameByDate(a[0]); })
          .let("MaxLogFile", 1, 1,
               [](Work& w, Args a) -> Variant {
                 w.MaxLogFile(toInt32(a[0]));
                 return {};
               })
          .method("StoreMessageToLog", 1, 1,
                  [](Work& w, Args a) -> Variant { return w.StoreMessageToLog(toText(a[0])); })
          .method("StoreErrorToLog", 2, 2,
                  [](Work& w, Args a) -> Variant {
                    return w.StoreErrorToLog(toInt32(a[0]), toText(a[1]));
                  })
          .method("GetStringDescription", 1, 2,
                  [](Work& w, Args a) -> Variant {
                    return w.GetStringDescription(toText(a[0]), optionalArg(a, 1));
                  })
          // Application code.
          .get("AppNumber", 0, 0,
               [](Work& w, Args) -> Variant { return std::int32_t{w.AppNumber()}; })
          .let("AppNumber", 1, 1,
               [](Work& w, Args a) -> Variant {
                 w.AppNumber(static_cast<App_Key>(toInt32(a[0])));
                 return {};
               })
          .method("AppDescription", 1, 1,
                  [](Work& w, Args a) -> Variant {
                    return w.AppDescription(static_cast<App_Key>(toInt32(a[0])));
                  })
          // Pictures and objects as byte arrays.
          .method("GetImageData", 1, 1,
                  [](Work& w, Args a) -> Variant {
                    auto image = objectByRef(a, 0);
                    return w.GetImageData(*image);
                  })
          .method("GetDataImage", 1, 1,
                  [](Work& w, Args a) -> Variant { return w.GetDataImage(arrayByRef(a, 0)); })
          .method("GetObjectData", 1, 1,
                  [](Work& w, Args a) -> Variant {
                    auto object = objectByRef(a, 0);
                    return w.GetObjectData(*object);
                  })
          .method("GetDataObject", 1, 1,
                  [](Work& w, Args a) -> Variant { return w.GetDataObject(arrayByRef(a, 0)); })
          .method("GetArrayByPicture", 1, 1,
                  [](Work& w, Args a) -> Variant { return w.GetArrayByPicture(toObject(a[0])); })
          .method("GetPictureByArray", 1, 1,
                  [](Work& w, Args a) -> Variant { return w.GetPictureByArray(arrayByRef(a, 0)); })
          // Late-bound calls.
          .method("ExecProperty", 4, 4,
                  [](Work& w, Args a) -> Variant {
                    auto call = lateBoundCall(a, 3);
                    return w.ExecProperty(*call.object, call.name, a[2], call.list);
                  })
          .method("ReturnProperty", 4, 4,
                  [](Work& w, Args a) -> Variant {
                    auto call = lateBoundCall(a, 3);
                    return w.ReturnProperty(*call.object, call.name, a[2], call.list);
                  })
          .method("ReturnPropertyObj", 4, 4,
                  [](Work& w, Args a) -> Variant {
                    auto call = lateBoundCall(a, 3);
                    auto value = objectByRef(a, 2);
                    return w.ReturnPropertyObj(*call.object, call.name, *value, call.list);
                  })
          .method("ExecMetod", 3, 3,
                  [](Work& w, Args a) -> Variant {
                    auto call = lateBoundCall(a, 2);
                    return w.ExecMetod(*call.object, call.name, call.list);
                  })
          .method("ExecMetodLet", 4, 4,
                  [](Work& w, Args a) -> Variant {
                    auto call = lateBoundCall(a, 3);
                    return w.ExecMetodLet(*call.object, call.name, a[2], call.list);
                  })
          .method("ExecMetodSet", 4, 4,
                  [](Work& w, Args a) -> Variant {
                    auto call = lateBoundCall(a, 3);
                    auto value = objectByRef(a, 2);
                    return w.ExecMetodSet(*call.object, call.name, *value, call.list);
                  })
          // File and array utilities.
          .method("CheckArray", 1, 1,
                  [](Work& w, Args a) -> Variant { return w.CheckArray(arrayByRef(a, 0)); })
          .method("DeleteFile", 1, 1,
                  [](Work& w, Args a) -> Variant { return w.DeleteFile(toText(a[0])); })
          .method("CheckExistsFile", 1, 1,
                  [](Work& w, Args a) -> Variant { return w.CheckExistsFile(toText(a[0])); })
          // Property trees.
          .method("GetKZProperties", 0, 0,
                  [](Work& w, Args) -> Variant { return w.GetKZProperties(); })
          .method("GetKZProperty", 0, 0,
                  [](Work& w, Args) -> Variant { return w.GetKZProperty(); });
  return table;
}

}  // namespace

Variant Work::invoke(std::string_view name, CallKind kind, Args args) {
  return members().dispatch(*this, name, kind, args);
}

}  // namespace velmora
