// The files an installation attempt is about to replace, kept under a second name until the
// attempt has succeeded, so that a failed attempt puts each one back and an earlier installation
// comes back byte for byte. The second name is a hard link in a scratch folder of the
// installation folder: it costs no room, and the unpack, which moves each whole entry over the
// file it replaces, leaves the linked bytes alone. A disk without hard links (FAT) keeps none:
// there files replaced by whole entries before a failure keep their new content.
#pragma once
#include <string>
#include <vector>

namespace installer {

class EarlierFiles {
 public:
  // Keeps each of `files`, relative to `folder`, in a scratch folder made in `folder` for this
  // attempt alone; a file that cannot be linked is not kept.
  void Keep(const std::string& folder, const std::vector<std::string>& files);
  // Every kept file goes back to its place, over whatever replaced it; then the scratch folder goes.
  void PutBack() const;
  // The attempt succeeded: the kept names and the scratch folder go.
  void Drop() const;

 private:
  struct Kept {
    std::string file;  // relative to the folder
    std::string link;  // relative to the folder, inside the scratch folder
  };

  std::string folder_;
  std::string scratch_;  // relative to the folder; empty when nothing is kept
  std::vector<Kept> kept_;
};

}  // namespace installer
