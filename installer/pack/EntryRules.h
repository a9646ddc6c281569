// What each entry of a product archive must be for the installer to put it in place under its
// own name on Windows, and what the archive as a whole must hold.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "installer/pack/ArchiveLayout.h"
#include "installer/pack/Refusal.h"

namespace pack {

// One entry as it lands in the installation folder.
struct PlannedItem {
  uint32_t index = 0;             // the entry's position in the archive
  bool isFolder = false;
  std::string path;               // relative to the installation folder, GBK, "\" between names
  uint32_t size = 0;              // unpacked bytes (files)
  uint32_t crc = 0;               // CRC-32 of the unpacked bytes (files)
};

// The longest entry name taken, in GBK bytes: Windows paths end at 259 characters, and the
// folder the user picks needs room in front of the name.
constexpr size_t kLongestEntryName = 200;

// Checks every entry and the archive's content; fills `items` with what the unpack will make.
std::vector<Refusal> CheckEntries(const ArchiveLayout& layout, std::vector<PlannedItem>* items);

}  // namespace pack
