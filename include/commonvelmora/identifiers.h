// The names and identifiers under which the library's classes are known.
//
// The ProgIDs are what ClassRegistry / createObject use on every platform.
// The GUIDs are the class, interface and type library identifiers clients
// built against the library bind to; only an automation-server build uses
// them, but they live here so that there is one place that fixes them.
#pragma once

#include <string_view>

namespace velmora::ids {

inline constexpr std::string_view kTypeLibraryName = "CommonVelmora";
inline constexpr std::string_view kTypeLibraryHelp = "Common procedure";
inline constexpr std::string_view kTypeLibraryId = "{B7ACE099-5BDF-11D5-89D6-00A0C9176171}";

inline constexpr std::string_view kWorkProgId = "CommonVelmora.Work";
inline constexpr std::string_view kWorkClassId = "{B7ACE0A2-5BDF-11D5-89D6-00A0C9176171}";
inline constexpr std::string_view kWorkInterfaceId = "{37055F03-B754-4D12-9431-286941A4A581}";

// CommonInfo is public but not creatable, so it has no ProgID.
inline constexpr std::string_view kCommonInfoClassId = "{B7ACE09B-5BDF-11D5-89D6-00A0C9176171}";
inline constexpr std::string_view kCommonInfoInterfaceId = "{B7ACE09A-5BDF-11D5-89D6-00A0C9176171}";

inline constexpr std::string_view kKZPropertyProgId = "CommonVelmora.KZProperty";
inline constexpr std::string_view kKZPropertyClassId = "{F951FA18-CAF9-11D6-ADF4-00A0C9176171}";
inline constexpr std::string_view kKZPropertyInterfaceId = "{E8EBFD21-B777-4B7F-931D-A748634A91AE}";

inline constexpr std::string_view kKZPropertiesProgId = "CommonVelmora.KZProperties";
inline constexpr std::string_view kKZPropertiesClassId = "{F59B5822-CC73-11D6-ADF6-00A0C9176171}";
inline constexpr std::string_view kKZPropertiesInterfaceId =
    "{1C29FCE7-59F8-41C4-9213-9B2E253CD107}";

// The reference grid (reference_grid.h), creatable so that a client
// without C++ can hand the grid services a grid.
inline constexpr std::string_view kReferenceGridClassId = "{964C0D45-DED6-4E55-9F59-FD1683225005}";

// The suite's delegate component for message display and logging. It is not
// part of the library: a client (or the suite) registers a class under this
// ProgID, and when none is registered the library does those jobs itself.
inline constexpr std::string_view kDelegateProgId = "Tarnlink.SQLConnect";

}  // namespace velmora::ids
