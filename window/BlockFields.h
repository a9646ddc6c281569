// Tables from own-property numbers to the fields of a type's property block, so that a type
// reads and writes its plain properties by lookup rather than by a case per property.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include "runtime/UnitObject.h"

namespace window {

template <typename Block>
struct BlockField {
  int32_t Block::*number = nullptr;     // integers, choices and logicals
  uint32_t Block::*colour = nullptr;    // colours
  std::string Block::*bytes = nullptr;  // texts, pictures, fonts and other data
};

template <typename Block>
constexpr BlockField<Block> NumberField(int32_t Block::*member) { return {member, nullptr, nullptr}; }
template <typename Block>
constexpr BlockField<Block> ColourField(uint32_t Block::*member) { return {nullptr, member, nullptr}; }
template <typename Block>
constexpr BlockField<Block> BytesField(std::string Block::*member) { return {nullptr, nullptr, member}; }
template <typename Block>
constexpr BlockField<Block> NoField() { return {}; }

// The field of own property k, or null when the table has none.
template <typename Block, size_t N>
const BlockField<Block>* FieldOf(const BlockField<Block> (&table)[N], int32_t k) {
  if (k < 0 || size_t(k) >= N) return nullptr;
  const BlockField<Block>& field = table[k];
  return field.number || field.colour || field.bytes ? &field : nullptr;
}

template <typename Block>
void ReadField(const Block& block, const BlockField<Block>& field, rt::PropertyData& value) {
  if (field.number) value.number = block.*field.number;
  if (field.colour) value.number = block.*field.colour;
  if (field.bytes) value.bytes = block.*field.bytes;
}

template <typename Block>
void WriteField(Block& block, const BlockField<Block>& field, const rt::PropertyData& value) {
  if (field.number) block.*field.number = int32_t(value.number);
  if (field.colour) block.*field.colour = uint32_t(value.number);
  if (field.bytes) block.*field.bytes = value.bytes;
}

}  // namespace window
