// A drive letter of the test's own, mapped to a fresh folder on a file system of its own
// (tmpfs) by a link in the prefix's dosdevices folder, the way Wine maps drives. The mapping
// and the folder go away with the object.
#pragma once
#include <cstdint>
#include <string>

namespace testdrive {

class MappedDrive {
 public:
  MappedDrive();
  ~MappedDrive();
  MappedDrive(const MappedDrive&) = delete;
  MappedDrive& operator=(const MappedDrive&) = delete;

  char Letter() const { return letter_; }  // 0 when no letter could be mapped
  std::string Root() const { return std::string(1, letter_) + ":\\"; }
  // The size of the drive's file system in KB as Linux reports it.
  int64_t KilobytesSeenFromLinux() const;

 private:
  char letter_ = 0;
  std::string target_;  // the Linux folder behind the drive
  std::string link_;    // the link in dosdevices
};

}  // namespace testdrive
