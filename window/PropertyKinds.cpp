#include "window/PropertyKinds.h"
#include <cstring>
#include "runtime/Runtime.h"
#include "window/FontValue.h"
#include "window/template/TemplateModel.h"

namespace window {
namespace {

struct KindEntry {
  uint16_t kind;    // kind code of the property record
  ValueKind value;  // how its value converts
};

const KindEntry kKinds[] = {
    {1000, ValueKind::Integer}, {1001, ValueKind::Integer}, {1006, ValueKind::Choice},
    {1002, ValueKind::Wide},    {1004, ValueKind::Wide},    {1003, ValueKind::Logical},
    {1009, ValueKind::Bytes},   {1010, ValueKind::Bytes},   {1012, ValueKind::Bytes},
    {1023, ValueKind::Bytes},   {1024, ValueKind::Bytes},   {1011, ValueKind::Cursor},
    {1013, ValueKind::Font},    {1014, ValueKind::Colour},  {1015, ValueKind::Colour},
    {1017, ValueKind::Colour},
};

uint64_t Pointer(void* block) { return uint64_t(reinterpret_cast<uintptr_t>(block)); }

int32_t FirstWord(const std::string& bytes) {
  int32_t word = 0;
  std::memcpy(&word, bytes.data(), 4);
  return word;
}

std::string WithFirstWord(std::string bytes, int32_t word) {
  std::memcpy(&bytes[0], &word, 4);
  return bytes;
}

}  // namespace

ValueKind ValueKindOf(uint16_t kind) {
  for (const KindEntry& entry : kKinds)
    if (entry.kind == kind) return entry.value;
  return ValueKind::Text;
}

void* NewByteArray(const std::string& bytes) {
  if (bytes.empty()) return nullptr;
  auto* block = static_cast<uint32_t*>(rt::AllocateBlock(uint32_t(8 + bytes.size())));
  block[0] = 1;
  block[1] = uint32_t(bytes.size());
  std::memcpy(block + 2, bytes.data(), bytes.size());
  return block;
}

std::string BytesOfValue(uint32_t lo) {
  rt::ByteArrayView view = rt::ViewBytes(reinterpret_cast<const void*>(uintptr_t(lo)));
  return view.size ? std::string(reinterpret_cast<const char*>(view.data), view.size) : std::string();
}

std::string TextOfValue(uint32_t lo) {
  const char* text = reinterpret_cast<const char*>(uintptr_t(lo));
  return text ? std::string(text) : std::string();
}

std::string CursorPropertyFromBlock(const std::string& block) {
  int32_t number = tmpl::CursorBlockNumber(block);
  if (number == 0) return std::string();
  std::string property = block.size() >= 4 ? block : tmpl::MakeCursorBlock(number);
  if (number == tmpl::kCursorFromFile) return property;
  int32_t index = tmpl::CursorIndexFromId(number);
  return WithFirstWord(property, index < 0 ? 0 : index);
}

std::string CursorBlockFromProperty(const std::string& property) {
  if (property.size() < 4) return std::string();
  int32_t index = FirstWord(property);
  if (index == tmpl::kCursorFromFile) return property;
  int32_t id = tmpl::CursorIdFromIndex(index);
  if (id <= 0) return property.size() > 4 ? WithFirstWord(property, 0) : std::string();
  return WithFirstWord(property, id);
}

uint64_t ToProgramValue(uint16_t kind, const rt::PropertyData& stored, int32_t member) {
  switch (ValueKindOf(kind)) {
    case ValueKind::Integer:
    case ValueKind::Choice:
    case ValueKind::Colour: return uint32_t(stored.number);
    case ValueKind::Wide: return uint64_t(stored.number);
    case ValueKind::Logical: return stored.number == 1 ? 1 : 0;
    case ValueKind::Bytes: return Pointer(NewByteArray(stored.bytes));
    case ValueKind::Cursor: return Pointer(NewByteArray(CursorPropertyFromBlock(stored.bytes)));
    case ValueKind::Font: return ReadFontValue(stored.bytes, member);
    case ValueKind::Text: break;
  }
  return Pointer(rt::NewText(stored.bytes.data(), uint32_t(stored.bytes.size())));
}

rt::PropertyData FromProgramValue(uint16_t kind, uint32_t lo, uint32_t hi, int32_t member,
                                  const rt::PropertyData& current) {
  rt::PropertyData value;
  switch (ValueKindOf(kind)) {
    case ValueKind::Integer: value.number = int32_t(lo); break;
    case ValueKind::Choice: value.number = int32_t(lo) < 0 ? 0 : int32_t(lo); break;
    case ValueKind::Colour: value.number = lo; break;
    case ValueKind::Wide: value.number = int64_t(uint64_t(hi) << 32 | lo); break;
    // Any true value is stored as 1, so that it reads back as true.
    case ValueKind::Logical: value.number = lo != 0 ? 1 : 0; break;
    case ValueKind::Bytes: value.bytes = BytesOfValue(lo); break;
    case ValueKind::Cursor: value.bytes = CursorBlockFromProperty(BytesOfValue(lo)); break;
    case ValueKind::Font: value.bytes = WriteFontValue(current.bytes, member, lo, hi); break;
    case ValueKind::Text: value.bytes = TextOfValue(lo); break;
  }
  return value;
}

}  // namespace window
