// A small script host for the library's script tests: runs one VBScript or
// JScript file (by its extension) with the `Host` object below, reports a
// script error with its line and text, and ends with "N passed, N failed" and a failing exit
// status after any failure or script error (Wine's cscript exits 0).
#include <windows.h>
// After windows.h, which it needs.
#include <initguid.h>
// The script interfaces, their identifiers defined by the line above.
#include <activscp.h>
#include <oleauto.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "check.h"
#include "test_objects.h"

namespace {

using velmora::wintest::narrow;

// Host.Check(ok, what) counts a result, and Host.List(lbound, items...)
// makes the one-dimensional variant array from lbound that a script cannot
// make itself (VBScript's start at 0, JScript has none).
class HostObject final : public velmora::wintest::NamedDispatch<HostObject> {
 public:
  static constexpr const wchar_t* kNames[] = {L"Check", L"List"};

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    if (id == 2) return list(params, result);
    if (params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
    // Arguments come last first.
    VARIANT ok, text;
    VariantInit(&ok);
    VariantInit(&text);
    const bool passed = SUCCEEDED(VariantChangeType(&ok, &params->rgvarg[1], 0, VT_BOOL)) &&
                        V_BOOL(&ok) != VARIANT_FALSE;
    const bool named = SUCCEEDED(VariantChangeType(&text, &params->rgvarg[0], 0, VT_BSTR));
    velmora::wintest::record(passed, named ? narrow(V_BSTR(&text)).c_str() : "", "script", 0);
    VariantClear(&text);
    return S_OK;
  }

 private:
  static HRESULT list(DISPPARAMS* params, VARIANT* result) {
    const UINT count = params->cArgs;
    VARIANT lbound;
    VariantInit(&lbound);
    if (count < 1 || result == nullptr ||
        FAILED(VariantChangeType(&lbound, &params->rgvarg[count - 1], 0, VT_I4))) {
      return DISP_E_TYPEMISMATCH;
    }
    SAFEARRAYBOUND bound{count - 1, V_I4(&lbound)};
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 1, &bound);
    for (UINT i = 0; i + 1 < count; ++i) {
      LONG at = V_I4(&lbound) + static_cast<LONG>(i);
      VARIANT item;
      VariantInit(&item);
      VariantCopyInd(&item, &params->rgvarg[count - 2 - i]);
      SafeArrayPutElement(array, &at, &item);
      VariantClear(&item);
    }
    V_VT(result) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(result) = array;
    return S_OK;
  }
};

class Site final : public velmora::wintest::Unowned<Site, IActiveScriptSite> {
 public:
  explicit Site(HostObject& host) : host_(host) {}
  bool failed = false;

  void* interfaceFor(REFIID iid) {
    return iid == IID_IActiveScriptSite ? static_cast<IActiveScriptSite*>(this) : nullptr;
  }
  HRESULT STDMETHODCALLTYPE GetLCID(LCID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item,
                                        ITypeInfo** info) override {
    if (_wcsicmp(name, L"Host") != 0) return TYPE_E_ELEMENTNOTFOUND;
    if ((mask & SCRIPTINFO_IUNKNOWN) != 0) *item = &host_;
    if ((mask & SCRIPTINFO_ITYPEINFO) != 0) *info = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* error) override {
    failed = true;
    EXCEPINFO info{};
    DWORD context = 0;
    ULONG line = 0;
    LONG column = 0;
    error->GetExceptionInfo(&info);
    error->GetSourcePosition(&context, &line, &column);
    std::printf("SCRIPT ERROR line %lu: %ld %s\n", line + 1,
                static_cast<long>(info.scode != 0 ? info.scode : info.wCode),
                narrow(info.bstrDescription).c_str());
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

 private:
  HostObject& host_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: script_host FILE.vbs|FILE.js\n");
    return 64;
  }
  const std::string path = argv[1];
  std::ifstream in(path, std::ios::binary);
  const std::string code((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const bool jscript = path.size() > 3 && path.substr(path.size() - 3) == ".js";
  std::wstring wide(code.begin(), code.end());  // the scripts are ASCII

  CoInitialize(nullptr);
  HostObject host;
  Site site(host);
  CLSID engineId;
  IActiveScript* engine = nullptr;
  IActiveScriptParse* parser = nullptr;
  bool ran = SUCCEEDED(CLSIDFromProgID(jscript ? L"JScript" : L"VBScript", &engineId)) &&
             SUCCEEDED(CoCreateInstance(engineId, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                        reinterpret_cast<void**>(&engine))) &&
             SUCCEEDED(engine->QueryInterface(IID_IActiveScriptParse,
                                              reinterpret_cast<void**>(&parser))) &&
             SUCCEEDED(engine->SetScriptSite(&site)) && SUCCEEDED(parser->InitNew()) &&
             SUCCEEDED(engine->AddNamedItem(L"Host", SCRIPTITEM_ISVISIBLE)) &&
             SUCCEEDED(engine->SetScriptState(SCRIPTSTATE_STARTED));
  if (ran) {
    EXCEPINFO error{};
    ran = SUCCEEDED(parser->ParseScriptText(wide.c_str(), nullptr, nullptr, nullptr, 0, 0,
                                            SCRIPTTEXT_ISVISIBLE, nullptr, &error));
  }
  if (!ran || site.failed) velmora::wintest::record(false, "the script ran to its end", "host", 0);
  if (parser != nullptr) parser->Release();
  if (engine != nullptr) {
    engine->Close();
    engine->Release();
  }
  CoUninitialize();
  return velmora::wintest::summary();
}
