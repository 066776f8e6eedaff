// The file-system services the library needs, behind a small interface so
// that nothing above the platform layer touches the operating system.
//
// It covers what the log writers and the file utilities use: the user's
// temporary folder, the folder of the library's own file, folder existence
// and single-level creation, file size and deletion, the ordinary files of a
// folder, and files opened for appending. makeFolder() below is the one way
// the library creates the folders it needs. Paths are UTF-8 text and
// use the platform's separator (separator()); the pure path rules that work on
// them live in path_names.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// A file held open for appending. Every append() lands at the end of the file
// as one block: several processes appending to the same file never interleave
// inside a block. The file is closed when the object is destroyed.
class AppendFile {
 public:
  virtual ~AppendFile();
  // Writes `block` at the end of the file, whole or not at all: when it
  // cannot be written completely (disk full, quota, I/O error), the part
  // already written is cut off again, so the file keeps the length it had
  // before, and the answer is false. A part that another writer has already
  // appended after is left alone: cutting it would take that writer's block
  // with it.
  virtual bool append(std::string_view block) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem();

  // The separator between path parts ('/' here, '\' on Windows).
  virtual char separator() const = 0;
  // The user's temporary folder, or "" when none can be had. The folder is
  // not checked or created.
  virtual std::string tempFolder() = 0;
  // The folder that holds the library's own file (or the program, when the
  // library is linked statically), or "" when it cannot be found.
  virtual std::string libraryFolder() = 0;
  virtual bool folderExists(const std::string& path) = 0;
  // Creates one folder level; the parent must exist. False on failure,
  // including when something already stands at `path`. Callers use
  // makeFolder(), which copes with others creating the same folder.
  virtual bool createFolder(const std::string& path) = 0;
  // Size in bytes of the file at `path`, or -1 when there is no such file.
  virtual std::int64_t fileSize(const std::string& path) = 0;
  virtual bool deleteFile(const std::string& path) = 0;
  // The names (not paths) of the ordinary files in `folder`, in no particular
  // order: files that hold data, neither folders nor hidden or system files
  // (what counts as hidden is the platform's rule). Empty when the folder
  // cannot be read.
  virtual std::vector<std::string> ordinaryFiles(const std::string& folder) = 0;
  // True when `path` names an ordinary file in the sense of ordinaryFiles().
  virtual bool isOrdinaryFile(const std::string& path) = 0;
  // Opens `path` for appending, creating the file when missing; null when it
  // cannot be opened.
  virtual std::unique_ptr<AppendFile> openAppend(const std::string& path) = 0;
};

// Whether makeFolder() may create the folders above the one asked for.
enum class FolderParents { kMustExist, kCreate };

// Makes sure a folder stands at `path`, creating it when missing, and with
// FolderParents::kCreate every missing folder above it first. Several
// processes of the suite start together on a fresh profile and create the
// same folders at the same moment, so a folder found in place after a failed
// creation counts as made. Something other than a folder in its place (a
// plain file) is a failure. On failure errno tells why the last creation
// failed.
bool makeFolder(FileSystem& fs, const std::string& path, FolderParents parents);

// The process-wide file system of the platform the library runs on.
FileSystem& defaultFileSystem();

}  // namespace velmora
