// The settings store on the real registry below HKEY_CURRENT_USER.
//
// The calls are the "A" functions, so key paths, value names and data pass
// through the process's ANSI code page as they do for every single-byte
// program: texts are converted from and to UTF-8 at this boundary, and every
// byte count the registry sees (the 1024-byte read buffer included) is a
// count of code-page bytes. Keys are opened with RegCreateKeyExA and access
// mask 15 (query, set, create sub-key, enumerate), the registry's result
// codes come back unchanged, and path rules are the registry's own: nothing
// is checked here that the registry checks itself.
#include <windows.h>

#include <memory>
#include <string>

#include "platform/registry_store.h"
#include "platform/win32/text/wide_text.h"

namespace velmora {
namespace {

using win32::codePageFromUtf8;
using win32::utf8FromCodePage;

// Query value, set value, create sub-key, enumerate sub-keys: what every
// settings routine asks for when it opens a key.
constexpr REGSAM kSettingsAccess = 15;

// Read and enumerate, for walking a tree without changing it.
constexpr REGSAM kReadAccess = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;

// The longest key name the registry allows, with its terminating zero.
constexpr DWORD kKeyNameBuffer = 256;

BYTE* bytesOf(std::string& buffer) { return reinterpret_cast<BYTE*>(buffer.data()); }

class Win32RegistryKey final : public RegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : key_(key) {}
  ~Win32RegistryKey() override { ::RegCloseKey(key_); }
  Win32RegistryKey(const Win32RegistryKey&) = delete;
  Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

  std::int32_t queryValue(std::string_view name, std::size_t capacity, std::string& data) override {
    return queryInto(key_, name, capacity, data);
  }

  std::int32_t setStringValue(std::string_view name, std::string_view data) override {
    const std::string valueName = codePageFromUtf8(name);
    std::string bytes = codePageFromUtf8(data);
    return ::RegSetValueExA(key_, valueName.c_str(), 0, REG_SZ, bytesOf(bytes),
                            static_cast<DWORD>(bytes.size()));
  }

  std::int32_t enumValue(std::uint32_t index, std::size_t nameCapacity, std::size_t dataCapacity,
                         std::string_view& name, std::string_view& data) override {
    std::string nameBuffer(nameCapacity, '\0');
    std::string dataBuffer(dataCapacity, '\0');
    DWORD nameLength = static_cast<DWORD>(nameCapacity);
    DWORD dataLength = static_cast<DWORD>(dataCapacity);
    const LONG code = ::RegEnumValueA(key_, index, nameBuffer.data(), &nameLength, nullptr, nullptr,
                                      bytesOf(dataBuffer), &dataLength);
    if (code != ERROR_SUCCESS) return code;
    nameBuffer.resize(nameLength);
    dataBuffer.resize(dataLength);
    enumName_ = utf8FromCodePage(nameBuffer);
    enumData_ = utf8FromCodePage(dataBuffer);
    name = enumName_;
    data = enumData_;
    return ERROR_SUCCESS;
  }

  std::int32_t enumSubKey(std::uint32_t index, std::string& name) override {
    std::string buffer(kKeyNameBuffer, '\0');
    DWORD length = kKeyNameBuffer;
    const LONG code =
        ::RegEnumKeyExA(key_, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (code != ERROR_SUCCESS) return code;
    buffer.resize(length);
    name = utf8FromCodePage(buffer);
    return ERROR_SUCCESS;
  }

  std::int32_t deleteValue(std::string_view name) override {
    return ::RegDeleteValueA(key_, codePageFromUtf8(name).c_str());
  }

  // One query on any open key, shared with the store's one-step read.
  static std::int32_t queryInto(HKEY key, std::string_view name, std::size_t capacity,
                                std::string& data) {
    std::string buffer(capacity, '\0');
    DWORD length = static_cast<DWORD>(capacity);
    const LONG code = ::RegQueryValueExA(key, codePageFromUtf8(name).c_str(), nullptr, nullptr,
                                         bytesOf(buffer), &length);
    if (code != ERROR_SUCCESS) return code;
    buffer.resize(length);
    data = utf8FromCodePage(buffer);
    return ERROR_SUCCESS;
  }

 private:
  HKEY key_;
  std::string enumName_;
  std::string enumData_;
};

class Win32RegistryStore final : public RegistryStore {
 public:
  std::int32_t createKey(std::string_view path, std::unique_ptr<RegistryKey>& key,
                         bool& created) override {
    HKEY handle = nullptr;
    DWORD disposition = 0;
    char noClass[] = "";
    const LONG code =
        ::RegCreateKeyExA(HKEY_CURRENT_USER, codePageFromUtf8(path).c_str(), 0, noClass,
                          REG_OPTION_NON_VOLATILE, kSettingsAccess, nullptr, &handle, &disposition);
    if (code != ERROR_SUCCESS) return code;
    key = std::make_unique<Win32RegistryKey>(handle);
    created = disposition == REG_CREATED_NEW_KEY;
    return ERROR_SUCCESS;
  }

  std::int32_t getValue(std::string_view path, std::string_view name, std::size_t capacity,
                        std::string& data, bool& keyFound) override {
    HKEY handle = nullptr;
    const LONG code = ::RegOpenKeyExA(HKEY_CURRENT_USER, codePageFromUtf8(path).c_str(), 0,
                                      KEY_QUERY_VALUE, &handle);
    keyFound = code == ERROR_SUCCESS;
    if (!keyFound) return code;
    const std::int32_t result = Win32RegistryKey::queryInto(handle, name, capacity, data);
    ::RegCloseKey(handle);
    return result;
  }

  std::int32_t openKey(std::string_view path, std::unique_ptr<RegistryKey>& key) override {
    HKEY handle = nullptr;
    const LONG code =
        ::RegOpenKeyExA(HKEY_CURRENT_USER, codePageFromUtf8(path).c_str(), 0, kReadAccess, &handle);
    if (code != ERROR_SUCCESS) return code;
    key = std::make_unique<Win32RegistryKey>(handle);
    return ERROR_SUCCESS;
  }

  std::int32_t deleteKey(std::string_view path) override {
    return ::RegDeleteKeyA(HKEY_CURRENT_USER, codePageFromUtf8(path).c_str());
  }

  // The registry is always there; what can go wrong is told per call.
  std::string problem() override { return std::string(); }

  std::string location() const override { return "HKEY_CURRENT_USER"; }
};

}  // namespace

RegistryStore& userRegistryStore() {
  // Registry handles may be used from any thread: one store serves them all.
  static Win32RegistryStore* const store = new Win32RegistryStore;  // never destroyed
  return *store;
}

}  // namespace velmora
