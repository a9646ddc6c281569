#include "installer/Registration.h"

#include <windows.h>

#include <string>
#include <vector>

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
  rt::RegKey key;
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, EntryKey().c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

// The room the unpacked product takes, as the list of programs shows it: whole KiB, rounded up.
int32_t EstimatedSizeInKiB() { return static_cast<int32_t>((pool::kPayloadUnpackedSize + 1023) / 1024); }

std::string Quoted(const std::string& path) { return pool::Text(pool::Quote) + path + pool::Text(pool::Quote); }

// Every value the entry gets, by the path of its value.
constexpr uint32_t kValuePaths[] = {
    pool::DisplayIconPath, pool::DisplayNamePath,  pool::DisplayVersionPath, pool::UninstallStringPath,
    pool::PublisherPath,   pool::InstallLocationPath, pool::EstimatedSizePath, pool::NoModifyPath,
    pool::NoRepairPath,
};

std::string ValueName(uint32_t valuePath) {
  const std::string path = pool::Text(valuePath);
  return path.substr(path.rfind('\\') + 1);
}

Registration::EarlierValue ReadEarlierValue(HKEY key, const std::string& name) {
  Registration::EarlierValue earlier;
  earlier.name = name;
  DWORD size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &earlier.type, nullptr, &size) != ERROR_SUCCESS) return earlier;
  earlier.data.resize(size);
  earlier.existed = RegQueryValueExA(key, name.c_str(), nullptr, &earlier.type, earlier.data.data(), &size) ==
                    ERROR_SUCCESS;
  earlier.data.resize(size);
  return earlier;
}

}  // namespace

bool Registration::Register(const std::string& folder) {
  keyExisted_ = EntryExists();
  SaveEarlierValues();
  const struct {
    uint32_t path;
    std::string value;
  } texts[] = {
      {pool::DisplayIconPath, folder + pool::Text(pool::MainProgram)},
      {pool::DisplayNamePath, pool::Text(pool::DisplayName)},
      {pool::DisplayVersionPath, pool::Text(pool::DisplayVersion)},
      {pool::UninstallStringPath, Quoted(folder + pool::Text(pool::Uninstaller))},
      {pool::PublisherPath, pool::Text(pool::Publisher)},
      {pool::InstallLocationPath, folder},
  };
  for (const auto& text : texts) {
    if (!WriteRegistryValue(kLocalMachine, pool::Text(text.path), text.value)) return false;
  }
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

// An earlier installation's entry must come back whole when this attempt fails part way.
void Registration::SaveEarlierValues() {
  earlier_.clear();
  rt::RegKey key;
  const bool open =
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, EntryKey().c_str(), 0, KEY_QUERY_VALUE, key.Receive()) == ERROR_SUCCESS;
  for (uint32_t valuePath : kValuePaths) {
    const std::string name = ValueName(valuePath);
    earlier_.push_back(open ? ReadEarlierValue(key.Get(), name) : EarlierValue{name});
  }
}

void Registration::Withdraw() const {
  rt::RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, EntryKey().c_str(), 0, KEY_SET_VALUE, key.Receive()) != ERROR_SUCCESS) return;
  for (const EarlierValue& value : earlier_) {
    if (!value.existed) {
      RegDeleteValueA(key.Get(), value.name.c_str());
      continue;
    }
    RegSetValueExA(key.Get(), value.name.c_str(), 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
  }
  key.Close();
  // Only the empty key this attempt made: whatever someone else put below it stays.
  if (!keyExisted_) RegDeleteKeyA(HKEY_LOCAL_MACHINE, EntryKey().c_str());
}

}  // namespace installer
