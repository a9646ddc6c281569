#include "installer/product/FolderAccess.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include "installer/product/GbkPath.h"

namespace product {

namespace {

// 0x1200A9 is read and execute (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE); CREATOR OWNER's entry
// only passes down to what is made inside.
constexpr char kAdministratorsFolder[] =
    "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200A9;;;BU)(A;OICIIO;GA;;;CO)";

// The groups every local user belongs to, one of them at least.
constexpr WELL_KNOWN_SID_TYPE kEveryUsersGroups[] = {WinWorldSid, WinAuthenticatedUserSid, WinBuiltinUsersSid,
                                                      WinInteractiveSid, WinBuiltinGuestsSid};

constexpr ACCESS_MASK kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                        WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

class LocalMemory {
 public:
  LocalMemory() = default;
  LocalMemory(const LocalMemory&) = delete;
  LocalMemory& operator=(const LocalMemory&) = delete;
  ~LocalMemory() {
    if (memory_) LocalFree(memory_);
  }
  PSECURITY_DESCRIPTOR* Receive() { return &memory_; }
  PSECURITY_DESCRIPTOR Get() const { return memory_; }

 private:
  PSECURITY_DESCRIPTOR memory_ = nullptr;
};

bool IsEveryUsersGroup(PSID sid) {
  for (WELL_KNOWN_SID_TYPE group : kEveryUsersGroups) {
    if (IsWellKnownSid(sid, group)) return true;
  }
  return false;
}

bool VolumeKeepsAccessLists(const std::string& path) {
  const std::string root = path.substr(0, 3);  // "X:\" of a drive path
  DWORD flags = 0;
  if (!GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) return true;
  return (flags & FILE_PERSISTENT_ACLS) != 0;
}

}  // namespace

bool MakeAdministratorsFolder(const std::string& folder) {
  LocalMemory descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kAdministratorsFolder, SDDL_REVISION_1,
                                                            descriptor.Receive(), nullptr)) {
    return false;
  }
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor.Get(), FALSE};
  return CreateDirectoryA(folder.c_str(), &attributes) != 0;
}

bool OthersMayChange(const std::string& path) {
  if (path::IsDrivePath(path) && !VolumeKeepsAccessLists(path)) return false;
  PACL list = nullptr;
  LocalMemory descriptor;
  if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &list, nullptr,
                            descriptor.Receive()) != ERROR_SUCCESS) {
    return true;  // what cannot be read cannot be vouched for
  }
  if (!list) return true;  // no access list: everyone may do everything
  for (DWORD i = 0; i < list->AceCount; ++i) {
    ACE_HEADER* header = nullptr;
    if (!GetAce(list, i, reinterpret_cast<void**>(&header))) return true;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) continue;
    auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
    if ((allowed->Mask & kChangingRights) && IsEveryUsersGroup(&allowed->SidStart)) return true;
  }
  return false;
}

}  // namespace product
