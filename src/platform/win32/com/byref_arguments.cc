#include "platform/win32/com/byref_arguments.h"

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

namespace velmora::com {
namespace {

// The declared by-reference element type of each parameter of member `id`
// for the call kinds in `flags` (VT_VARIANT for a variant reference);
// VT_EMPTY where none applies.
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
        } else if (target.vt != VT_PTR && target.vt != VT_USERDEFINED) {
          types[static_cast<std::size_t>(p)] = target.vt;
        }
      }
    }
    info->ReleaseFuncDesc(f);
  }
  return types;
}

}  // namespace

TypedArguments::TypedArguments(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS& params)
    : args_(params.rgvarg, params.rgvarg + params.cArgs) {
  copies_.reserve(args_.size());
  const std::vector<VARTYPE> types = byRefTypes(info, id, flags);
  for (std::size_t p = 0; p < types.size() && p < args_.size(); ++p) {
    VARIANTARG& arg = args_[args_.size() - 1 - p];  // arguments come last first
    const VARTYPE type = types[p];
    // An omitted argument stays omitted.
    if (type == VT_EMPTY || (V_VT(&arg) == VT_ERROR && V_ERROR(&arg) == DISP_E_PARAMNOTFOUND)) {
      continue;
    }
    if (type == VT_VARIANT) {
      if (V_ISBYREF(&arg)) continue;
      VARIANT& copy = copyOf(arg);
      V_VT(&arg) = VT_VARIANT | VT_BYREF;
      V_VARIANTREF(&arg) = &copy;
      continue;
    }
    VARIANT* target = nullptr;
    if (V_VT(&arg) == (VT_VARIANT | VT_BYREF)) {
      target = V_VARIANTREF(&arg);  // the caller's variable, converted in place
      if ((type & VT_ARRAY) != 0 && V_VT(target) == (type | VT_BYREF)) {
        arg = *target;
        continue;
      }
    } else if (!V_ISBYREF(&arg)) {
      target = &copyOf(arg);
    } else {
      continue;
    }
    // Arrays are not converted: one of another element type is refused.
    if (V_VT(target) != type &&
        ((type & VT_ARRAY) != 0 || FAILED(VariantChangeType(target, target, 0, type)))) {
      continue;
    }
    V_VT(&arg) = static_cast<VARTYPE>(type | VT_BYREF);
    V_BYREF(&arg) = &V_UI1(target);  // the value's storage inside the variant
  }
}

TypedArguments::~TypedArguments() {
  for (VARIANT& copy : copies_) VariantClear(&copy);
}

VARIANT& TypedArguments::copyOf(const VARIANTARG& value) {
  VARIANT& copy = copies_.emplace_back();
  VariantInit(&copy);
  VariantCopy(&copy, const_cast<VARIANTARG*>(&value));  // only read
  return copy;
}

}  // namespace velmora::com
