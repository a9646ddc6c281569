#include "installer/EarlierFiles.h"

#include <windows.h>

#include "installer/product/GbkPath.h"
#include "installer/product/InstalledFiles.h"
#include "services/zip/EntryName.h"

namespace installer {
namespace {

namespace path = product::path;

// No archive entry can take it (the pack refuses every name ending in the beside suffix), and no
// other installer running at the same time makes the same.
std::string ScratchName() {
  return "earlier-" + std::to_string(GetCurrentProcessId()) + ziplib::kBesideSuffix;
}

}  // namespace

void EarlierFiles::Keep(const std::string& folder, const std::vector<std::string>& files) {
  folder_ = folder;
  scratch_.clear();
  kept_.clear();
  if (files.empty()) return;
  const std::string scratch = ScratchName();
  // A folder of that name already there is not this attempt's: nothing is kept in it.
  if (!CreateDirectoryA(path::Join(folder, scratch).c_str(), nullptr)) return;
  scratch_ = scratch;
  for (const std::string& file : files) {
    const std::string link = path::Join(scratch_, std::to_string(kept_.size() + 1));
    if (CreateHardLinkA(path::Join(folder, link).c_str(), path::Join(folder, file).c_str(), nullptr))
      kept_.push_back({file, link});
  }
}

void EarlierFiles::PutBack() const {
  for (const Kept& kept : kept_) {
    // Only to where the unpack wrote: a folder on the way that has become a link is not followed.
    if (!product::LeadsThroughRealFolders(folder_, kept.file)) continue;
    const std::string file = path::Join(folder_, kept.file);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only file is not replaced
    MoveFileExA(path::Join(folder_, kept.link).c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  Drop();  // a file that was never replaced is still its own link: that second name goes
}

void EarlierFiles::Drop() const {
  if (scratch_.empty()) return;
  for (const Kept& kept : kept_) product::RemoveListedItem(folder_, kept.link, false);
  product::RemoveListedItem(folder_, scratch_, true);
}

}  // namespace installer
