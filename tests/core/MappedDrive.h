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
  // A drive on a tmpfs of its own of that size ("3T"), mounted for the object's life; Letter()
  // is 0 when it could not be mounted (a test then skips).
  explicit MappedDrive(const std::string& fileSystemSize);
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
  bool mounted_ = false;  // a file system of its own is mounted on target_
};

}  // namespace testdrive
