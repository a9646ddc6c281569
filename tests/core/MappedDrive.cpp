#include "tests/core/MappedDrive.h"

#include <windows.h>

#include <cstdlib>

#include "tests/core/OutsideChecks.h"

namespace testdrive {

MappedDrive::MappedDrive() : MappedDrive(std::string()) {}

MappedDrive::MappedDrive(const std::string& fileSystemSize) {
  target_ = "/dev/shm/veltaro-drive-" + std::to_string(GetCurrentProcessId());
  if (!fileSystemSize.empty()) {
    target_ += "-own";
    const std::string mounted = outside::RunUnixShell("mkdir -p " + target_ + " && mount -t tmpfs -o size=" +
                                                      fileSystemSize + " veltaro-test " + target_ + " && echo mounted");
    mounted_ = mounted.find("mounted") != std::string::npos;
    if (!mounted_) return;
  }
  const char* prefix = getenv("WINEPREFIX");
  if (!prefix) return;
  const DWORD used = GetLogicalDrives();
  for (char letter = 'Y'; letter >= 'M'; --letter) {
    if (used & (1u << (letter - 'A'))) continue;
    link_ = std::string(prefix) + "/dosdevices/" + static_cast<char>(letter + 0x20) + ":";
    // ln without -f fails when a test running beside this one took the letter first.
    const std::string fresh = mounted_ ? "true" : "rm -rf " + target_ + " && mkdir -p " + target_;
    const std::string made = outside::RunUnixShell(fresh + " && ln -s " + target_ + " " + link_ + " && echo mapped");
    if (made.find("mapped") != std::string::npos) {
      letter_ = letter;
      return;
    }
  }
}

MappedDrive::~MappedDrive() {
  if (letter_) outside::RunUnixShell("rm -f " + link_);
  if (mounted_) outside::RunUnixShell("umount " + target_);
  if (letter_ || mounted_) outside::RunUnixShell("rm -rf " + target_);
}

int64_t MappedDrive::KilobytesSeenFromLinux() const {
  return std::atoll(outside::RunUnixShell("df -k --output=size " + target_ + " | tail -n 1").c_str());
}

}  // namespace testdrive
