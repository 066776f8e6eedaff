#include "platform/win32/com/system_classes.h"

#include <commonvelmora/class_registry.h>
#include <objbase.h>

#include <string>

#include "platform/win32/com/object_bridge.h"
#include "platform/win32/text/wide_text.h"

namespace velmora::com {

void createThroughSystem(std::string_view progId) {
  ClassRegistry& classes = ClassRegistry::instance();
  if (classes.contains(progId)) return;
  classes.add(progId, [name = win32::wideFromUtf8(progId)]() -> ObjectRef {
    CLSID clsid;
    IDispatch* dispatch = nullptr;
    if (FAILED(CLSIDFromProgID(name.c_str(), &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch,
                                reinterpret_cast<void**>(&dispatch)))) {
      return nullptr;
    }
    ObjectRef object = objectFromDispatch(dispatch);
    dispatch->Release();
    return object;
  });
}

}  // namespace velmora::com
