// The end-of-central-directory record, found by one rule wherever a product archive is read (the
// pack check, the installer's listing): the last record signature in the archive's final
// 22 + 65,535 bytes, and only when its comment reaches exactly to the end of the archive.
// minizip, which unpacks, takes the last signature too; an archive with bytes after its comment,
// or with a signature inside its comment, has no end record by this rule, so no reader can take
// another directory than the check saw.
#pragma once
#include <cstddef>
#include <cstdint>

namespace ziplib {

constexpr size_t kEndRecordSize = 22;
constexpr size_t kEndRecordSearch = kEndRecordSize + 0xFFFF;  // the tail the record must lie in

// `tail` is the archive's last `tailSize` bytes (all of them, or at least kEndRecordSearch);
// the record's offset in it, or -1.
int64_t FindEndRecord(const uint8_t* tail, size_t tailSize);

}  // namespace ziplib
