// Property bag bytes of format version 1, as the library wrote them before
// version 2, read by rewriting them into version 2.
//
// Version 1. All integers are little-endian and fixed-width.
//
//   bag    := "CVPB" version:u8(=1) body
//   body   := count:u32 entry{count}
//   entry  := name:str value
//   str    := length:u32 bytes{length}
//   value  := tag:u16 payload                   (tag = the variant's VarType)
//     Empty 0, Null 1   nothing
//     Int16 2           i16          Int32 3     i32
//     Single 4          f32 bits     Double 5    f64 bits
//     Currency 6        i64 (scaled by 10,000)   Date 7  f64 bits
//     String 8          str          Error 10    i32
//     Bool 11           u8           Byte 17     u8
//     Object 9          progId:str; an empty progId is Nothing, otherwise
//                       bodyLength:u32 body (the object's own entries)
//     Array|Byte 0x2011 bounds, then the elements' bytes
//     Array|Variant 0x200C
//                       bounds, then payloadLength:u32 value{elements}
//   bounds := dims:u32 (lbound:i32 count:u32){dims}
//
// The rewrite keeps every value and its order; the version 2 loader then
// checks the result as strictly as any other input (unique names, booleans
// 0 or 1, bounds, depth), so both versions accept the same trees.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace velmora {

// The version 2 bytes of the same tree as the version 1 bytes `bag` (header
// included). Malformed bytes raise AutomationError 321 naming the offset.
std::vector<std::uint8_t> rewriteBagVersion1(std::span<const std::uint8_t> bag);

}  // namespace velmora
