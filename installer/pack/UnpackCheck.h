// The archive unpacked by the installer's own ZIP service into a scratch folder, and what landed
// there compared with the archive: the check runs the code the user's machine will run.
#pragma once
#include <string>
#include <vector>

#include "installer/pack/ArchiveLayout.h"
#include "installer/pack/EntryRules.h"
#include "installer/pack/Refusal.h"

namespace pack {

std::vector<Refusal> UnpackAndCompare(const std::string& archive, const ArchiveLayout& layout,
                                      const std::vector<PlannedItem>& items);

}  // namespace pack
