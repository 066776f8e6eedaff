// The file system on Windows, through the wide functions so that any path
// the user has works.
//
// Decisions that the interface leaves to the platform:
// - The user's temporary folder is GetTempPathW's, without its trailing
//   backslash (as the script runtime's file-system object gives it), so a
//   profile's ...\AppData\Local\Temp makes ...\AppData\Local\Velmora Manager
//   the log folder's parent.
// - The library's folder is that of the DLL this code is linked into.
// - Ordinary files are those FindFirstFile lists without the directory,
//   hidden, system or device attribute: what a listing of "normal" files
//   shows a user.
// - A file for appending is opened with FILE_APPEND_DATA (and the right to
//   read its size) only, so every WriteFile lands at the end of the file as
//   one block even with other writers; it is shared for reading, writing and
//   deleting, so several processes of the suite write one day's log and a
//   reader never blocks them. A block that cannot be written whole (a full
//   disk, a quota) is cut off again through a second handle with the right
//   to set the file's end, unless another writer has appended since. Log
//   text is written in the ANSI code page, as single-byte files on Windows
//   are.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/path_names.h"
#include "platform/win32/text/wide_text.h"

namespace velmora {

AppendFile::~AppendFile() = default;
FileSystem::~FileSystem() = default;

namespace {

using win32::utf8FromWide;
using win32::wideFromUtf8;

constexpr DWORD kNotOrdinary = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;

bool isOrdinary(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotOrdinary) == 0;
}

class Win32AppendFile final : public AppendFile {
 public:
  explicit Win32AppendFile(HANDLE file) : file_(file) {}
  ~Win32AppendFile() override { ::CloseHandle(file_); }
  Win32AppendFile(const Win32AppendFile&) = delete;
  Win32AppendFile& operator=(const Win32AppendFile&) = delete;

  bool append(std::string_view block) override {
    const std::string bytes = win32::codePageFromUtf8(block);
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    LONGLONG start = -1;  // where the block began; -1 while unknown
    while (left > 0) {
      const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
      DWORD written = 0;
      if (!::WriteFile(file_, data, chunk, &written, nullptr) || written == 0) {
        cutBack(start, static_cast<LONGLONG>(bytes.size() - left));
        return false;
      }
      if (left == bytes.size()) {
        LARGE_INTEGER size{};
        if (::GetFileSizeEx(file_, &size) && size.QuadPart >= written) {
          start = size.QuadPart - written;
        }
      }
      data += written;
      left -= written;
    }
    return true;
  }

 private:
  // Takes the `length` bytes written from `start` off the end of the file
  // again, when they are still its end.
  void cutBack(LONGLONG start, LONGLONG length) {
    LARGE_INTEGER size{};
    if (start < 0 || length == 0 || !::GetFileSizeEx(file_, &size) ||
        size.QuadPart != start + length) {
      return;
    }
    HANDLE writer = ::ReOpenFile(file_, GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
    if (writer == INVALID_HANDLE_VALUE) return;
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = start;
    ::SetFileInformationByHandle(writer, FileEndOfFileInfo, &end, sizeof end);
    ::CloseHandle(writer);
  }

  HANDLE file_;
};

// A call of one of the system's "fill this buffer" functions that answer
// the length they need when the buffer is too small.
template <class Fill>
std::wstring filledBuffer(Fill fill) {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (int attempt = 0; attempt < 8; ++attempt) {
    const DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::wstring();
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
  return std::wstring();
}

// An address inside this module, for GetModuleHandleEx to name the DLL.
const char kAddressInLibrary = 0;

class Win32FileSystem final : public FileSystem {
 public:
  char separator() const override { return '\\'; }

  std::string tempFolder() override {
    std::string folder = utf8FromWide(
        filledBuffer([](wchar_t* buffer, DWORD size) { return ::GetTempPathW(size, buffer); }));
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return folder;
  }

  std::string libraryFolder() override {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&kAddressInLibrary), &module)) {
      return std::string();
    }
    const std::wstring file = filledBuffer([module](wchar_t* buffer, DWORD size) {
      const DWORD length = ::GetModuleFileNameW(module, buffer, size);
      // A truncated name answers the buffer's size: ask for a larger one.
      return length == size ? size : length;
    });
    return parentFolderName(utf8FromWide(file), '\\');
  }

  bool folderExists(const std::string& path) override {
    const DWORD attributes = ::GetFileAttributesW(wideFromUtf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  bool createFolder(const std::string& path) override {
    return ::CreateDirectoryW(wideFromUtf8(path).c_str(), nullptr) != 0;
  }

  std::int64_t fileSize(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(wideFromUtf8(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return -1;
    }
    return static_cast<std::int64_t>((std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
  }

  bool deleteFile(const std::string& path) override {
    return ::DeleteFileW(wideFromUtf8(path).c_str()) != 0;
  }

  std::vector<std::string> ordinaryFiles(const std::string& folder) override {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = wideFromUtf8(appendPathPart(folder, "*", '\\'));
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      if (isOrdinary(found.dwFileAttributes)) names.push_back(utf8FromWide(found.cFileName));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
  }

  bool isOrdinaryFile(const std::string& path) override {
    return isOrdinary(::GetFileAttributesW(wideFromUtf8(path).c_str()));
  }

  std::unique_ptr<AppendFile> openAppend(const std::string& path) override {
    HANDLE file = ::CreateFileW(wideFromUtf8(path).c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32AppendFile>(file);
  }
};

}  // namespace

FileSystem& defaultFileSystem() {
  static Win32FileSystem* const fileSystem = new Win32FileSystem;  // never destroyed: used at exit
  return *fileSystem;
}

}  // namespace velmora
