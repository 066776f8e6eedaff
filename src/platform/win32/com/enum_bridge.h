// For-each across the boundary: our Enumerator as the IEnumVARIANT a
// client's For Each walks, and a client's IEnumVARIANT as an Enumerator.
#pragma once

#include <commonvelmora/object.h>
#include <oaidl.h>

#include <memory>

namespace velmora::com {

// A new enumeration with one reference, which the caller owns.
IEnumVARIANT* enumVariantFrom(std::unique_ptr<Enumerator> items);
// Takes over the caller's reference.
std::unique_ptr<Enumerator> enumeratorFrom(IEnumVARIANT* items);

}  // namespace velmora::com
