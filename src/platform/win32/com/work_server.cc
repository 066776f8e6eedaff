// Each slot of _Work turns its typed arguments into variants, calls the
// member by name (so the member table's conversions and disciplines apply
// as for every other caller), and writes the result and the by-reference
// arguments back in the slot's types. Late-bound calls reach the same slots
// through DispInvoke, which reads the parameters from the type library.
#include "platform/win32/com/work_server.h"

#include <commonvelmora/convert.h>
#include <commonvelmora/work.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/win32/com/byref_arguments.h"
#include "platform/win32/com/com_object.h"
#include "platform/win32/com/interfaces.h"
#include "platform/win32/com/object_bridge.h"
#include "platform/win32/com/picture_bridge.h"
#include "platform/win32/com/server_module.h"
#include "platform/win32/com/slot_values.h"
#include "platform/win32/com/variant_bridge.h"

namespace velmora::com {
namespace {

// A COM object deletes itself in Release; no one deletes it through an
// interface pointer, whose destructor is not virtual by design.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// An optional by-reference argument, which the type library declares as a
// variant: a by-reference default reaches the server as a pointer made of
// the default's value, and without a default an omitted object or text
// comes as no usable pointer; an omitted variant is the missing value. Omitted, it is forwarded as
// missing and nothing is written back.
Variant optional(const VARIANT* v) { return v == nullptr ? Variant::missing() : fromVariant(*v); }
void putOptional(VARIANT* out, const Variant& v) {
  if (out != nullptr && !v.isMissing()) toVariant(v, out);
}
void putEnum(std::int32_t* out, const Variant& v) { *out = toInt32(v); }
Variant picture(IDispatch* v) { return Variant(pictureFromDispatch(v)); }

using Args = std::span<Variant>;

auto none() {
  return [] { return std::vector<Variant>(); };
}
template <class Out>
auto result(Out* out) {
  return [out](Args, const Variant& r) { putResult(out, r); };
}
auto noResult() {
  return [](Args, const Variant&) {};
}

class WorkServer final : public ComObject<WorkServer, _Work> {
 public:
  WorkServer() = default;

  void* interfaceFor(REFIID iid) {
    if (iid == IID_IDispatch || iid == IID__Work) return static_cast<_Work*>(this);
    if (iid == IID_ISupportErrorInfo) return &errorInfo_;
    return nullptr;
  }

  // IDispatch, through the type library.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    ITypeInfo* info = interfaceTypeInfo(IID__Work);
    if (info == nullptr) return E_FAIL;
    info->AddRef();
    *out = info;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    ITypeInfo* info = interfaceTypeInfo(IID__Work);
    if (info == nullptr) return E_FAIL;
    return DispGetIDsOfNames(info, names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
    ITypeInfo* info = interfaceTypeInfo(IID__Work);
    if (info == nullptr) return E_FAIL;
    if (params == nullptr) return E_INVALIDARG;
    std::optional<TypedArguments> args;
    try {
      args.emplace(info, id, flags, *params);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    DISPPARAMS typed = *params;
    typed.rgvarg = args->data();
    return DispInvoke(static_cast<_Work*>(this), info, id, flags, &typed, result, exception,
                      argError);
  }

  // _Work
  HRESULT STDMETHODCALLTYPE ReadRegistryValue(BSTR RegKey, BSTR ValueName, LONG* ErrorCode,
                                              VARIANT DefaultValue, VARIANT* Result) override {
    return run(
        "ReadRegistryValue",
        [&] {
          return std::vector{text(RegKey), text(ValueName), i32(*ErrorCode),
                             fromVariant(DefaultValue)};
        },
        [&](Args a, const Variant& r) {
          put(ErrorCode, a[2]);
          put(Result, r);
        });
  }
  HRESULT STDMETHODCALLTYPE ReadAllValue(BSTR RegKey, VARIANT* Result) override {
    return run(
        "ReadAllValue", [&] { return std::vector{text(RegKey)}; }, result(Result));
  }
  HRESULT STDMETHODCALLTYPE SetRegistryValue(BSTR RegKey, BSTR ValueName, VARIANT Value,
                                             LONG* Result) override {
    return run(
        "SetRegistryValue",
        [&] {
          return std::vector{text(RegKey), text(ValueName), fromVariant(Value)};
        },
        result(Result));
  }
  HRESULT STDMETHODCALLTYPE DeleteRegistryValue(BSTR RegKey, BSTR ValueName,
                                                LONG* Result) override {
    return run(
        "DeleteRegistryValue",
        [&] {
          return std::vector{text(RegKey), text(ValueName)};
        },
        result(Result));
  }
  HRESULT STDMETHODCALLTYPE DeleteRegistryKey(BSTR RegKey, LONG* Result) override {
    return run(
        "DeleteRegistryKey", [&] { return std::vector{text(RegKey)}; }, result(Result));
  }
  HRESULT STDMETHODCALLTYPE SetAllValue(BSTR RegKey, VARIANT* ArrayValue, LONG* Result) override {
    return run(
        "SetAllValue",
        [&] {
          return std::vector{text(RegKey), fromVariant(*ArrayValue)};
        },
        [&](Args a, const Variant& r) {
          put(ArrayValue, a[1]);
          put(Result, r);
        });
  }
  HRESULT STDMETHODCALLTYPE ChangeColumnCaption(IDispatch** CurrentColumn) override {
    return run(
        "ChangeColumnCaption", [&] { return std::vector{object(*CurrentColumn)}; },
        [&](Args a, const Variant&) { put(CurrentColumn, a[0]); });
  }
  HRESULT STDMETHODCALLTYPE ChangeSorting(short SortOrder, IDispatch** CurrentTable,
                                          IDispatch** CurrentColumn) override {
    return run(
        "ChangeSorting",
        [&] {
          return std::vector{i16(SortOrder), object(*CurrentTable), object(*CurrentColumn)};
        },
        [&](Args a, const Variant&) {
          put(CurrentTable, a[1]);
          put(CurrentColumn, a[2]);
        });
  }
  HRESULT STDMETHODCALLTYPE SaveGridSetting(IDispatch** SaveGrid, BSTR Key_String) override {
    return gridCall("SaveGridSetting", SaveGrid, Key_String);
  }
  HRESULT STDMETHODCALLTYPE RestoreGridSetting(IDispatch** RestoreGrid, BSTR Key_String) override {
    return gridCall("RestoreGridSetting", RestoreGrid, Key_String);
  }
  HRESULT STDMETHODCALLTYPE get_RegestryString(BSTR* Result) override {
    return run("RegestryString", CallKind::Get, none(), result(Result));
  }
  HRESULT STDMETHODCALLTYPE MsgActivate(BSTR msgText, ::msgIcon_Enum CurrentIcon,
                                        short CurrentButtons, ::msgButton_Enum DefButton,
                                        VARIANT* OwnerForm, VARIANT* Err_HelpFile,
                                        VARIANT* Err_HelpContext, VARIANT* ParentHWND,
                                        ::msgButton_Enum* Result) override {
    return run(
        "MsgActivate",
        [&] {
          return std::vector{text(msgText),
                             i32(CurrentIcon),
                             i16(CurrentButtons),
                             i32(DefButton),
                             optional(OwnerForm),
                             optional(Err_HelpFile),
                             optional(Err_HelpContext),
                             optional(ParentHWND)};
        },
        [&](Args a, const Variant& r) {
          putOptional(OwnerForm, a[4]);
          putOptional(Err_HelpFile, a[5]);
          putOptional(Err_HelpContext, a[6]);
          putOptional(ParentHWND, a[7]);
          putEnum(reinterpret_cast<std::int32_t*>(Result), r);
        });
  }
  HRESULT STDMETHODCALLTYPE get_LogFileName(BSTR* Result) override {
    return run("LogFileName", CallKind::Get, none(), result(Result));
  }
  HRESULT STDMETHODCALLTYPE put_LogFileName(BSTR NewValue) override {
    return run(
        "LogFileName", CallKind::Let, [&] { return std::vector{text(NewValue)}; }, noResult());
  }
  HRESULT STDMETHODCALLTYPE StoreMessageToLog(BSTR MessageText, VARIANT_BOOL* Result) override {
    return run(
        "StoreMessageToLog", [&] { return std::vector{text(MessageText)}; }, result(Result));
  }
  HRESULT STDMETHODCALLTYPE StoreErrorToLog(LONG ErrNumber, BSTR ErrDescription,
                                            VARIANT_BOOL* Result) override {
    return run(
        "StoreErrorToLog",
        [&] {
          return std::vector{i32(ErrNumber), text(ErrDescription)};
        },
        result(Result));
  }
  HRESULT STDMETHODCALLTYPE get_AppNumber(::App_Key* Result) override {
    return run("AppNumber", CallKind::Get, none(), [&](Args, const Variant& r) {
      putEnum(reinterpret_cast<std::int32_t*>(Result), r);
    });
  }
  HRESULT STDMETHODCALLTYPE put_AppNumber(::App_Key NewValue) override {
    return run(
        "AppNumber", CallKind::Let, [&] { return std::vector{i32(NewValue)}; }, noResult());
  }
  HRESULT STDMETHODCALLTYPE AppDescription(::App_Key App_Number, BSTR* Result) override {
    return run(
        "AppDescription", [&] { return std::vector{i32(App_Number)}; }, result(Result));
  }
  HRESULT STDMETHODCALLTYPE GetStringDescription(BSTR St_Descr, VARIANT Arguments,
                                                 BSTR* Result) override {
    return run(
        "GetStringDescription",
        [&] {
          return std::vector{text(St_Descr), fromVariant(Arguments)};
        },
        result(Result));
  }
  HRESULT STDMETHODCALLTYPE put_MaxLogFile(LONG NewValue) override {
    return run(
        "MaxLogFile", CallKind::Let, [&] { return std::vector{i32(NewValue)}; }, noResult());
  }
  HRESULT STDMETHODCALLTYPE GridToClip(IDispatch** Grid, VARIANT_BOOL WithHeadings,
                                       VARIANT_BOOL* Result) override {
    return run(
        "GridToClip",
        [&] {
          return std::vector{object(*Grid), boolean(WithHeadings)};
        },
        [&](Args a, const Variant& r) {
          put(Grid, a[0]);
          put(Result, r);
        });
  }
  // A client's system picture is read as one of ours, which the member
  // leaves as it is: the client's variable keeps its own picture.
  HRESULT STDMETHODCALLTYPE GetImageData(IPictureDisp** ImageObj, VARIANT* Result) override {
    return run(
        "GetImageData", [&] { return std::vector{picture(*ImageObj)}; }, result(Result));
  }
  HRESULT STDMETHODCALLTYPE GetDataImage(SAFEARRAY** DatRec, IPictureDisp** Result) override {
    return bytesIn("GetDataImage", DatRec, [&](const Variant& r) { putResult(Result, r); });
  }
  HRESULT STDMETHODCALLTYPE ExecProperty(IDispatch** vObject, BSTR PropName, VARIANT PropValue,
                                         SAFEARRAY** ParList, VARIANT_BOOL* Result) override {
    return lateBound(
        "ExecProperty", vObject, PropName, [&] { return fromVariant(PropValue); }, ParList, Result,
        [](const Variant&) {});
  }
  HRESULT STDMETHODCALLTYPE ReturnProperty(IDispatch** vObject, BSTR PropName, VARIANT* PropValue,
                                           SAFEARRAY** ParList, VARIANT_BOOL* Result) override {
    return lateBound(
        "ReturnProperty", vObject, PropName, [&] { return fromVariant(*PropValue); }, ParList,
        Result, [&](const Variant& v) { put(PropValue, v); });
  }
  HRESULT STDMETHODCALLTYPE ReturnPropertyObj(IDispatch** vObject, BSTR PropName,
                                              IDispatch** PropValue, SAFEARRAY** ParList,
                                              VARIANT_BOOL* Result) override {
    return lateBound(
        "ReturnPropertyObj", vObject, PropName, [&] { return object(*PropValue); }, ParList, Result,
        [&](const Variant& v) { put(PropValue, v); });
  }
  HRESULT STDMETHODCALLTYPE ExecMetod(IDispatch** vObject, BSTR MetodName, SAFEARRAY** ParList,
                                      VARIANT_BOOL* Result) override {
    return run(
        "ExecMetod",
        [&] {
          return std::vector{object(*vObject), text(MetodName), array(ParList)};
        },
        [&](Args a, const Variant& r) {
          put(vObject, a[0]);
          put(ParList, a[2]);
          put(Result, r);
        });
  }
  HRESULT STDMETHODCALLTYPE ExecMetodLet(IDispatch** vObject, BSTR MetodName, VARIANT* RetValue,
                                         SAFEARRAY** ParList, VARIANT_BOOL* Result) override {
    return lateBound(
        "ExecMetodLet", vObject, MetodName, [&] { return fromVariant(*RetValue); }, ParList, Result,
        [&](const Variant& v) { put(RetValue, v); });
  }
  HRESULT STDMETHODCALLTYPE ExecMetodSet(IDispatch** vObject, BSTR MetodName, IDispatch** RetValue,
                                         SAFEARRAY** ParList, VARIANT_BOOL* Result) override {
    return lateBound(
        "ExecMetodSet", vObject, MetodName, [&] { return object(*RetValue); }, ParList, Result,
        [&](const Variant& v) { put(RetValue, v); });
  }
  HRESULT STDMETHODCALLTYPE CheckArray(SAFEARRAY** ChAr, VARIANT_BOOL* Result) override {
    return bytesIn("CheckArray", ChAr, [&](const Variant& r) { put(Result, r); });
  }
  HRESULT STDMETHODCALLTYPE DeleteFile(BSTR File_Name, VARIANT_BOOL* Result) override {
    return run(
        "DeleteFile", [&] { return std::vector{text(File_Name)}; }, result(Result));
  }
  HRESULT STDMETHODCALLTYPE CheckExistsFile(BSTR File_Name, VARIANT_BOOL* Result) override {
    return run(
        "CheckExistsFile", [&] { return std::vector{text(File_Name)}; }, result(Result));
  }
  HRESULT STDMETHODCALLTYPE GetObjectData(IDispatch** ImageObj, VARIANT* Result) override {
    return objectIn("GetObjectData", ImageObj, Result);
  }
  HRESULT STDMETHODCALLTYPE GetDataObject(SAFEARRAY** DatRec, IDispatch** Result) override {
    return bytesIn("GetDataObject", DatRec, [&](const Variant& r) { put(Result, r); });
  }
  HRESULT STDMETHODCALLTYPE SetGridColumnsVisible(IDispatch** CurrentTable,
                                                  BSTR CurrentRegKey) override {
    return gridCall("SetGridColumnsVisible", CurrentTable, CurrentRegKey);
  }
  HRESULT STDMETHODCALLTYPE GetArrayByPicture(IDispatch* ImageObj, VARIANT* Result) override {
    return run(
        "GetArrayByPicture", [&] { return std::vector{picture(ImageObj)}; }, result(Result));
  }
  HRESULT STDMETHODCALLTYPE GetPictureByArray(SAFEARRAY** DatRec, IDispatch** Result) override {
    return bytesIn("GetPictureByArray", DatRec, [&](const Variant& r) { put(Result, r); });
  }
  HRESULT STDMETHODCALLTYPE GetKZProperties(IDispatch** Result) override {
    return run("GetKZProperties", none(), result(Result));
  }
  HRESULT STDMETHODCALLTYPE GetKZProperty(IDispatch** Result) override {
    return run("GetKZProperty", none(), result(Result));
  }
  HRESULT STDMETHODCALLTYPE GetLogFileNameByDate(VARIANT LogDate, BSTR* Result) override {
    return run(
        "GetLogFileNameByDate", [&] { return std::vector{fromVariant(LogDate)}; }, result(Result));
  }

 private:
  template <class MakeArgs, class WriteBack>
  HRESULT run(const char* name, CallKind kind, MakeArgs makeArgs, WriteBack writeBack) {
    return guarded([&] {
      std::vector<Variant> args = makeArgs();
      const Variant r = work_->invoke(name, kind, args);
      writeBack(Args(args), r);
    });
  }
  template <class MakeArgs, class WriteBack>
  HRESULT run(const char* name, MakeArgs makeArgs, WriteBack writeBack) {
    return run(name, CallKind::Method, std::move(makeArgs), std::move(writeBack));
  }

  HRESULT gridCall(const char* name, IDispatch** grid, BSTR key) {
    return run(
        name,
        [&] {
          return std::vector{object(*grid), text(key)};
        },
        [&](Args a, const Variant&) { put(grid, a[0]); });
  }
  HRESULT objectIn(const char* name, IDispatch** in, VARIANT* out) {
    return run(
        name, [&] { return std::vector{object(*in)}; },
        [&](Args a, const Variant& r) {
          put(in, a[0]);
          put(out, r);
        });
  }
  template <class Out>
  HRESULT bytesIn(const char* name, SAFEARRAY** in, Out out) {
    return run(
        name, [&] { return std::vector{array(in)}; },
        [&](Args a, const Variant& r) {
          if (a[0].isArray()) put(in, a[0]);
          out(r);
        });
  }

  // The four-argument late-bound members: object, name, value, list.
  template <class MakeValue, class PutValue>
  HRESULT lateBound(const char* name, IDispatch** target, BSTR member, MakeValue value,
                    SAFEARRAY** list, VARIANT_BOOL* out, PutValue putValue) {
    return run(
        name,
        [&] {
          return std::vector{object(*target), text(member), value(), array(list)};
        },
        [&](Args a, const Variant& r) {
          put(target, a[0]);
          putValue(a[2]);
          put(list, a[3]);
          put(out, r);
        });
  }

  // Tells a client calling through the function table that a failed slot
  // leaves its error in the thread's error object.
  class ErrorInfoSupport final : public ISupportErrorInfo {
   public:
    explicit ErrorInfoSupport(WorkServer& owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
      return owner_.QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
      return iid == IID__Work ? S_OK : S_FALSE;
    }

   private:
    WorkServer& owner_;
  };

  ErrorInfoSupport errorInfo_{*this};
  std::shared_ptr<Work> work_ = std::make_shared<Work>();
};

}  // namespace

IUnknown* newWorkServer() { return static_cast<_Work*>(new WorkServer()); }

}  // namespace velmora::com
