// A small script host for the library's script tests: runs one VBScript or
// JScript file (by its extension) with a `Host` object whose Check(ok,
// what) counts results and Echo(text) prints, reports a script error with
// its line and text, and ends with "N passed, N failed" and a failing exit
// status after any failure or script error (Wine's cscript exits 0).
#include <windows.h>
// After windows.h, which it needs.
#include <initguid.h>
// The script interfaces, their identifiers defined by the line above.
#include <activscp.h>
#include <oleauto.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "check.h"

#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace {

std::string narrow(const wchar_t* s) {
  std::string out;
  for (; s != nullptr && *s != 0; ++s) out += static_cast<char>(*s < 128 ? *s : '?');
  return out;
}

// Host.Check(ok, what) and Host.Echo(text).
class HostObject final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // lives on main's stack
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                          DISPID* ids) override {
    if (_wcsicmp(names[0], L"Check") == 0) {
      *ids = 1;
    } else if (_wcsicmp(names[0], L"Echo") == 0) {
      *ids = 2;
    } else {
      return DISP_E_UNKNOWNNAME;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    // Arguments come last first.
    std::string what;
    VARIANT text;
    VariantInit(&text);
    if (params->cArgs >= 1 && SUCCEEDED(VariantChangeType(&text, &params->rgvarg[0], 0, VT_BSTR))) {
      what = narrow(V_BSTR(&text));
    }
    VariantClear(&text);
    if (id == 2) {
      std::printf("%s\n", what.c_str());
      return S_OK;
    }
    if (params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
    VARIANT ok;
    VariantInit(&ok);
    const bool passed = SUCCEEDED(VariantChangeType(&ok, &params->rgvarg[1], 0, VT_BOOL)) &&
                        V_BOOL(&ok) != VARIANT_FALSE;
    velmora::wintest::record(passed, what.c_str(), "script", 0);
    return S_OK;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

class Site final : public IActiveScriptSite {
 public:
  explicit Site(HostObject& host) : host_(host) {}
  bool failed = false;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IActiveScriptSite) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
  HRESULT STDMETHODCALLTYPE GetLCID(LCID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item,
                                        ITypeInfo** info) override {
    if (_wcsicmp(name, L"Host") != 0) return TYPE_E_ELEMENTNOTFOUND;
    if ((mask & SCRIPTINFO_IUNKNOWN) != 0) {
      *item = &host_;
      host_.AddRef();
    }
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
  std::atomic<ULONG> refs_{1};
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
