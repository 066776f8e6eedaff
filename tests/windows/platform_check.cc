// The Windows platform layer seen through the public API, as a C++ client
// linking the DLL sees it: real registry keys below HKEY_CURRENT_USER, real
// log files in the profile, real files for the file utilities.
#include <commonvelmora/convert.h>
#include <commonvelmora/settings.h>
#include <commonvelmora/work.h>
#include <windows.h>
// <windows.h> names DeleteFileA DeleteFile, which would rename Work's member.
#undef DeleteFile

#include <filesystem>
#include <fstream>
#include <string>

#include "check.h"

namespace {

using velmora::Variant;
using velmora::Work;
namespace regcode = velmora::regcode;

const std::string kKey = "Software\\Velmora, Ltd.\\WindowsCheck";

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What the script tests cannot see (that the store is the registry their
// traces show): data longer than the 1024-byte read buffer is not read, nor
// replaced by the default.
void registryValues(Work& work) {
  std::int32_t code = -1;
  WCHECK(work.SetRegistryValue(kKey, "Long", Variant(std::string(2000, 'x'))) == 0);
  const Variant read = work.ReadRegistryValue(kKey, "Long", code, Variant(std::string("short")));
  WCHECK(code == regcode::kMoreData);
  WCHECK_EQ(velmora::toText(read), "short");
}

// Texts pass through the ANSI code page both ways, in a whole key's listing too.
void wholeKey(Work& work) {
  const std::string key = kKey + "\\Whole";
  velmora::SafeArray table(velmora::VarType::Variant, {{0, 2}, {0, 1}});
  table.at({0, 0}) = Variant(std::string("Title"));
  table.at({1, 0}) = Variant(std::string("Caf\xc3\xa9"));  // in every Western code page
  Variant list(table);
  WCHECK(work.SetAllValue(key, list) == 0);
  const Variant back = work.ReadAllValue(key);
  WCHECK(back.isArray() && velmora::toText(back.array().get({1, 0})) == "Caf\xc3\xa9");
}

std::string profileFolder() {
  char buffer[MAX_PATH];
  const DWORD n = ::GetEnvironmentVariableA("USERPROFILE", buffer, MAX_PATH);
  return std::string(buffer, n);
}

void logFiles(Work& work) {
  // The log folder follows the system's temporary folder (the rule itself is
  // the logging tests'): under AppData\Local it goes beside it.
  const std::string local = profileFolder() + "\\AppData\\Local";
  std::filesystem::create_directories(local + "\\Temp");
  ::SetEnvironmentVariableA("TMP", (local + "\\Temp\\").c_str());
  const std::string path = work.LogFileName();
  WCHECK(path.starts_with(local + "\\Velmora Manager\\LogFiles\\Quorent"));
  // Lines end in CR LF as written, not doubled by a text-mode file.
  WCHECK(work.StoreErrorToLog(-5, "Timeout"));
  WCHECK(fileText(path).ends_with(" Error: -5 Timeout\r\n"));
  // Log text is written in the ANSI code page, one byte per character.
  if (::GetACP() == 1252) {
    WCHECK(work.StoreMessageToLog("Caf\xc3\xa9"));
    WCHECK(fileText(path).ends_with(" Caf\xe9\r\n"));
  }
}

// A hidden file is no ordinary file: never found, never deleted.
void fileUtilities(Work& work) {
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "velmora_files";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  for (const char* name : {"\\a.dat", "\\hidden.dat"}) std::ofstream(folder + name) << "x";
  ::SetFileAttributesA((folder + "\\hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN);
  WCHECK(!work.CheckExistsFile(folder + "\\hidden.dat"));
  WCHECK(work.DeleteFile(folder + "\\*.dat"));
  WCHECK(!work.CheckExistsFile(folder + "\\a.dat"));
  WCHECK(::GetFileAttributesA((folder + "\\hidden.dat").c_str()) != INVALID_FILE_ATTRIBUTES);
}

}  // namespace

int main() {
  Work work;
  registryValues(work);
  wholeKey(work);
  logFiles(work);
  fileUtilities(work);
  return velmora::wintest::summary();
}
