// The interfaces and identifiers widl generates from the type library's
// IDL. The generated header declares interfaces without virtual
// destructors (COM objects end in Release) and default text arguments as
// string literals, which this project's warnings would reject.
#pragma once

#include <windows.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#pragma GCC diagnostic ignored "-Wwrite-strings"
#include "commonvelmora.h"
#pragma GCC diagnostic pop
