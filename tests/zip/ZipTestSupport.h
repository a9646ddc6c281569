// What the ZIP tests share: archives written byte by byte with every header field under the
// test's control, scratch folders, file helpers, and a notification entry that stands where the
// runtime would and records what ZipLib asks of it.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/Notify.h"
#include "runtime/UnitObject.h"

namespace ziptest {

// One entry as it goes into a test archive. Zero-initialised fields give a plain deflated file
// made on a DOS host.
struct TestEntry {
  std::string name;                    // stored name bytes (GBK)
  std::string data;                    // unpacked content
  uint16_t method = 8;                 // 0 stored, 8 deflated, anything else written as stored bytes
  uint16_t flags = 0;                  // general-purpose flags in both headers
  uint32_t externalAttributes = 0x20;  // as stored in the central record
  uint16_t versionMadeBy = 20;         // host in the high byte
  uint16_t dosTime = 0x6000;           // 12:00:00
  uint16_t dosDate = 0x4A21;           // 2017-01-01
  std::string localExtra;              // extra field of the local header
  std::string centralExtra;            // extra field of the central record
  std::string localName;               // name in the local header when it must differ, else name
  int64_t centralCrc = -1;             // CRC in the central record when it must differ
  int64_t centralSize = -1;            // unpacked size in the central record when it must differ
  int64_t localMethod = -1;            // method in the local header when it must differ
  int64_t packedLength = -1;           // packed bytes kept, the rest cut off, when it must be cut short
};

// The archive bytes: local headers and data, central directory, end record.
std::string BuildArchive(const std::vector<TestEntry>& entries);
// Where each part of a built archive begins.
struct ArchiveLayout {
  std::vector<uint32_t> localHeaders;  // offset of each local header
  std::vector<uint32_t> dataStarts;    // offset of each entry's data
  std::vector<uint32_t> centralRecords;  // offset of each central record
  uint32_t endRecord = 0;              // offset of the end record
};
std::string BuildArchive(const std::vector<TestEntry>& entries, ArchiveLayout* layout);

std::string Deflate(const std::string& data);
std::string ExtendedTimestamp(uint8_t flags, const std::vector<uint32_t>& times);  // a "UT" block
std::string ExtraBlock(uint16_t id, const std::string& data);
std::string Pattern(size_t size, uint32_t seed);  // varied, partly compressible bytes

// A fresh folder under the temporary folder, removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& Path() const { return path_; }  // no trailing "\"
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;  // the folder
};

bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool ReadWholeFile(const std::string& path, std::string* bytes);
bool Exists(const std::string& path);
bool IsFolder(const std::string& path);
void RemoveTree(const std::string& path);
// Relative paths of every file and folder under root (folders end in "\"), sorted.
std::vector<std::string> ListTree(const std::string& root);
std::string TestDataFolder();  // the folder of this executable, with a trailing "\"

// The notification entry of the tests: serves 2007 (the unit registered for its ids), 2008
// (records the percentage and answers with the scripted result) and 2000 (records the ids).
class TestRuntime {
 public:
  TestRuntime();   // installs itself into ZipLib through code 1
  ~TestRuntime();  // takes the entry back out

  void Register(rt::UnitObject* unit) { unit_ = unit; }
  // The event routine answers false on event number n (from 0); -1 never.
  void AnswerFalseAt(int eventNumber) { falseAt_ = eventNumber; }
  // The event routine destroys the unit's window on event number n.
  void DestroyUnitAt(int eventNumber) { destroyAt_ = eventNumber; }

  std::vector<int> percentages;                            // event 1 arguments, in order
  std::vector<std::pair<uint32_t, uint32_t>> destroyed;    // ids reported with code 2000
  std::vector<std::pair<uint32_t, uint32_t>> located;      // ids asked for with code 2007
  std::vector<rt::EventRecord> events;                     // every record raised

  static int32_t Entry(int32_t code, int32_t first, int32_t second);

 private:
  int32_t Serve(int32_t code, int32_t first, int32_t second);

  rt::UnitObject* unit_ = nullptr;  // what 2007 answers
  int falseAt_ = -1;                // event that answers false
  int destroyAt_ = -1;              // event that destroys the unit's window
};

// A top-level window to parent units, destroyed at the end.
class ParentWindow {
 public:
  ParentWindow();
  ~ParentWindow();
  HWND Handle() const { return window_; }

 private:
  HWND window_ = nullptr;  // a plain STATIC window
};

// Creates a ZIP unit through query 1 of the unit interface.
rt::UnitObject* CreateZipUnit(HWND parent, uint32_t windowId, uint32_t unitId);

// Calls Unpack with the unit's ids and the two texts (null for an omitted text); its result.
int32_t CallUnpack(const rt::UnitObject* unit, const char* archive, const char* folder);

}  // namespace ziptest
