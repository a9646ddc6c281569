// Unpack as the compiled program calls it: results, progress events and what lands on disk.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "services/zip/ZipUnpacker.h"
#include "tests/zip/ZipTestSupport.h"

namespace ziptest {
namespace {

constexpr uint32_t kWindowId = 0x52000001;
constexpr uint32_t kUnitId = 0x16000007;

class UnpackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unit_ = CreateZipUnit(parent_.Handle(), kWindowId, kUnitId);
    ASSERT_NE(nullptr, unit_);
    runtime_.Register(unit_);
  }
  void TearDown() override {
    if (unit_ && IsWindow(unit_->Handle())) DestroyWindow(unit_->Handle());
  }

  std::string WriteArchive(const std::vector<TestEntry>& entries, const std::string& name = "a.zip") {
    const std::string path = scratch_ / name;
    EXPECT_TRUE(WriteWholeFile(path, BuildArchive(entries)));
    return path;
  }
  int32_t Unpack(const std::string& archive, const std::string& folder) {
    return CallUnpack(unit_, archive.c_str(), folder.c_str());
  }

  ParentWindow parent_;
  TestRuntime runtime_;
  rt::UnitObject* unit_ = nullptr;
  ScratchFolder scratch_;
};

std::vector<TestEntry> ThreeEntries() {
  TestEntry folder;
  folder.name = "docs/";
  folder.method = 0;
  folder.externalAttributes = 0x10;
  TestEntry first;
  first.name = "docs/readme.txt";
  first.data = Pattern(40000, 1);
  TestEntry second;
  second.name = "top.bin";
  second.data = Pattern(1000, 2);
  second.method = 0;
  return {folder, first, second};
}

// ---- Failures before the walk: the table of results and events ----------------------------

struct EarlyFailure {
  const char* what;                                               // the situation
  std::function<std::string(const ScratchFolder&)> makeArchive;   // writes the archive, returns its path
  int32_t result;                                                 // what Unpack returns
};

std::string WriteBytes(const ScratchFolder& scratch, const std::string& bytes) {
  const std::string path = scratch / "input.zip";
  WriteWholeFile(path, bytes);
  return path;
}

const EarlyFailure kEarlyFailures[] = {
    {"archive does not exist", [](const ScratchFolder& s) { return s / "missing.zip"; }, -1},
    {"wrong signature", [](const ScratchFolder& s) { return WriteBytes(s, "MZ" + BuildArchive(ThreeEntries())); }, 0},
    {"empty archive", [](const ScratchFolder& s) { return WriteBytes(s, BuildArchive({})); }, 0},
    {"shorter than 32 bytes", [](const ScratchFolder& s) { return WriteBytes(s, BuildArchive(ThreeEntries()).substr(0, 31)); }, 0},
    {"first entry has an empty name and a small size",
     [](const ScratchFolder& s) {
       TestEntry unnamed;
       unnamed.data = "tiny";
       return WriteBytes(s, BuildArchive({unnamed}));
     }, 0},
    {"no end record", [](const ScratchFolder& s) {
       const std::string whole = BuildArchive(ThreeEntries());
       return WriteBytes(s, whole.substr(0, whole.size() - 22));
     }, 0},
    {"central directory unreadable", [](const ScratchFolder& s) {
       ArchiveLayout layout;
       std::string bytes = BuildArchive(ThreeEntries(), &layout);
       bytes[layout.centralRecords[1]] = 'X';  // the second record's signature
       return WriteBytes(s, bytes);
     }, 0},
};

TEST_F(UnpackTest, EarlyFailuresReportOneEventAtZero) {
  for (const EarlyFailure& failure : kEarlyFailures) {
    SCOPED_TRACE(failure.what);
    runtime_.percentages.clear();
    const std::string target = scratch_ / "out";
    EXPECT_EQ(failure.result, Unpack(failure.makeArchive(scratch_), target));
    EXPECT_EQ(std::vector<int>{0}, runtime_.percentages);
    EXPECT_TRUE(ListTree(target).empty()) << "nothing is extracted";
    RemoveTree(target);
  }
}

TEST_F(UnpackTest, MissingNamesGiveMinusOneWithoutEvents) {
  const std::string archive = WriteArchive(ThreeEntries());
  EXPECT_EQ(-1, CallUnpack(unit_, nullptr, (scratch_ / "out").c_str()));
  EXPECT_EQ(-1, CallUnpack(unit_, archive.c_str(), nullptr));
  EXPECT_EQ(-1, CallUnpack(unit_, "", (scratch_ / "out").c_str()));
  EXPECT_EQ(-1, CallUnpack(unit_, archive.c_str(), ""));
  EXPECT_TRUE(runtime_.events.empty());
  ASSERT_EQ(4u, runtime_.located.size()) << "the unit is fetched first, every time";
  EXPECT_EQ(kWindowId, runtime_.located[0].first);
  EXPECT_EQ(kUnitId, runtime_.located[0].second);
}

TEST_F(UnpackTest, TargetThatCannotBeCreatedFailsAfterOneEvent) {
  const std::string archive = WriteArchive(ThreeEntries());
  ASSERT_TRUE(WriteWholeFile(scratch_ / "plain", "a file, not a folder"));
  EXPECT_EQ(0, Unpack(archive, scratch_ / "plain\\out"));
  EXPECT_EQ(std::vector<int>{0}, runtime_.percentages);
}

TEST_F(UnpackTest, UnreadableArchiveFailsAfterOneEvent) {
  const std::string archive = WriteArchive(ThreeEntries());
  HANDLE held = CreateFileA(archive.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_EQ(0, Unpack(archive, scratch_ / "out"));
  CloseHandle(held);
  EXPECT_EQ(std::vector<int>{0}, runtime_.percentages);
}

// ---- The walk ------------------------------------------------------------------------------

TEST_F(UnpackTest, SuccessReportsEveryEntryThenHundred) {
  const std::vector<TestEntry> entries = ThreeEntries();
  const std::string target = scratch_ / "new\\deeper";
  EXPECT_EQ(1, Unpack(WriteArchive(entries), target));
  EXPECT_EQ((std::vector<int>{0, 33, 66, 100}), runtime_.percentages);
  for (const rt::EventRecord& event : runtime_.events) {
    EXPECT_EQ(kWindowId, event.windowId);
    EXPECT_EQ(kUnitId, event.unitId);
    EXPECT_EQ(1, event.event);
    EXPECT_EQ(1, event.argCount);
  }
  EXPECT_EQ((std::vector<std::string>{"docs\\", "docs\\readme.txt", "top.bin"}), ListTree(target));
  std::string content;
  ASSERT_TRUE(ReadWholeFile(target + "\\docs\\readme.txt", &content));
  EXPECT_EQ(entries[1].data, content);
  ASSERT_TRUE(ReadWholeFile(target + "\\top.bin", &content));
  EXPECT_EQ(entries[2].data, content);
}

TEST_F(UnpackTest, FalseFromTheFirstEventStopsAfterEntryZero) {
  std::vector<TestEntry> entries = ThreeEntries();
  std::swap(entries[0], entries[2]);  // a file first, so that stopping leaves exactly one file
  runtime_.AnswerFalseAt(0);
  const std::string target = scratch_ / "out";
  EXPECT_EQ(1, Unpack(WriteArchive(entries), target));
  EXPECT_EQ(std::vector<int>{0}, runtime_.percentages) << "no closing report after a stop";
  EXPECT_EQ(std::vector<std::string>{"top.bin"}, ListTree(target));
}

TEST_F(UnpackTest, UnitDestroyedByItsEventRoutineGetsNoFurtherEvents) {
  runtime_.DestroyUnitAt(1);
  const std::string target = scratch_ / "out";
  EXPECT_EQ(1, Unpack(WriteArchive(ThreeEntries()), target));
  EXPECT_EQ((std::vector<int>{0, 33}), runtime_.percentages);
  EXPECT_EQ(3u, ListTree(target).size()) << "the unpack itself goes on";
  ASSERT_EQ(1u, runtime_.destroyed.size());
  EXPECT_EQ(kUnitId, runtime_.destroyed[0].second);
  unit_ = nullptr;
}

TEST_F(UnpackTest, WithoutUnitNothingIsRaised) {
  runtime_.Register(nullptr);
  EXPECT_EQ(1, Unpack(WriteArchive(ThreeEntries()), scratch_ / "out"));
  EXPECT_TRUE(runtime_.events.empty());
  EXPECT_EQ(3u, ListTree(scratch_ / "out").size());
}

// Failures in the middle of the walk report the entries so far, then 100, and return 0.
struct WalkFailure {
  const char* what;        // the situation
  TestEntry bad;           // the entry that fails, after two good ones
};

std::vector<WalkFailure> WalkFailures() {
  std::vector<WalkFailure> failures;
  TestEntry orphan;
  orphan.name = "nofolder/file.txt";
  orphan.data = "its folder has no entry";
  failures.push_back({"file whose folder has no entry", orphan});
  TestEntry broken;
  broken.name = "broken.bin";
  broken.data = Pattern(50000, 3);
  broken.centralCrc = 0x12345678;
  broken.flags = 0x0008;  // sizes and CRC live in a data descriptor, so only the data can tell
  failures.push_back({"CRC mismatch", broken});
  TestEntry escaping;
  escaping.name = "../escaped.txt";
  escaping.data = "must not leave the target";
  failures.push_back({"name walks out of the target", escaping});
  TestEntry rooted = escaping;
  rooted.name = "/rooted.txt";
  failures.push_back({"name starts at the root", rooted});
  TestEntry drive = escaping;
  drive.name = "C:evil.txt";
  failures.push_back({"name carries a drive", drive});
  TestEntry stream = escaping;
  stream.name = "ok.txt:hidden";
  failures.push_back({"name carries a stream", stream});
  TestEntry device = escaping;
  device.name = "docs/NUL.txt";
  failures.push_back({"name is a device", device});
  TestEntry shortened;
  shortened.name = "short.bin";
  shortened.data = Pattern(20000, 4);
  shortened.centralSize = 30000;
  shortened.flags = 0x0008;
  failures.push_back({"entry shorter than recorded", shortened});
  return failures;
}

TEST_F(UnpackTest, FailuresDuringTheWalkReportHundredAndReturnZero) {
  for (const WalkFailure& failure : WalkFailures()) {
    SCOPED_TRACE(failure.what);
    runtime_.percentages.clear();
    std::vector<TestEntry> entries = ThreeEntries();
    entries.pop_back();
    entries.push_back(failure.bad);
    const std::string target = scratch_ / "walk\\out";
    EXPECT_EQ(0, Unpack(WriteArchive(entries), target));
    EXPECT_EQ((std::vector<int>{0, 33, 100}), runtime_.percentages);
    EXPECT_FALSE(Exists(scratch_ / "walk\\escaped.txt"));
    RemoveTree(scratch_ / "walk");
  }
}

TEST_F(UnpackTest, FolderEntryThatCannotBeCreatedFails) {
  std::vector<TestEntry> entries = ThreeEntries();
  const std::string target = scratch_ / "out";
  ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
  ASSERT_TRUE(WriteWholeFile(target + "\\docs", "a file where the folder should go"));
  EXPECT_EQ(0, Unpack(WriteArchive(entries), target));
  EXPECT_EQ((std::vector<int>{100}), runtime_.percentages);
}

TEST_F(UnpackTest, ExistingReadOnlyFileIsReplacedAndEveryFileEndsNormal) {
  TestEntry dosReadOnly;
  dosReadOnly.name = "readonly.txt";
  dosReadOnly.data = "new content";
  dosReadOnly.externalAttributes = 0x21;  // DOS read-only
  TestEntry unixReadOnly = dosReadOnly;
  unixReadOnly.name = "unix.txt";
  unixReadOnly.versionMadeBy = 0x031E;
  unixReadOnly.externalAttributes = 0x81240000;  // -r--r--r--
  TestEntry hidden = dosReadOnly;
  hidden.name = "hidden.txt";
  hidden.externalAttributes = 0x27;  // read-only, hidden, system, archive
  const std::string target = scratch_ / "out";
  ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
  ASSERT_TRUE(WriteWholeFile(target + "\\readonly.txt", "old content that is longer"));
  ASSERT_TRUE(SetFileAttributesA((target + "\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

  EXPECT_EQ(1, Unpack(WriteArchive({dosReadOnly, unixReadOnly, hidden}), target));
  for (const char* name : {"readonly.txt", "unix.txt", "hidden.txt"}) {
    SCOPED_TRACE(name);
    const std::string path = target + "\\" + name;
    std::string content;
    ASSERT_TRUE(ReadWholeFile(path, &content));
    EXPECT_EQ("new content", content);
    const DWORD attributes = GetFileAttributesA(path.c_str());
    EXPECT_EQ(0u, attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  }
}

TEST_F(UnpackTest, WriteTimeComesFromTheEntry) {
  TestEntry dosOnly;
  dosOnly.name = "dos.txt";
  dosOnly.data = "x";
  dosOnly.dosDate = static_cast<uint16_t>((2016 - 1980) << 9 | 12 << 5 | 29);
  dosOnly.dosTime = static_cast<uint16_t>(17 << 11 | 8 << 5 | 26);
  TestEntry stamped = dosOnly;
  stamped.name = "stamped.txt";
  stamped.localExtra = ExtendedTimestamp(0x01, {1500000000});  // 2017-07-14 02:40:00 UTC
  const std::string target = scratch_ / "out";
  EXPECT_EQ(1, Unpack(WriteArchive({dosOnly, stamped}), target));

  auto writeTime = [&](const char* name) {
    FILETIME write = {};
    HANDLE file = CreateFileA((target + "\\" + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileTime(file, nullptr, nullptr, &write);
    CloseHandle(file);
    SYSTEMTIME time = {};
    FileTimeToSystemTime(&write, &time);
    return time;
  };
  const SYSTEMTIME dos = writeTime("dos.txt");
  EXPECT_EQ(2016, dos.wYear);
  EXPECT_EQ(12, dos.wMonth);
  EXPECT_EQ(29, dos.wDay);
  EXPECT_EQ(17, dos.wHour) << "the DOS time is taken as it stands, without a zone shift";
  EXPECT_EQ(8, dos.wMinute);
  EXPECT_EQ(52, dos.wSecond);
  const SYSTEMTIME unix = writeTime("stamped.txt");
  EXPECT_EQ(2017, unix.wYear);
  EXPECT_EQ(7, unix.wMonth);
  EXPECT_EQ(14, unix.wDay);
  EXPECT_EQ(2, unix.wHour);
  EXPECT_EQ(40, unix.wMinute);
}

// ---- Paths -----------------------------------------------------------------------------------

std::vector<std::string> PathsReported(const std::string& archive, const std::string& folder) {
  static std::vector<std::string>* paths;
  std::vector<std::string> collected;
  paths = &collected;
  ziplib::ZipUnpacker worker;
  worker.SetProgressCallback([](int32_t current, int32_t total, const char* path, ziplib::ZipUnpacker*) {
    if (current < total) paths->push_back(path);
  });
  EXPECT_EQ(1, worker.Run(archive.c_str(), folder.c_str()));
  return collected;
}

TEST_F(UnpackTest, TargetWithAndWithoutTrailingSeparatorGivesTheSamePaths) {
  const std::string archive = WriteArchive(ThreeEntries());
  const std::vector<std::string> plain = PathsReported(archive, scratch_ / "out");
  const std::vector<std::string> slashed = PathsReported(archive, scratch_ / "out\\");
  EXPECT_EQ(plain, slashed);
  ASSERT_EQ(3u, plain.size());
  EXPECT_EQ(scratch_ / "out\\docs\\readme.txt", plain[1]);
}

TEST_F(UnpackTest, GbkTrailByteBackslashIsNotASeparator) {
  // "乗" is 81 5C in GBK: its trail byte is the code of "\".
  const std::string folder = scratch_ / "目录乗";
  TestEntry inner;
  inner.name = "表乗/数据.txt";
  inner.data = "inside";
  TestEntry innerFolder;
  innerFolder.name = "表乗/";
  innerFolder.method = 0;
  innerFolder.externalAttributes = 0x10;
  const std::string archive = WriteArchive({innerFolder, inner});
  const std::vector<std::string> paths = PathsReported(archive, folder);
  ASSERT_EQ(2u, paths.size());
  EXPECT_EQ(folder + "\\表乗\\数据.txt", paths[1]);
  std::string content;
  EXPECT_TRUE(ReadWholeFile(folder + "\\表乗\\数据.txt", &content));
  EXPECT_EQ("inside", content);
  EXPECT_FALSE(Exists(scratch_ / "目录乗表乗")) << "the folder name was not taken as ending in a separator";
}

// Names flagged UTF-8 land under the same characters in the system's code page (GBK here); a
// name the code page cannot hold, or that is not UTF-8 at all, fails the unpack before any entry.
TEST_F(UnpackTest, NamesFlaggedUtf8LandInTheCodePage) {
  TestEntry folder;
  folder.name = u8"程序/";
  folder.method = 0;
  folder.flags = 0x0800;
  folder.externalAttributes = 0x10;
  TestEntry file;
  file.name = u8"程序/说明.txt";
  file.data = "utf-8";
  file.flags = 0x0800;
  TestEntry gbk;
  gbk.name = "程序/旧.txt";  // unflagged: GBK bytes as stored
  gbk.data = "gbk";
  const std::string target = scratch_ / "out";
  ASSERT_EQ(1, Unpack(WriteArchive({folder, file, gbk}), target));
  std::string content;
  EXPECT_TRUE(ReadWholeFile(target + "\\程序\\说明.txt", &content));
  EXPECT_EQ("utf-8", content);
  EXPECT_TRUE(ReadWholeFile(target + "\\程序\\旧.txt", &content));
  EXPECT_EQ("gbk", content);
  EXPECT_EQ(3u, ListTree(target).size());

  for (const std::string& bad : {std::string(u8"\U0001F600.txt"), std::string("\xFF\xFE.txt")}) {
    TestEntry first;
    first.name = "first.txt";
    first.data = "first";
    TestEntry named;
    named.name = bad;
    named.data = "x";
    named.flags = 0x0800;
    const std::string refused = scratch_ / "refused";
    EXPECT_EQ(0, Unpack(WriteArchive({first, named}, "bad.zip"), refused));
    EXPECT_FALSE(Exists(refused + "\\first.txt")) << "the names are read before anything is written";
  }
}

// ---- The default product, small size -------------------------------------------------------

TEST_F(UnpackTest, SmallProductReportsTheWholePercentageSequence) {
  const std::string archive = TestDataFolder() + "product-small.zip";
  ASSERT_TRUE(Exists(archive)) << archive;
  const std::string target = scratch_ / "Veltaro\\会计从业资格";
  EXPECT_EQ(1, Unpack(archive, target));
  const std::vector<int>& seen = runtime_.percentages;
  ASSERT_EQ(214u, seen.size()) << "213 entries and the closing report";
  EXPECT_EQ((std::vector<int>{0, 0, 0, 1}), std::vector<int>(seen.begin(), seen.begin() + 4));
  EXPECT_EQ(99, seen[212]) << "the last entry";
  EXPECT_EQ(100, seen[213]);
  for (size_t i = 1; i < seen.size(); ++i) EXPECT_LE(seen[i - 1], seen[i]);
  EXPECT_TRUE(Exists(target + "\\会计从业资格.exe"));
  EXPECT_TRUE(Exists(target + "\\Uninstall.exe"));
  EXPECT_TRUE(IsFolder(target + "\\模拟考试"));
  EXPECT_EQ(213u, ListTree(target).size());
}

}  // namespace
}  // namespace ziptest
