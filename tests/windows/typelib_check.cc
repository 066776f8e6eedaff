// The type library as a client's development environment reads it from the
// DLL: the library's name and help text, every _Work member in its function
// table slot with its parameter names, the property classes' slots, and the
// published enumerations and record.
#include <oaidl.h>
#include <oleauto.h>
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "check.h"
#include "test_objects.h"

namespace {

using velmora::wintest::narrow;

struct Member {
  const char* name;
  INVOKEKIND kind;
  const char* params;  // space-separated, the result parameter left out
};

constexpr INVOKEKIND kFunc = INVOKE_FUNC, kGet = INVOKE_PROPERTYGET, kLet = INVOKE_PROPERTYPUT;

// In slot order.
const Member kWorkMembers[] = {
    {"ReadRegistryValue", kFunc, "RegKey ValueName ErrorCode DefaultValue"},
    {"ReadAllValue", kFunc, "RegKey"},
    {"SetRegistryValue", kFunc, "RegKey ValueName Value"},
    {"DeleteRegistryValue", kFunc, "RegKey ValueName"},
    {"DeleteRegistryKey", kFunc, "RegKey"},
    {"SetAllValue", kFunc, "RegKey ArrayValue"},
    {"ChangeColumnCaption", kFunc, "CurrentColumn"},
    {"ChangeSorting", kFunc, "SortOrder CurrentTable CurrentColumn"},
    {"SaveGridSetting", kFunc, "SaveGrid Key_String"},
    {"RestoreGridSetting", kFunc, "RestoreGrid Key_String"},
    {"RegestryString", kGet, ""},
    {"MsgActivate", kFunc,
     "msgText CurrentIcon CurrentButtons DefButton OwnerForm Err_HelpFile Err_HelpContext "
     "ParentHWND"},
    {"LogFileName", kGet, ""},
    {"LogFileName", kLet, "NewValue"},
    {"StoreMessageToLog", kFunc, "MessageText"},
    {"StoreErrorToLog", kFunc, "ErrNumber ErrDescription"},
    {"AppNumber", kGet, ""},
    {"AppNumber", kLet, "NewValue"},
    {"AppDescription", kFunc, "App_Number"},
    {"GetStringDescription", kFunc, "St_Descr Arguments"},
    {"MaxLogFile", kLet, "NewValue"},
    {"GridToClip", kFunc, "Grid WithHeadings"},
    {"GetImageData", kFunc, "ImageObj"},
    {"GetDataImage", kFunc, "DatRec"},
    {"ExecProperty", kFunc, "vObject PropName PropValue ParList"},
    {"ReturnProperty", kFunc, "vObject PropName PropValue ParList"},
    {"ReturnPropertyObj", kFunc, "vObject PropName PropValue ParList"},
    {"ExecMetod", kFunc, "vObject MetodName ParList"},
    {"ExecMetodLet", kFunc, "vObject MetodName RetValue ParList"},
    {"ExecMetodSet", kFunc, "vObject MetodName RetValue ParList"},
    {"CheckArray", kFunc, "ChAr"},
    {"DeleteFile", kFunc, "File_Name"},
    {"CheckExistsFile", kFunc, "File_Name"},
    {"GetObjectData", kFunc, "ImageObj"},
    {"GetDataObject", kFunc, "DatRec"},
    {"SetGridColumnsVisible", kFunc, "CurrentTable CurrentRegKey"},
    {"GetArrayByPicture", kFunc, "ImageObj"},
    {"GetPictureByArray", kFunc, "DatRec"},
    {"GetKZProperties", kFunc, ""},
    {"GetKZProperty", kFunc, ""},
    {"GetLogFileNameByDate", kFunc, "LogDate"},
};

std::string nameOf(ITypeInfo* info, MEMBERID memid) {
  BSTR name = nullptr;
  if (FAILED(info->GetDocumentation(memid, &name, nullptr, nullptr, nullptr))) return "?";
  std::string out = narrow(name);
  SysFreeString(name);
  return out;
}

// The parameter names of function `f`, space-separated, the result left out.
std::string paramsOf(ITypeInfo* info, const FUNCDESC* f) {
  BSTR names[16] = {};
  UINT count = 0;
  info->GetNames(f->memid, names, 16, &count);
  std::string out;
  for (UINT i = 1; i < count; ++i) {
    const bool result = static_cast<SHORT>(i - 1) < f->cParams &&
                        (f->lprgelemdescParam[i - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL);
    if (!result) out += (out.empty() ? "" : " ") + narrow(names[i]);
  }
  for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);
  return out;
}

// The function-table part of the dual interface `iid`.
ITypeInfo* vtableOf(ITypeLib* lib, REFIID iid) {
  ITypeInfo* dispatch = nullptr;
  ITypeInfo* vtable = nullptr;
  HREFTYPE ref = 0;
  if (FAILED(lib->GetTypeInfoOfGuid(iid, &dispatch))) return nullptr;
  if (SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)))
    dispatch->GetRefTypeInfo(ref, &vtable);
  dispatch->Release();
  return vtable;
}

void workSlots(ITypeLib* lib) {
  const IID work = {0x37055F03, 0xB754, 0x4D12, {0x94, 0x31, 0x28, 0x69, 0x41, 0xA4, 0xA5, 0x81}};
  ITypeInfo* info = vtableOf(lib, work);
  WCHECK(info != nullptr);
  if (info == nullptr) return;
  TYPEATTR* attr = nullptr;
  info->GetTypeAttr(&attr);
  WCHECK(attr->cFuncs == 41 && (attr->wTypeFlags & TYPEFLAG_FDUAL));
  const WORD funcs = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (WORD i = 0; i < funcs && i < std::size(kWorkMembers); ++i) {
    const Member& m = kWorkMembers[i];
    FUNCDESC* f = nullptr;
    WCHECK(SUCCEEDED(info->GetFuncDesc(i, &f)));
    if (f == nullptr) continue;
    // IDispatch's seven functions come first.
    WCHECK(f->oVft == static_cast<SHORT>((7 + i) * sizeof(void*)));
    WCHECK(f->invkind == m.kind);
    WCHECK_EQ(nameOf(info, f->memid), m.name);
    // A property's let shares the get's member id, whose names GetNames gives.
    if (m.kind != kLet) WCHECK_EQ(paramsOf(info, f), m.params);
    info->ReleaseFuncDesc(f);
  }
  info->Release();
}

// The member names of the function table of `iid` in slot order, as
// "name name ...".
std::string slotNames(ITypeLib* lib, REFIID iid) {
  ITypeInfo* info = vtableOf(lib, iid);
  if (info == nullptr) return "missing";
  TYPEATTR* attr = nullptr;
  info->GetTypeAttr(&attr);
  std::string out;
  for (WORD i = 0; i < attr->cFuncs; ++i) {
    FUNCDESC* f = nullptr;
    if (FAILED(info->GetFuncDesc(i, &f))) return "missing";
    out += (out.empty() ? "" : " ") + nameOf(info, f->memid);
    info->ReleaseFuncDesc(f);
  }
  info->ReleaseTypeAttr(attr);
  info->Release();
  return out;
}

// Names and values of a published enumeration or fields of the record, as
// "name=value ..." (fields without values).
std::string membersOf(ITypeLib* lib, const wchar_t* typeName) {
  ITypeInfo* info = nullptr;
  MEMBERID id = 0;
  USHORT found = 1;
  std::wstring name(typeName);
  if (FAILED(lib->FindName(name.data(), 0, &info, &id, &found)) || found == 0) return "missing";
  TYPEATTR* attr = nullptr;
  info->GetTypeAttr(&attr);
  std::string out;
  for (WORD i = 0; i < attr->cVars; ++i) {
    VARDESC* v = nullptr;
    info->GetVarDesc(i, &v);
    out += (out.empty() ? "" : " ") + nameOf(info, v->memid);
    if (v->varkind == VAR_CONST) out += "=" + std::to_string(V_I4(v->lpvarValue));
    info->ReleaseVarDesc(v);
  }
  info->ReleaseTypeAttr(attr);
  info->Release();
  return out;
}

void published(ITypeLib* lib) {
  WCHECK_EQ(membersOf(lib, L"msgIcon_Enum"), "msgInfo=0 msgCritical=1 msgQuery=2 msgWarning=3");
  WCHECK_EQ(membersOf(lib, L"msgButton_Enum"), "msgOK=1 msgCancel=2");
  WCHECK_EQ(membersOf(lib, L"BaseTypeEnum"), "bteNone=0 bteAccess=1 bteSQL=2 bteOracle=3");
  WCHECK_EQ(membersOf(lib, L"KZ_LastError"),
            "kz_ErrNumber kz_ErrDescription kz_ErrSource kz_ErrState kz_NativeError kz_ProcName");
  const std::string codes = membersOf(lib, L"App_Key");
  WCHECK(codes.find("=1000 ") != std::string::npos && codes.ends_with("=1020") &&
         std::count(codes.begin(), codes.end(), '=') == 21);
}

}  // namespace

int main() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dll(path, length);
  dll = dll.substr(0, dll.find_last_of(L'\\') + 1) + L"CommonVelmora.dll";
  ITypeLib* lib = nullptr;
  WCHECK(SUCCEEDED(LoadTypeLibEx(dll.c_str(), REGKIND_NONE, &lib)));
  if (lib == nullptr) return velmora::wintest::summary();

  BSTR name = nullptr, help = nullptr;
  lib->GetDocumentation(-1, &name, &help, nullptr, nullptr);
  WCHECK_EQ(narrow(name), "CommonVelmora");
  // The members' help strings restate the IDL; this one shows they are compiled in.
  WCHECK_EQ(narrow(help), "Common procedure");
  SysFreeString(name);
  SysFreeString(help);

  workSlots(lib);
  const IID property = {
      0xE8EBFD21, 0xB777, 0x4B7F, {0x93, 0x1D, 0xA7, 0x48, 0x63, 0x4A, 0x91, 0xAE}};
  const IID properties = {
      0x1C29FCE7, 0x59F8, 0x41C4, {0x92, 0x13, 0x9B, 0x2E, 0x25, 0x3C, 0xD1, 0x07}};
  WCHECK_EQ(slotNames(lib, property),
            "Name Name Value Value ReadOnly ReadOnly ValueType IsParent Parent");
  WCHECK_EQ(slotNames(lib, properties),
            "NewItem LastRemovedName Count Properties Add Remove PropCollection Clear Clone "
            "Parent ItemIndex MoveUp MoveDown Find FindEx");
  published(lib);
  lib->Release();
  return velmora::wintest::summary();
}
