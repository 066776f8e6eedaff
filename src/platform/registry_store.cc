#include "platform/registry_store.h"

namespace velmora {

RegistryKey::~RegistryKey() = default;
RegistryStore::~RegistryStore() = default;

std::string_view resultCodeText(std::int32_t code) {
  switch (code) {
    case regcode::kSuccess:
      return "success";
    case regcode::kNotFound:
      return "not found";
    case regcode::kAccessDenied:
      return "access denied";
    case regcode::kNotEnoughMemory:
      return "not enough memory";
    case regcode::kInvalidParameter:
      return "invalid key path or name";
    case regcode::kDiskFull:
      return "disk full";
    case regcode::kBusy:
      return "the settings store is busy";
    case regcode::kMoreData:
      return "more data than the buffer holds";
    case regcode::kNoMoreItems:
      return "no more items";
    case regcode::kBadDatabase:
      return "the settings file is not a settings store";
    case regcode::kCantOpen:
      return "the settings file cannot be opened";
    case regcode::kRegistryCorrupt:
      return "the settings file is damaged";
    case regcode::kRegistryIoFailed:
      return "reading or writing the settings file failed";
    case regcode::kKeyDeleted:
      return "the key was deleted";
    default:
      return "error";
  }
}

}  // namespace velmora
