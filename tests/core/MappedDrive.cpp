#include "tests/core/MappedDrive.h"

#include <windows.h>

#include <cstdlib>

#include "tests/core/OutsideChecks.h"

namespace testdrive {

MappedDrive::MappedDrive() {
  target_ = "/dev/shm/veltaro-drive-" + std::to_string(GetCurrentProcessId());
  const char* prefix = getenv("WINEPREFIX");
  if (!prefix) return;
  const DWORD used = GetLogicalDrives();
  for (char letter = 'Y'; letter >= 'M'; --letter) {
    if (used & (1u << (letter - 'A'))) continue;
    link_ = std::string(prefix) + "/dosdevices/" + static_cast<char>(letter + 0x20) + ":";
    // ln without -f fails when a test running beside this one took the letter first.
    const std::string made = outside::RunUnixShell("rm -rf " + target_ + " && mkdir -p " + target_ + " && ln -s " +
                                                   target_ + " " + link_ + " && echo mapped");
    if (made.find("mapped") != std::string::npos) {
      letter_ = letter;
      return;
    }
  }
}

MappedDrive::~MappedDrive() {
  if (letter_) outside::RunUnixShell("rm -f " + link_ + "; rm -rf " + target_);
}

int64_t MappedDrive::KilobytesSeenFromLinux() const {
  return std::atoll(outside::RunUnixShell("df -k --output=size " + target_ + " | tail -n 1").c_str());
}

}  // namespace testdrive
