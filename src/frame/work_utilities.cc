// The Work members of the file and array utilities.
#include <commonvelmora/work.h>

#include "frame/disciplines.h"
#include "invoke/extended_procedures.h"

namespace velmora {

using frame::ignoreErrors;
using frame::trapErrors;

bool Work::CheckArray(SafeArray& ChAr) {
  bool result = false;
  ignoreErrors([&] { result = invoke::CheckArray(ChAr); });
  return result;
}

bool Work::DeleteFile(std::string File_Name) {
  return trapErrors(false, [&] { return invoke::DeleteFile(File_Name); });
}

bool Work::CheckExistsFile(std::string File_Name) {
  return trapErrors(false, [&] { return invoke::CheckExistsFile(File_Name); });
}

}  // namespace velmora
