// What each entry of a product archive must be for the installer to put it in place under its
// own name on Windows, and what the archive as a whole must hold.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "installer/pack/ArchiveLayout.h"
#include "installer/pack/Refusal.h"
#include "services/zip/EntryName.h"

namespace pack {

// One entry as it lands in the installation folder.
struct PlannedItem {
  uint32_t index = 0;             // the entry's position in the archive
  bool isFolder = false;
  std::string path;               // relative to the installation folder, GBK, "\" between names
  uint32_t size = 0;              // unpacked bytes (files)
  uint32_t crc = 0;               // CRC-32 of the unpacked bytes (files)
};

// The longest entry name taken, in GBK bytes. Below the default folder every name of up to this
// length lands within the Windows path limit; the folder page takes another folder only while
// the product's longest name still fits below it.
constexpr size_t kLongestEntryName = 200;
constexpr char kDefaultFolder[] = "C:\\Veltaro\\会计从业资格";
static_assert(sizeof kDefaultFolder - 1 + 1 + kLongestEntryName <= ziplib::kLongestEntryPath,
              "the longest name fits below the default folder");

// Checks every entry and the archive's content; fills `items` with what the unpack will make.
std::vector<Refusal> CheckEntries(const ArchiveLayout& layout, std::vector<PlannedItem>* items);

}  // namespace pack
