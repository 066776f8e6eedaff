#include "platform/win32/com/byref_arguments.h"

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

namespace velmora::com {
namespace {

// The declared by-reference element type of each parameter of member `id`
// for the call kinds in `flags`; VT_EMPTY where none applies.
std::vector<VARTYPE> byRefTypes(ITypeInfo* info, DISPID id, WORD flags) {
  std::vector<VARTYPE> types;
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr))) return types;
  const WORD count = attr->cFuncs;
  info->ReleaseTypeAttr(attr);
  for (WORD i = 0; i < count && types.empty(); ++i) {
    FUNCDESC* f = nullptr;
    if (FAILED(info->GetFuncDesc(i, &f))) continue;
    if (f->memid == id && (f->invkind & flags) != 0) {
      types.assign(static_cast<std::size_t>(f->cParams), VT_EMPTY);
      for (SHORT p = 0; p < f->cParams; ++p) {
        const TYPEDESC& t = f->lprgelemdescParam[p].tdesc;
        if (t.vt != VT_PTR) continue;
        const TYPEDESC& target = *t.lptdesc;
        if (target.vt == VT_SAFEARRAY) {
          types[static_cast<std::size_t>(p)] = static_cast<VARTYPE>(VT_ARRAY | target.lptdesc->vt);
        } else if (target.vt != VT_VARIANT && target.vt != VT_PTR && target.vt != VT_USERDEFINED) {
          types[static_cast<std::size_t>(p)] = target.vt;
        }
      }
    }
    info->ReleaseFuncDesc(f);
  }
  return types;
}

}  // namespace

std::vector<VARIANTARG> typedByRefArguments(ITypeInfo* info, DISPID id, WORD flags,
                                            const DISPPARAMS& params) {
  std::vector<VARIANTARG> args(params.rgvarg, params.rgvarg + params.cArgs);
  const std::vector<VARTYPE> types = byRefTypes(info, id, flags);
  for (std::size_t p = 0; p < types.size() && p < args.size(); ++p) {
    VARIANTARG& arg = args[args.size() - 1 - p];  // arguments come last first
    const VARTYPE type = types[p];
    if (type == VT_EMPTY) continue;
    if ((type & VT_ARRAY) != 0) {
      // An array by value (a script's expression) or in a variant
      // reference (a script's variable): a reference to the array itself.
      VARIANTARG& original = params.rgvarg[args.size() - 1 - p];
      VARIANT* holder = V_VT(&arg) == (VT_VARIANT | VT_BYREF) ? V_VARIANTREF(&arg) : &original;
      if (V_VT(holder) == type) {
        V_VT(&arg) = static_cast<VARTYPE>(type | VT_BYREF);
        V_ARRAYREF(&arg) = &V_ARRAY(holder);
      } else if (V_VT(holder) == (type | VT_BYREF)) {
        arg = *holder;
      }
      continue;
    }
    if (V_VT(&arg) != (VT_VARIANT | VT_BYREF)) continue;
    VARIANT* target = V_VARIANTREF(&arg);
    if (V_VT(target) != type && FAILED(VariantChangeType(target, target, 0, type))) continue;
    V_VT(&arg) = static_cast<VARTYPE>(type | VT_BYREF);
    V_BYREF(&arg) = &V_UI1(target);  // the value's storage inside the caller's variant
  }
  return args;
}

}  // namespace velmora::com
