// Writes the generated program image: C++ for the header and the tables (the linker resolves
// every pointer), assembler that embeds the pool and the template region and lays out the event
// routine stubs, and a header with the pool items' offsets for the program's own code.
#pragma once
#include <map>
#include <string>
#include "PayloadInfo.h"
#include "ProgramDescription.h"

namespace imagetool {

// Bytes of each event-routine stub; routine n sits at code base + n * kStubSize.
constexpr int kStubSize = 8;

struct GeneratedImage {
  std::map<std::string, std::string> files;  // file name in the output folder -> contents
};

// payloadPath is embedded by reference (never copied); templateRegion is the written region.
bool WriteImage(const ProgramDescription& program, const std::string& payloadPath,
                const PayloadInfo& payload, const std::string& templateRegion, GeneratedImage& out, std::string& error);

}  // namespace imagetool
