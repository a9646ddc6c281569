#include "installer/pack/EntryRules.h"

#include <windows.h>

#include <map>
#include <set>
#include <zlib.h>

#include "installer/product/GbkPath.h"
#include "installer/product/InstallLog.h"
#include "installer/product/UninstallRecord.h"
#include "services/zip/EntryName.h"
#include "services/zip/GbkPath.h"
#include "services/zip/LittleEndian.h"
#include "services/zip/ZipReader.h"

namespace pack {
namespace {

constexpr unsigned kGbk = 936;
constexpr uint16_t kFlagEncrypted = 0x0001, kFlagStrongEncryption = 0x0040;
constexpr uint16_t kUnicodePathId = 0x7075;
constexpr uint16_t kMethodStored = 0, kMethodDeflated = 8;
constexpr char kMainProgram[] = "会计从业资格.exe";
constexpr char kUninstaller[] = "Uninstall.exe";

using ziplib::Read16;
using ziplib::Read32;

bool IsValidGbk(const std::string& text) {
  if (text.empty()) return true;
  return MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0) > 0;
}

std::string Utf8AsGbk(const std::string& utf8) {
  std::string gbk;
  return ziplib::EntryNameInCodePage(utf8, ziplib::kFlagUtf8Name, &gbk, kGbk) ? gbk : std::string();
}

std::string MethodName(uint16_t method) {
  switch (method) {
    case 9: return "deflate64";
    case 12: return "bzip2";
    case 14: return "LZMA";
    case 93: return "Zstandard";
    case 95: return "xz";
    case 98: return "PPMd";
    default: return "method " + std::to_string(method);
  }
}

// The name an Info-ZIP Unicode Path block gives, when the block belongs to this stored name.
bool UnicodePathName(const ArchiveEntry& entry, std::string* utf8) {
  const std::vector<uint8_t>& extra = entry.extra;
  for (size_t at = 0; at + 4 <= extra.size(); at += 4 + Read16(&extra[at + 2])) {
    const size_t size = Read16(&extra[at + 2]);
    if (Read16(&extra[at]) != kUnicodePathId || size < 5 || at + 4 + size > extra.size() || extra[at + 4] != 1) continue;
    const auto* name = reinterpret_cast<const Bytef*>(entry.storedName.data());
    if (Read32(&extra[at + 5]) != crc32(0, name, static_cast<uInt>(entry.storedName.size()))) return false;
    utf8->assign(reinterpret_cast<const char*>(&extra[at + 9]), size - 5);
    return true;
  }
  return false;
}

// Whether the stored name's last part is `name`, ASCII letters in any case (Windows finds
// "会计从业资格.EXE" as well).
bool LastPartIs(const std::string& stored, const std::string& name) {
  if (stored.size() < name.size()) return false;
  const size_t start = stored.size() - name.size();
  if (start > 0 && stored[start - 1] != '/' && stored[start - 1] != '\\') return false;
  auto folded = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (size_t i = 0; i < name.size(); ++i) {
    if (folded(stored[start + i]) != folded(name[i])) return false;
  }
  return true;
}

// Which encoding the tool that wrote the archive used for the names it did not flag UTF-8. The
// main program's name tells: its GBK bytes are never valid UTF-8, and its UTF-8 bytes are other
// bytes than its GBK ones, so an unflagged entry of that name settles it for every unflagged
// name. Without one (flagged, or missing) they are GBK, as the installer reads them.
bool UnflaggedNamesAreUtf8(const ArchiveLayout& layout) {
  for (const ArchiveEntry& entry : layout.entries) {
    if (!(entry.flags & ziplib::kFlagUtf8Name) && LastPartIs(entry.storedName, u8"会计从业资格.exe")) return true;
  }
  return false;
}

// The name the entry lands under on a GBK system, or a refusal.
bool InstalledName(const ArchiveEntry& entry, std::string* name, std::vector<Refusal>* refusals) {
  const bool flagged = entry.flags & ziplib::kFlagUtf8Name;
  if (!ziplib::EntryNameInCodePage(entry.storedName, entry.flags, name, kGbk)) {
    refusals->push_back(EntryRefusal(entry, "its name is flagged UTF-8 but is not valid UTF-8 or holds a character "
                                            "that GBK, the code page of the systems the product is for, cannot hold. "
                                            "Rename the file with characters GBK has."));
    return false;
  }
  if (!flagged && !IsValidGbk(*name)) {
    refusals->push_back(EntryRefusal(entry, "its name is neither valid GBK nor flagged UTF-8, so it would land under "
                                            "other characters. Zip the product with UTF-8 names (7-Zip, Python's "
                                            "zipfile, or bsdtar in a UTF-8 locale)."));
    return false;
  }
  std::string unicode;
  if (!flagged && UnicodePathName(entry, &unicode) && Utf8AsGbk(unicode) != *name) {
    refusals->push_back(EntryRefusal(entry, "its name is stored in another code page than GBK (its Unicode name, "
                                            "which the installer does not read, differs), so it would land under "
                                            "other characters. Zip the product with UTF-8 names (7-Zip, Python's "
                                            "zipfile, or bsdtar in a UTF-8 locale)."));
    return false;
  }
  if (name->empty()) {
    refusals->push_back(EntryRefusal(entry, "its name is empty."));
    return false;
  }
  return true;
}

const char* NameFaultReason(ziplib::EntryNameFault fault) {
  switch (fault) {
    case ziplib::EntryNameFault::kAbsolute: return "its name begins with a separator, so it would land outside the installation folder.";
    case ziplib::EntryNameFault::kDriveOrStream: return "its name holds \":\" (a drive or a stream), so it would land outside the installation folder or in no file at all.";
    case ziplib::EntryNameFault::kParent: return "its name climbs out of its folder (\"..\"), so it would land outside the installation folder.";
    case ziplib::EntryNameFault::kDevice: return "its name is a device name of Windows (CON, PRN, AUX, NUL, COM1..9, LPT1..9), which opens the device instead of a file.";
    case ziplib::EntryNameFault::kSplitOtherwise: return "its name holds the byte 0x80 or 0xFF where a character starts; Windows reads that byte as a character of its own (0x80 is the euro sign), so the name would not land where the installer puts it. Rename it.";
    default: return "";
  }
}

// What Windows would not keep as written: characters it forbids in names, and a dot or blank
// at the end of a name, which it drops (the file would land under another name).
std::string WindowsNameFault(const std::string& path) {
  std::string fault;
  ziplib::gbk::ForEachComponent(path, [&](std::string_view component) {
    if (!fault.empty()) return;
    for (size_t i = 0; i < component.size(); i += ziplib::gbk::CharLength(component, i)) {
      const unsigned char c = static_cast<unsigned char>(component[i]);
      if (c < 0x20 || std::string_view("<>\"|?*").find(static_cast<char>(c)) != std::string_view::npos) {
        fault = "its name holds a character Windows does not allow in file names (< > \" | ? * or a control character).";
        return;
      }
    }
    if (!component.empty() && (component.back() == '.' || component.back() == ' ')) {
      fault = "a name in its path ends in a dot or a blank, which Windows drops, so it would land under another name.";
    }
  });
  return fault;
}

bool EndsWithFoldingCase(const std::string& path, const std::string& end) {
  const std::string folded = product::path::CaseFolded(path);
  return folded.size() >= end.size() && folded.compare(folded.size() - end.size(), end.size(), product::path::CaseFolded(end)) == 0;
}

// A name the installer writes a file of its own under: at the top level the payload it unpacks
// (held open while it does) and the records the uninstaller reads, with their pending copies;
// anywhere, the file an entry that replaces an earlier one is written to first, and the folder
// the files it replaces are kept in until it has succeeded.
std::string InstallerOwnNameFault(const std::string& path) {
  for (const std::string& part : product::path::Split(path, '\\')) {
    if (!EndsWithFoldingCase(part, ziplib::kBesideSuffix)) continue;
    return std::string("a name in its path ends in \"") + ziplib::kBesideSuffix + "\": the installer writes an entry "
           "that replaces an earlier file beside it under such a name first, and keeps the files it replaces in a "
           "folder of such a name, so this one could be overwritten. Rename it.";
  }
  const std::string pendingRecord = std::string(product::kRecordFileName) + product::kPendingRecordSuffix;
  const std::string pendingLog = std::string(product::kInstallLogName) + product::kPendingRecordSuffix;
  const struct {
    std::string name;
    const char* what;
  } ownFiles[] = {{"zip.tmp", "the archive it unpacks, held open while it does"},
                  {product::kRecordFileName, "the record its uninstaller reads"},
                  {product::kInstallLogName, "the log its uninstaller reads"},
                  {pendingRecord, "the record while it is written"},
                  {pendingLog, "the log while it is written"}};
  for (const auto& own : ownFiles) {
    if (!product::path::EqualIgnoringCase(path, own.name)) continue;
    return "the installer writes its own \"" + own.name + "\" into the installation folder (" + own.what +
           "), so this entry could not be installed or would be lost. Rename it, or put it into a folder.";
  }
  return std::string();
}

// The relative path of a well-named entry, with its refusals.
bool CheckName(const ArchiveEntry& entry, std::string* path, bool* isFolder, std::vector<Refusal>* refusals) {
  std::string name;
  if (!InstalledName(entry, &name, refusals)) return false;
  *isFolder = ziplib::AttributesFromExternal(entry.external, name.c_str()) & FILE_ATTRIBUTE_DIRECTORY;
  *path = product::path::WithoutTrailingSeparators(ziplib::gbk::SlashesToBackslashes(name));
  const ziplib::EntryNameFault fault = ziplib::FindEntryNameFault(ziplib::gbk::SlashesToBackslashes(name));
  if (fault != ziplib::EntryNameFault::kNone) return refusals->push_back(EntryRefusal(entry, NameFaultReason(fault))), false;
  const std::string windowsFault = WindowsNameFault(*path);
  if (!windowsFault.empty()) return refusals->push_back(EntryRefusal(entry, windowsFault)), false;
  const std::string ownNameFault = InstallerOwnNameFault(*path);
  if (!ownNameFault.empty()) return refusals->push_back(EntryRefusal(entry, ownNameFault)), false;
  if (!product::IsContainedRelativePath(*path)) {
    return refusals->push_back(EntryRefusal(entry, "its name has an empty or \".\" part (two separators in a row?).")), false;
  }
  if (path->size() > kLongestEntryName) {
    refusals->push_back(EntryRefusal(entry, "its name is " + std::to_string(path->size()) + " bytes long; at most " +
                                                std::to_string(kLongestEntryName) + " are taken, so that it fits "
                                                "below the installer's default folder within the Windows path "
                                                "limit (259 bytes)."));
    return false;
  }
  return true;
}

void CheckData(const ArchiveEntry& entry, std::vector<Refusal>* refusals) {
  if ((entry.flags & (kFlagEncrypted | kFlagStrongEncryption)) || entry.method == 99) {
    refusals->push_back(EntryRefusal(entry, "it is encrypted; the installer has no password. Zip the product without one."));
    return;
  }
  if (entry.method != kMethodStored && entry.method != kMethodDeflated) {
    refusals->push_back(EntryRefusal(entry, "it is compressed with " + MethodName(entry.method) +
                                                "; the installer reads stored and deflated entries only. Zip it with "
                                                "deflate (7-Zip: -mm=Deflate; Python: ZIP_DEFLATED)."));
  }
}

// Where each path lands, case folded: two names Windows takes as one are one file.
class Placement {
 public:
  // A folder entry makes its folder and every missing level above it.
  bool AddFolder(const ArchiveEntry& entry, const std::string& path, std::vector<Refusal>* refusals) {
    for (std::string level = path; !level.empty(); level = product::path::Folder(level)) {
      const std::string key = product::path::CaseFolded(level);
      if (files_.count(key)) return refusals->push_back(EntryRefusal(entry, "a folder in its path is also a file of the archive.")), false;
      folders_.insert(key);
    }
    return true;
  }

  bool AddFile(const ArchiveEntry& entry, const std::string& path, std::vector<Refusal>* refusals) {
    const std::string key = product::path::CaseFolded(path);
    const auto earlier = files_.find(key);
    if (earlier != files_.end()) {
      refusals->push_back(EntryRefusal(entry, "it names the same file as entry " + std::to_string(earlier->second) +
                                                  " (Windows does not tell upper from lower case), so one would "
                                                  "replace the other."));
      return false;
    }
    if (folders_.count(key)) return refusals->push_back(EntryRefusal(entry, "a folder of the archive has the same name.")), false;
    const std::string folder = product::path::Folder(path);
    if (!folder.empty() && !folders_.count(product::path::CaseFolded(folder))) {
      refusals->push_back(EntryRefusal(entry, "its folder has no folder entry before it, and the installer makes only "
                                              "the folders the archive lists. Zip the product with folder entries "
                                              "(Info-ZIP zip -r, 7-Zip and bsdtar write them; with Python's zipfile, "
                                              "write each folder too, before its files)."));
      return false;
    }
    files_.emplace(key, entry.index);
    return true;
  }

  bool HasRootFile(const char* name) const { return files_.count(product::path::CaseFolded(name)) != 0; }

 private:
  std::set<std::string> folders_;
  std::map<std::string, uint32_t> files_;
};

// The archive's one top folder when every entry lies in it, or empty.
std::string SingleTopFolder(const std::vector<PlannedItem>& items) {
  std::string top;
  for (const PlannedItem& item : items) {
    const std::string first = product::path::Split(item.path, '\\').front();
    if (first == item.path && !item.isFolder) return std::string();
    if (top.empty()) top = first;
    if (!product::path::EqualIgnoringCase(top, first)) return std::string();
  }
  return top;
}

void CheckPrograms(const Placement& placement, const std::vector<PlannedItem>& items, std::vector<Refusal>* refusals) {
  const std::string top = SingleTopFolder(items);
  const std::string hint = top.empty() ? std::string() : " Every entry lies in the folder \"" + top + "\": zip what that folder holds, not the folder itself.";
  for (const char* program : {kMainProgram, kUninstaller}) {
    if (placement.HasRootFile(program)) continue;
    refusals->push_back(ArchiveRefusal(std::string("the archive has no \"") + program + "\" at its top level. The "
                                       "installer's shortcuts and the list of installed programs start it there, so "
                                       "they would point at nothing." + hint));
  }
}

}  // namespace

std::vector<Refusal> CheckEntries(const ArchiveLayout& layout, std::vector<PlannedItem>* items) {
  if (UnflaggedNamesAreUtf8(layout)) {
    return {ArchiveRefusal("the archive's names are UTF-8 without the UTF-8 flag (general-purpose bit 11): \"" +
                           std::string(kMainProgram) + "\" is stored in UTF-8 unflagged, as Info-ZIP zip writes "
                           "names in a UTF-8 locale. The installer takes unflagged names as GBK, so every name outside "
                           "ASCII would land under other characters. Zip the product with 7-Zip (7z a -tzip), bsdtar "
                           "(--format zip) or Python's zipfile, which flag UTF-8 names, or with Info-ZIP zip from a "
                           "tree whose file names are GBK.")};
  }
  std::vector<Refusal> refusals;
  Placement placement;
  for (const ArchiveEntry& entry : layout.entries) {
    CheckData(entry, &refusals);
    PlannedItem item{entry.index, false, std::string(), entry.uncompressedSize, entry.crc};
    if (!CheckName(entry, &item.path, &item.isFolder, &refusals)) continue;
    const bool placed = item.isFolder ? placement.AddFolder(entry, item.path, &refusals)
                                      : placement.AddFile(entry, item.path, &refusals);
    if (placed) items->push_back(std::move(item));
  }
  CheckPrograms(placement, *items, &refusals);
  return refusals;
}

}  // namespace pack
