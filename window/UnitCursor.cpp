#include "window/UnitCursor.h"
#include <cstring>
#include "window/template/ByteStream.h"
#include "window/template/TemplateModel.h"

namespace window {
namespace {

constexpr int kHandCursorResource = 1032;  // the program's own hand cursor

CursorHandle SystemCursor(int32_t id) {
  return CursorHandle(LoadCursorA(nullptr, MAKEINTRESOURCEA(id)), false);
}

CursorHandle HandCursor() {
  HCURSOR own = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kHandCursorResource));
  return own ? CursorHandle(own, false) : SystemCursor(tmpl::kCursorHand);
}

}  // namespace

CursorHandle CursorFromFile(const std::string& file) {
  // Icon directory: reserved 0, type (1 icon, 2 cursor), count; then 16-byte entries.
  tmpl::ByteReader reader(reinterpret_cast<const uint8_t*>(file.data()), file.size());
  uint16_t reserved = reader.U16();
  uint16_t type = reader.U16();
  uint16_t count = reader.U16();
  reader.Skip(4);                  // width, height, colour count, reserved of entry 0
  uint16_t hotX = reader.U16();    // planes of an icon, hot spot of a cursor
  uint16_t hotY = reader.U16();
  uint32_t size = reader.U32();
  uint32_t offset = reader.U32();
  if (!reader.ok() || reserved != 0 || (type != 1 && type != 2) || count == 0) return CursorHandle();
  if (offset > file.size() || size > file.size() - offset || size < 40) return CursorHandle();
  // A cursor resource is the image with its hot spot in front.
  std::string resource(4, '\0');
  uint16_t hotSpot[2] = {type == 2 ? hotX : uint16_t(0), type == 2 ? hotY : uint16_t(0)};
  std::memcpy(&resource[0], hotSpot, 4);
  resource.append(file, offset, size);
  HICON cursor = CreateIconFromResourceEx(reinterpret_cast<BYTE*>(&resource[0]), DWORD(resource.size()), FALSE,
                                          0x00030000, 0, 0, LR_DEFAULTCOLOR);
  return CursorHandle(cursor, cursor != nullptr);
}

CursorHandle LoadUnitCursor(const std::string& block) {
  int32_t number = tmpl::CursorBlockNumber(block);
  if (number == tmpl::kCursorFromFile) return CursorFromFile(block.size() > 4 ? block.substr(4) : std::string());
  if (block.size() > 10) {
    CursorHandle whole = CursorFromFile(block);
    if (whole) return whole;
  }
  if (number == 0) return CursorHandle();
  if (number == tmpl::kCursorHand) return HandCursor();
  return SystemCursor(number);
}

}  // namespace window
