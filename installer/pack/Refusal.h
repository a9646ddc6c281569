// Why a product archive cannot be packed: which entry, and what the vendor should do.
#pragma once
#include <cstdint>
#include <string>

namespace pack {

struct Refusal {
  int64_t entry = -1;       // the entry's index, or -1 for the archive as a whole
  std::string storedName;   // the entry's name as stored, or empty
  uint16_t flags = 0;       // the entry's general-purpose flags (bit 11: the name is UTF-8)
  std::string reason;       // what is wrong and what to do (GBK)
};

inline Refusal ArchiveRefusal(std::string reason) { return {-1, std::string(), 0, std::move(reason)}; }

}  // namespace pack
