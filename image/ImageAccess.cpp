#include "image/ProgramImage.h"

namespace image {

TypeClass ClassifyTypeCode(uint32_t typeCode) {
  if (typeCode == 0) return TypeClass::None;
  switch (typeCode >> 30) {
    case 2: return TypeClass::Basic;
    case 1: return TypeClass::Unresolved;
    default: return TypeClass::Library;
  }
}

const DataTypeRecord* LookupType(const ProgramHeader& header, uint32_t typeCode, const LibraryRecord** library) {
  if (library) *library = nullptr;
  if (ClassifyTypeCode(typeCode) != TypeClass::Library) return nullptr;
  uint32_t libraryNumber = typeCode >> 16;
  uint32_t typeNumber = typeCode & 0xffff;
  if (libraryNumber == 0 || libraryNumber > header.libraryCount) return nullptr;
  const LibraryRecord* record = header.libraryTable[libraryNumber - 1];
  if (!record || typeNumber == 0 || typeNumber > record->typeCount) return nullptr;
  if (library) *library = record;
  return &record->types[typeNumber - 1];
}

}  // namespace image
