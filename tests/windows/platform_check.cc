// The Windows platform layer seen through the public API, as a C++ client
// linking the DLL sees it: real registry keys below HKEY_CURRENT_USER, real
// log files in the profile, real files for the file utilities.
#include <commonvelmora/convert.h>
#include <commonvelmora/settings.h>
#include <commonvelmora/work.h>
#include <windows.h>
// <windows.h> names DeleteFileA DeleteFile, which would rename Work's member.
#undef DeleteFile

#include <fstream>
#include <string>

#include "check.h"

namespace {

using velmora::Variant;
using velmora::Work;
namespace regcode = velmora::regcode;

const std::string kKey = "Software\\Velmora, Ltd.\\WindowsCheck";

std::string textOf(const Variant& v) { return velmora::toText(v); }

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void registryValues(Work& work) {
  (void)work.DeleteRegistryValue(kKey, "Width");
  std::int32_t code = -1;
  // A missing value with a default stores its stored form and returns it.
  Variant read = work.ReadRegistryValue(kKey, "Width", code, Variant(std::int32_t{25}));
  WCHECK(code == regcode::kSuccess);
  WCHECK_EQ(textOf(read), "25");
  read = work.ReadRegistryValue(kKey, "Width", code);
  WCHECK(read.getIf<double>() != nullptr);
  WCHECK_EQ(textOf(read), "25");

  WCHECK(work.SetRegistryValue(kKey, "Caption", Variant(std::string("Prices"))) == 0);
  WCHECK_EQ(textOf(work.ReadRegistryValue(kKey, "Caption", code)), "Prices");
  WCHECK(work.SetRegistryValue(kKey, "Empty", Variant(std::string())) == 0);
  WCHECK_EQ(textOf(work.ReadRegistryValue(kKey, "Empty", code)), "");
  WCHECK(work.SetRegistryValue(kKey, "Minus", Variant(std::int32_t{-1})) == 0);

  // Missing values and keys answer the registry's own codes.
  (void)work.ReadRegistryValue(kKey, "NoSuchValue", code);
  WCHECK(code == regcode::kNotFound);
  WCHECK(work.DeleteRegistryValue(kKey, "NoSuchValue") == regcode::kNotFound);
  WCHECK(work.DeleteRegistryKey(kKey + "\\NoSuchKey") == regcode::kNotFound);

  // Data longer than the 1024-byte read buffer is not read, and not replaced.
  WCHECK(work.SetRegistryValue(kKey, "Long", Variant(std::string(2000, 'x'))) == 0);
  read = work.ReadRegistryValue(kKey, "Long", code, Variant(std::string("short")));
  WCHECK(code == regcode::kMoreData);
  WCHECK_EQ(textOf(read), "short");

  // A key with a sub-key stays; without one it goes.
  WCHECK(work.SetRegistryValue(kKey + "\\Child", "A", Variant(std::string("1"))) == 0);
  WCHECK(work.DeleteRegistryKey(kKey + "\\Child") == regcode::kSuccess);
  WCHECK(velmora::settingsStorePath() == "HKEY_CURRENT_USER");
}

void wholeKey(Work& work) {
  const std::string key = kKey + "\\Whole";
  (void)work.DeleteRegistryKey(key);
  velmora::SafeArray table(velmora::VarType::Variant, {{0, 2}, {0, 2}});
  table.at({0, 0}) = Variant(std::string("Left"));
  table.at({1, 0}) = Variant(std::int32_t{120});
  table.at({0, 1}) = Variant(std::string("Title"));
  table.at({1, 1}) = Variant(std::string("Caf\xc3\xa9"));  // in every Western code page
  Variant list(table);
  WCHECK(work.SetAllValue(key, list) == 0);
  const Variant back = work.ReadAllValue(key);
  WCHECK(back.isArray());
  if (!back.isArray()) return;
  const velmora::SafeArray& read = back.array();
  WCHECK(read.ubound(2) == 1);
  WCHECK_EQ(textOf(read.get({0, 1})), "Title");
  WCHECK_EQ(textOf(read.get({1, 1})), "Caf\xc3\xa9");
  WCHECK(read.get({1, 0}).getIf<double>() != nullptr);
}

std::string profileFolder() {
  char buffer[MAX_PATH];
  const DWORD n = ::GetEnvironmentVariableA("USERPROFILE", buffer, MAX_PATH);
  return std::string(buffer, n);
}

void logFiles(Work& work) {
  // A profile's temporary folder under AppData\Local puts the log folder
  // beside it; a temporary folder elsewhere holds the log folder itself.
  const std::string local = profileFolder() + "\\AppData\\Local";
  ::CreateDirectoryA((profileFolder() + "\\AppData").c_str(), nullptr);
  ::CreateDirectoryA(local.c_str(), nullptr);
  ::CreateDirectoryA((local + "\\Temp").c_str(), nullptr);
  ::SetEnvironmentVariableA("TMP", (local + "\\Temp\\").c_str());
  const std::string path = work.LogFileName();
  WCHECK(path.starts_with(local + "\\Velmora Manager\\LogFiles\\Quorent"));
  WCHECK(path.ends_with(".log"));
  ::SetEnvironmentVariableA("TMP", (profileFolder() + "\\Scratch").c_str());
  ::CreateDirectoryA((profileFolder() + "\\Scratch").c_str(), nullptr);
  WCHECK(work.LogFileName().starts_with(profileFolder() + "\\Scratch\\LogFiles\\Quorent"));
  ::SetEnvironmentVariableA("TMP", (local + "\\Temp").c_str());
  (void)work.DeleteFile(path);
  WCHECK(work.StoreErrorToLog(-5, "Timeout"));
  WCHECK(work.StoreMessageToLog("second line"));
  const std::string text = fileText(path);
  WCHECK(text.find(" Error: -5 Timeout\r\n") != std::string::npos);
  WCHECK(text.ends_with(" second line\r\n"));
  // Log text is written in the ANSI code page, one byte per character.
  if (::GetACP() == 1252) {
    WCHECK(work.StoreMessageToLog("Caf\xc3\xa9"));
    WCHECK(fileText(path).ends_with(" Caf\xe9\r\n"));
  }
  work.MaxLogFile(10);
  WCHECK(work.StoreMessageToLog("alone"));
  WCHECK(fileText(path).find("Timeout") == std::string::npos);
}

void fileUtilities(Work& work) {
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "velmora_files";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  for (const char* name : {"\\a.dat", "\\b.dat", "\\c.dat", "\\hidden.dat"}) {
    std::ofstream(folder + name) << "x";
  }
  ::SetFileAttributesA((folder + "\\hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN);
  WCHECK(work.CheckExistsFile(folder + "\\*.dat"));
  WCHECK(!work.CheckExistsFile(folder));  // a folder is no ordinary file
  WCHECK(!work.CheckExistsFile(folder + "\\hidden.dat"));
  WCHECK(work.DeleteFile(folder + "\\?.dat"));
  WCHECK(!work.CheckExistsFile(folder + "\\*.dat"));
  WCHECK(::GetFileAttributesA((folder + "\\hidden.dat").c_str()) != INVALID_FILE_ATTRIBUTES);
  WCHECK(!work.DeleteFile(folder + "\\*.none"));
}

void regionalFormats() {
  // Wine's default user locale is US English unless LANG says otherwise.
  const velmora::RegionalSettings& rs = velmora::regionalSettings();
  WCHECK(!rs.shortDate.empty());
  WCHECK(!rs.decimalSeparator.empty());
  WCHECK(!rs.monthNames[0].empty());
}

}  // namespace

int main() {
  Work work;
  registryValues(work);
  wholeKey(work);
  logFiles(work);
  fileUtilities(work);
  regionalFormats();
  return velmora::wintest::summary();
}
