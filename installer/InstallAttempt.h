// One installation attempt as it meets the disk: what was already there before the first byte
// was written, so that a failed attempt takes back everything it made and nothing else, and a
// successful one leaves the log of what the product now has in its folder.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "installer/EarlierFiles.h"
#include "installer/product/InstallLog.h"

namespace installer {

class InstallAttempt {
 public:
  // Looks at the folder and at every item the archive will put there; false when the archive's
  // directory cannot be read. Writes nothing.
  bool Plan(const std::string& folder, const std::string& archiveFile, const unsigned char* archive, size_t size);

  // True when the folder holds an earlier installation of the product: its Uninstall.ini and
  // its Uninstall.log name this folder, and so does the system's uninstall entry.
  bool IsOverEarlierInstallation() const { return overEarlier_; }
  // The longest path of the archive's items, in bytes, relative to the folder.
  size_t LongestItemPath() const;
  // True when the folder was not there: the attempt makes it.
  bool MakesFolder() const { return !made_.empty(); }

  // Makes the levels of the folder that were not there, the outermost one open to
  // administrators only (the rest inherit it); true when the folder is there afterwards.
  bool MakeFolder() const;

  // The log to leave after success: the archive's items, and those of an earlier installation
  // in the same folder that are still there.
  product::InstallLog Log() const;

  // Keeps the files that were there before and that the unpack will replace, until Undo puts
  // them back or the attempt has succeeded (DropEarlierFiles).
  void KeepEarlierFiles();
  void DropEarlierFiles() const { earlierFiles_.Drop(); }

  // Removes every file and folder this attempt created, the temporary archive, the record files
  // it wrote and the levels of the folder it made; whatever was there before stays, and a file the
  // attempt replaced gets its earlier bytes back where the disk could keep them.
  void Undo() const;

 private:
  struct Item {
    product::InstalledItem item;
    bool existed;  // there before the attempt
  };

  std::string InFolder(const std::string& relative) const;

  std::string folder_;           // the installation folder
  std::string archiveFile_;      // the temporary archive in it
  std::string made_;             // outermost level of the folder that was not there, or empty
  std::vector<Item> items_;      // in archive order, folders before their contents
  bool recordExisted_ = false;   // Uninstall.ini
  bool logExisted_ = false;      // Uninstall.log
  bool overEarlier_ = false;     // an earlier installation lies in the folder
  product::InstallLog earlier_;  // its log
  EarlierFiles earlierFiles_;    // the files the unpack replaces, as they were
};

// True when the folder holds any file or folder.
bool FolderHoldsAnything(const std::string& folder);

}  // namespace installer
