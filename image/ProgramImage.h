// What the runtime reads of the program image: the header the build placed in this executable,
// type-code lookup and the constant range.
#pragma once
#include <cstdint>
#include "image/ImageRecords.h"

// Defined by the generated program image of each executable.
extern "C" const image::ProgramHeader VeltaroProgramHeader;

namespace image {

inline const ProgramHeader& Header() { return VeltaroProgramHeader; }

// The library record and data-type record a type code names, or null.
const DataTypeRecord* LookupType(const ProgramHeader& header, uint32_t typeCode,
                                 const LibraryRecord** library = nullptr);
inline const DataTypeRecord* LookupType(uint32_t typeCode) { return LookupType(Header(), typeCode); }

// Classification of a type code by its top two bits.
enum class TypeClass { None, Basic, Unresolved, Library };
TypeClass ClassifyTypeCode(uint32_t typeCode);

}  // namespace image
