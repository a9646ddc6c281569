// The window-template region: window table, window records, unit lists, unit records.
// Host-neutral (no Win32): the image build tool writes the region, start-up reads it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "window/template/TemplateModel.h"

namespace tmpl {

// The region's bytes for these windows, in order: the window table (ids and their slots), then
// one window record each. Unit records follow each other without gaps in unit-list order. Every
// field of the model is written as it stands (reserved words and slots included), so that
// WriteRegion(ReadRegion(r)) == r for every region this writer produced.
std::string WriteRegion(const std::vector<WindowTemplate>& windows);

// Reads a whole region. Fails (returns false, leaves `out` empty, never reads outside
// [data, data + size)) on any short read, a negative count, a window table whose length is not a
// multiple of 8, a unit list whose tables or records do not fit its block, or bytes left over
// at the end. Unit records are found through the offset table, as the runtime does.
// Bindings come back unrelocated (routine 0); call Relocate afterwards.
bool ReadRegion(const uint8_t* data, size_t size, std::vector<WindowTemplate>& out);

// One unit record (the bytes after its int32 length) read and written on its own.
bool ReadUnitRecord(const uint8_t* data, size_t size, uint32_t unitId, UnitTemplate& out);
std::string WriteUnitRecord(const UnitTemplate& unit);

}  // namespace tmpl
