// What the window engine needs of a unit's data type: its state bits, its property kinds and the
// routines of its unit interface, all found through the type record of the program image.
#pragma once
#include <cstdint>
#include "image/ImageRecords.h"
#include "runtime/UnitObject.h"

namespace window {

// Bits of a data type's state word.
namespace typestate {
constexpr uint32_t kRaisesEvents = 0x04;
constexpr uint32_t kMessageFilter = 0x20;
constexpr uint32_t kWindowUnit = 0x40;
constexpr uint32_t kPaged = 0x100;               // child list split into pages by 0 entries
constexpr uint32_t kMnemonicSelects = 0x400;     // a radio button
constexpr uint32_t kMnemonicToggles = 0x1000;    // a check box
constexpr uint32_t kMnemonicFocusesNext = 0x2000;  // a label: focus goes to the next unit
constexpr uint32_t kHasMnemonic = 0x7C00;
constexpr uint32_t kNoVisibleWindow = 0x8000;    // timer, ZIP unit
constexpr uint32_t kNoFocus = 0x10000;
constexpr uint32_t kBar = 0x100000;              // docked bar, laid out by the window
constexpr uint32_t kDragsWindow = 0x4000000;
}  // namespace typestate

class UnitType {
 public:
  UnitType() = default;
  explicit UnitType(const image::DataTypeRecord* record) : record_(record) {}

  bool Exists() const { return record_ != nullptr; }
  uint32_t State() const { return record_ ? record_->state : 0; }
  bool Has(uint32_t bits) const { return (State() & bits) != 0; }
  // Kind code of a property by its full index (common properties 0 to 7 included); 0 if none.
  uint16_t PropertyKind(int32_t index) const;
  // Kind code of property record `index` as the type lists it (no common properties); 0 if none.
  uint16_t RecordKind(int32_t index) const;

  rt::UnitCreate Create() const { return Routine<rt::UnitCreate>(rt::kUnitCreate); }
  rt::UnitSetProperty SetProperty() const { return Routine<rt::UnitSetProperty>(rt::kUnitSetProperty); }
  rt::UnitWriteBlock WriteBlock() const { return Routine<rt::UnitWriteBlock>(rt::kUnitWriteBlock); }
  rt::UnitGetProperty GetProperty() const { return Routine<rt::UnitGetProperty>(rt::kUnitGetProperty); }
  rt::UnitFilterMessage FilterMessage() const {
    return Has(typestate::kMessageFilter) ? Routine<rt::UnitFilterMessage>(rt::kUnitFilterMessage) : nullptr;
  }

 private:
  template <typename Fn>
  Fn Routine(int32_t query) const {
    if (!record_ || !record_->unitInterface) return nullptr;
    return reinterpret_cast<Fn>(record_->unitInterface(query));
  }

  const image::DataTypeRecord* record_ = nullptr;
};

// The type a unit's type code names in the program's library table; an empty type for codes
// outside 1 ... 0x3FFFFFFF or naming no record.
UnitType FindUnitType(uint32_t typeCode);

}  // namespace window
