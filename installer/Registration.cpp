#include "installer/Registration.h"

#include <windows.h>

#include "installer/ProgramCalls.h"
#include "program_pool.h"
#include "runtime/Win32Handle.h"

namespace installer {
namespace {

constexpr int32_t kLocalMachine = 4;

// The entry's key: every value path without its last part, the value name.
std::string EntryKey() {
  const std::string value = pool::Text(pool::DisplayNamePath);
  return value.substr(0, value.rfind('\\'));
}

bool EntryExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, EntryKey().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// The room the unpacked product takes, as the list of programs shows it: whole KiB, rounded up.
int32_t EstimatedSizeInKiB() { return static_cast<int32_t>((pool::kPayloadUnpackedSize + 1023) / 1024); }

std::string Quoted(const std::string& path) { return pool::Text(pool::Quote) + path + pool::Text(pool::Quote); }

}  // namespace

bool Registration::Register(const std::string& folder) {
  keyExisted_ = EntryExists();
  const struct {
    uint32_t path;
    std::string value;
  } values[] = {
      {pool::DisplayIconPath, folder + pool::Text(pool::MainProgram)},
      {pool::DisplayNamePath, pool::Text(pool::DisplayName)},
      {pool::DisplayVersionPath, pool::Text(pool::DisplayVersion)},
      {pool::UninstallStringPath, Quoted(folder + pool::Text(pool::Uninstaller))},
      {pool::PublisherPath, pool::Text(pool::Publisher)},
  };
  for (const auto& value : values) {
    if (!WriteRegistryValue(kLocalMachine, pool::Text(value.path), value.value)) return false;
  }
  if (!WriteRegistryValue(kLocalMachine, pool::Text(pool::InstallLocationPath), folder)) return false;
  const struct {
    uint32_t path;
    int32_t value;
  } numbers[] = {
      {pool::EstimatedSizePath, EstimatedSizeInKiB()},
      {pool::NoModifyPath, 1},
      {pool::NoRepairPath, 1},
  };
  for (const auto& number : numbers) {
    if (!WriteRegistryValue(kLocalMachine, pool::Text(number.path), number.value)) return false;
  }
  return true;
}

void Registration::Withdraw() const {
  if (keyExisted_) return;
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, EntryKey().c_str());  // the key and values this attempt made
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, EntryKey().c_str());
}

}  // namespace installer
