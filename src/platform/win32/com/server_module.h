// What the in-process server keeps for the whole process: its own module,
// the count of objects and locks that keeps it loaded, and the type
// library it carries, loaded once.
#pragma once

#include <oaidl.h>

#include <string>

namespace velmora::com {

// The DLL's own path, as registration writes it.
std::wstring modulePath();

// Every live object and every IClassFactory::LockServer(TRUE) holds one.
void lockModule();
void unlockModule();
bool moduleInUse();

// The function-table part of the dual interface `iid` in the library's
// type library; null when the resource cannot be read. Not AddRef'd: the
// module keeps it for its lifetime.
ITypeInfo* interfaceTypeInfo(REFIID iid);
// The type library itself, AddRef'd (for registration).
ITypeLib* loadTypeLibrary();

}  // namespace velmora::com
