// What the product archive holds, entry by entry, in stored order: names, sizes, methods, the
// header fields that the product's own packer wrote, and the entry times.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/productzip/ContentGenerator.h"
#include "tools/productzip/Random.h"

namespace productzip {

enum class ProductSize { kFull, kSmall };

struct DosTime {
  int year, month, day;       // local date
  int hour, minute, second;   // local time (even seconds)
};

struct ProductEntry {
  std::string name;              // GBK, "/" between folders; folders end in "/"
  std::string unicodeName;       // UTF-8 name for an Info-ZIP Unicode Path field, or empty
  ContentKind kind;              // how the content is made
  std::string text;              // the content of kText entries
  uint32_t size;                 // unpacked size in bytes
  bool folder;                   // a folder entry (no data)
  bool stored;                   // method 0 instead of 8
  uint16_t versionMadeBy;        // 63 or 31, host 0 (FAT)
  uint32_t externalAttributes;   // DOS attributes in the low byte
  DosTime time;                  // last change, local time
  std::string contentFile;       // a real program to carry instead of generated content
};

struct ProductOptions {
  ProductSize size = ProductSize::kFull;   // full product or the tiny test product
  uint64_t seed = 0x5645'4C54'4152'4F46ull;  // fixed default: the default product
  std::string mainProgram;                 // file for the main program entry, or empty
  std::string uninstaller;                 // file for the uninstaller entry, or empty
};

// Seconds since 1970 (UTC) of a local time in the product's time zone (UTC+8).
int64_t UnixSecondsUtc(const DosTime& time);

// The 213 entries in stored order.
std::vector<ProductEntry> BuildProductLayout(const ProductOptions& options, Random& random);

// Full-size byte counts the product reserves for the two programs the installer names.
constexpr uint32_t kMainProgramSize = 1997944;
constexpr uint32_t kUninstallerSize = 974936;
constexpr uint64_t kUnpackedTotal = 245711509;

}  // namespace productzip
