// Synthetic product files that compress like the real ones: program modules mix code-like runs,
// string tables, packed resources and padding; documents are text with embedded pictures;
// databases are mostly empty pages; archives inside the product are already packed.
#pragma once
#include <cstdint>
#include <string>

#include "tools/productzip/Random.h"

namespace productzip {

enum class ContentKind {
  kProgram,    // an executable or library module
  kSyllabus,   // an MHTML document
  kDatabase,   // an Access database of 4,096-byte pages
  kRar,        // a RAR archive (already packed)
  kZip,        // a ZIP archive (already packed)
  kText,       // a fixed text (INI files), given by the layout
};

// Exactly size bytes of the kind, drawn from random.
std::string GenerateContent(ContentKind kind, uint32_t size, Random& random);

// Appends program-like bytes until text is size bytes long (trailing data of a real program).
void PadLikeProgram(std::string& text, uint32_t size, Random& random);

}  // namespace productzip
