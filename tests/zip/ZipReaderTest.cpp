// ZipReader: entry records (attributes, times, names), result codes, extraction checks.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "services/zip/ZipReader.h"
#include "tests/zip/ZipTestSupport.h"

namespace ziptest {
namespace {

using ziplib::ZipEntryInfo;
using ziplib::ZipReader;

class ReaderTest : public ::testing::Test {
 protected:
  std::string Write(const std::vector<TestEntry>& entries, const std::string& name = "r.zip") {
    const std::string path = scratch_ / name;
    EXPECT_TRUE(WriteWholeFile(path, BuildArchive(entries)));
    return path;
  }
  ZipEntryInfo Entry(ZipReader& reader, int32_t index) {
    ZipEntryInfo info = {};
    EXPECT_EQ(ziplib::kZipOk, reader.GetEntry(index, &info));
    return info;
  }
  ScratchFolder scratch_;
};

SYSTEMTIME AsSystemTime(const FILETIME& time) {
  SYSTEMTIME system = {};
  FileTimeToSystemTime(&time, &system);
  return system;
}

FILETIME FromSystemTime(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME system = {year, month, 0, day, hour, minute, second, 0};
  FILETIME time = {};
  SystemTimeToFileTime(&system, &time);
  return time;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// External attributes and what the entry gets on disk.
struct AttributeCase {
  const char* name;       // entry name
  uint32_t external;      // stored external attributes
  uint32_t expected;      // derived Windows attributes
};

const AttributeCase kAttributeCases[] = {
    {"dos-plain", 0x00000000, 0x81},          // DOS host: upper half zero, so read-only
    {"dos-archive", 0x00000020, 0xA1},
    {"dos-hidden-system", 0x00000026, 0xA7},
    {"dos-folder/", 0x00000010, 0x91},
    {"dos-system-folder/", 0x00000034, 0xB5},
    {"unix-rw", 0x81A40000, 0x80},            // -rw-r--r--
    {"unix-ro", 0x81240000, 0x81},            // -r--r--r--
    {"unix-rw-dos-ro", 0x81A40001, 0x81},     // DOS read-only wins
    {"unix-folder/", 0x41ED0000, 0x90},       // drwxr-xr-x
    {"jar-folder/", 0x00000000, 0x91},        // marked by its trailing "/" only
    {"unix-folder-noslash", 0x41ED0010, 0x90},
};

TEST_F(ReaderTest, AttributesFollowTheExternalAttributes) {
  std::vector<TestEntry> entries;
  for (const AttributeCase& c : kAttributeCases) {
    TestEntry entry;
    entry.name = c.name;
    entry.externalAttributes = c.external;
    entries.push_back(entry);
  }
  ZipReader reader;
  ASSERT_EQ(ziplib::kZipOk, reader.Open(Write(entries).c_str()));
  for (int32_t i = 0; i < static_cast<int32_t>(entries.size()); ++i) {
    SCOPED_TRACE(kAttributeCases[i].name);
    EXPECT_EQ(kAttributeCases[i].expected, Entry(reader, i).attributes);
  }
}

TEST_F(ReaderTest, TimesComeFromDosFieldsUnlessAnExtendedTimestampSaysOtherwise) {
  const uint32_t t2001 = 1000000000;  // 2001-09-09 01:46:40 UTC
  const uint32_t t2004 = 1100000000;  // 2004-11-09 11:33:20 UTC
  const uint32_t t2007 = 1200000000;  // 2008-01-10 21:20:00 UTC
  struct TimeCase {
    const char* what;
    std::string extra;        // local extra field
    int write, access, creation;  // expected: 0 DOS, else the Unix time number 1, 2, 3
  } cases[] = {
      {"no extra field", "", 0, 0, 0},
      {"write time only", ExtendedTimestamp(0x01, {t2001}), 1, 0, 0},
      {"access time only", ExtendedTimestamp(0x02, {t2004}), 0, 2, 0},
      {"all three", ExtendedTimestamp(0x07, {t2001, t2004, t2007}), 1, 2, 3},
      {"after another block", ExtraBlock(0x000A, std::string(32, '\0')) + ExtendedTimestamp(0x01, {t2001}), 1, 0, 0},
      {"first of two", ExtendedTimestamp(0x01, {t2001}) + ExtendedTimestamp(0x01, {t2004}), 1, 0, 0},
      {"flags promise more than the block holds", ExtendedTimestamp(0x07, {t2001}) + ExtraBlock(0x7875, std::string(11, '\x01')), 1, 0, 0},
      {"time cut by the end of the field", ExtendedTimestamp(0x03, {t2001}).substr(0, 7), 0, 0, 0},
      {"fewer than five bytes left", ExtraBlock(0x0001, "") , 0, 0, 0},
  };
  std::vector<TestEntry> entries;
  for (const TimeCase& c : cases) {
    TestEntry entry;
    entry.name = c.what;
    entry.localExtra = c.extra;
    entry.dosDate = static_cast<uint16_t>((2015 - 1980) << 9 | 3 << 5 | 13);
    entry.dosTime = static_cast<uint16_t>(9 << 11 | 30 << 5 | 5);
    entries.push_back(entry);
  }
  const FILETIME dos = FromSystemTime(2015, 3, 13, 9, 30, 10);
  const FILETIME unix[] = {dos, FromSystemTime(2001, 9, 9, 1, 46, 40), FromSystemTime(2004, 11, 9, 11, 33, 20),
                           FromSystemTime(2008, 1, 10, 21, 20, 0)};
  ZipReader reader;
  ASSERT_EQ(ziplib::kZipOk, reader.Open(Write(entries).c_str()));
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    SCOPED_TRACE(cases[i].what);
    const ZipEntryInfo info = Entry(reader, static_cast<int32_t>(i));
    EXPECT_TRUE(SameTime(unix[cases[i].write], info.writeTime)) << AsSystemTime(info.writeTime).wYear;
    EXPECT_TRUE(SameTime(unix[cases[i].access], info.accessTime)) << AsSystemTime(info.accessTime).wYear;
    EXPECT_TRUE(SameTime(unix[cases[i].creation], info.creationTime)) << AsSystemTime(info.creationTime).wYear;
  }
}

TEST_F(ReaderTest, EntryRecordsNamesSizesAndCount) {
  TestEntry longName;
  longName.name = std::string(300, 'n');
  longName.data = Pattern(5000, 7);
  TestEntry gbk;
  gbk.name = "会计从业资格.exe";
  gbk.data = "x";
  gbk.method = 0;
  ZipReader reader;
  ASSERT_EQ(ziplib::kZipOk, reader.Open(Write({longName, gbk}).c_str()));
  ZipEntryInfo count = {};
  ASSERT_EQ(ziplib::kZipOk, reader.GetEntry(-1, &count));
  EXPECT_EQ(2, count.index);
  EXPECT_STREQ("", count.name);
  EXPECT_EQ(0u, count.uncompressedSize);

  const ZipEntryInfo first = Entry(reader, 0);
  EXPECT_EQ(std::string(259, 'n'), first.name) << "a longer name is cut to 259 bytes";
  EXPECT_EQ(5000u, first.uncompressedSize);
  EXPECT_EQ(Deflate(longName.data).size(), first.compressedSize);
  const ZipEntryInfo second = Entry(reader, 1);
  EXPECT_STREQ("会计从业资格.exe", second.name) << "bytes as stored";
  EXPECT_EQ(1, second.index);
  EXPECT_EQ(0, Entry(reader, 0).index) << "going back to an earlier entry";
}

TEST_F(ReaderTest, ResultCodes) {
  const std::string archive = Write({TestEntry{"a.txt", "a"}});
  ZipReader reader;
  ZipEntryInfo info = {};
  EXPECT_EQ(ziplib::kZipNotOpen, reader.GetEntry(0, &info));
  EXPECT_EQ(ziplib::kZipNotOpen, reader.ExtractEntry(0, (scratch_ / "x").c_str()));
  EXPECT_EQ(ziplib::kZipNotOpen, reader.Close());
  EXPECT_EQ(ziplib::kZipCannotOpen, reader.Open((scratch_ / "missing.zip").c_str()));
  EXPECT_EQ(ziplib::kZipOk, reader.Open(archive.c_str()));
  EXPECT_EQ(ziplib::kZipAlreadyOpen, reader.Open(archive.c_str()));
  EXPECT_EQ(ziplib::kZipBadArgument, reader.GetEntry(1, &info));
  EXPECT_EQ(ziplib::kZipBadArgument, reader.GetEntry(-2, &info));
  EXPECT_EQ(ziplib::kZipBadArgument, reader.ExtractEntry(-1, (scratch_ / "x").c_str()));
  EXPECT_EQ(ziplib::kZipBadArgument, reader.ExtractEntry(1, (scratch_ / "x").c_str()));
  EXPECT_EQ(ziplib::kZipCannotOpen, reader.ExtractEntry(0, (scratch_ / std::string(300, 'p')).c_str()));
  EXPECT_EQ(ziplib::kZipOk, reader.Close());

  // A file that is not a ZIP archive cannot be opened as one.
  ASSERT_TRUE(WriteWholeFile(scratch_ / "text.zip", std::string(3000, 't')));
  EXPECT_EQ(ziplib::kZipCannotOpen, reader.Open((scratch_ / "text.zip").c_str()));
}

TEST_F(ReaderTest, ArchiveIsSharedForReadingOnly) {
  const std::string archive = Write({TestEntry{"a.txt", "a"}});
  ZipReader first, second;
  ASSERT_EQ(ziplib::kZipOk, first.Open(archive.c_str()));
  EXPECT_EQ(ziplib::kZipOk, second.Open(archive.c_str())) << "other readers may open it";
  HANDLE writer = CreateFileA(archive.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(INVALID_HANDLE_VALUE, writer) << "nobody may write it meanwhile";
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

TEST_F(ReaderTest, LocalHeaderMustAgreeWithTheCentralRecord) {
  TestEntry good{"good.txt", "good"};
  TestEntry renamed{"name.txt", "data"};
  renamed.localName = "nama.txt";
  TestEntry otherMethod{"method.txt", "data"};
  otherMethod.localMethod = 0;
  TestEntry otherCrc{"crc.txt", "data"};
  otherCrc.centralCrc = 1;
  TestEntry unknownMethod{"lzma.txt", "data"};
  unknownMethod.method = 14;
  ZipReader reader;
  ASSERT_EQ(ziplib::kZipOk, reader.Open(Write({good, renamed, otherMethod, otherCrc, unknownMethod}).c_str()));
  ZipEntryInfo info = {};
  EXPECT_EQ(ziplib::kZipOk, reader.GetEntry(0, &info));
  for (int32_t i = 1; i <= 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(ziplib::kZipHeaderMismatch, reader.GetEntry(i, &info));
    EXPECT_EQ(ziplib::kZipHeaderMismatch, reader.ExtractEntry(i, (scratch_ / "out.txt").c_str()));
  }
  EXPECT_EQ(ziplib::kZipOk, reader.GetEntry(0, &info)) << "the reader recovers from a bad record";
}

TEST_F(ReaderTest, ExtractionChecksDataSizeAndCrc) {
  TestEntry deflated{"deflated.bin", Pattern(100000, 11)};  // several 16,384-byte pieces
  TestEntry stored{"stored.bin", Pattern(40000, 12)};
  stored.method = 0;
  TestEntry empty{"empty.txt", ""};
  TestEntry badCrc{"badcrc.bin", Pattern(30000, 13)};
  badCrc.flags = 0x0008;
  badCrc.centralCrc = 0xDEADBEEF;
  TestEntry badStoredCrc = badCrc;
  badStoredCrc.name = "badstored.bin";
  badStoredCrc.method = 0;
  TestEntry encrypted{"secret.bin", "not really encrypted"};
  encrypted.flags = 0x0001;
  TestEntry bzip2{"bzip2.bin", "raw bytes"};
  bzip2.method = 12;
  TestEntry tooLong{"long.bin", Pattern(10000, 14)};
  tooLong.flags = 0x0008;
  tooLong.centralSize = 9000;
  ZipReader reader;
  ASSERT_EQ(ziplib::kZipOk,
            reader.Open(Write({deflated, stored, empty, badCrc, badStoredCrc, encrypted, bzip2, tooLong}).c_str()));
  const std::vector<TestEntry> good = {deflated, stored, empty};
  for (int32_t i = 0; i < 3; ++i) {
    const std::string target = scratch_ / good[i].name;
    ASSERT_EQ(ziplib::kZipOk, reader.ExtractEntry(i, target.c_str()));
    std::string content;
    ASSERT_TRUE(ReadWholeFile(target, &content));
    EXPECT_EQ(good[i].data, content) << good[i].name;
  }
  for (int32_t i = 3; i < 8; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(ziplib::kZipCannotExtract, reader.ExtractEntry(i, (scratch_ / "bad.bin").c_str()));
  }
}

// Once every entry has been read (as the count before an unpack does), extracting an entry sets
// a helper inflating later ones in the background. Whatever order the entries are asked for in,
// each file must get its own bytes, and a damaged entry must fail whether or not it was inflated
// ahead.
TEST_F(ReaderTest, ExtractionInAnyOrderGivesEachEntryItsOwnBytes) {
  std::vector<TestEntry> entries;
  for (int i = 0; i < 6; ++i) entries.push_back({"small" + std::to_string(i) + ".bin", Pattern(70000 + 9000 * i, 20 + i)});
  entries[2].method = 0;                                           // stored
  entries[4].data = Pattern(ziplib::EntryPrefetcher::kMaxEntrySize + 1, 30);  // too large to be held
  TestEntry damaged{"damaged.bin", Pattern(60000, 31)};
  damaged.flags = 0x0008;
  damaged.centralCrc = 0x0BADC0DE;
  entries.push_back(damaged);
  entries.push_back({"last.bin", Pattern(50000, 32)});
  ZipReader reader;
  ASSERT_EQ(ziplib::kZipOk, reader.Open(Write(entries).c_str()));
  const int32_t count = static_cast<int32_t>(entries.size());
  for (int32_t i = 0; i < count; ++i) Entry(reader, i);

  const int32_t damagedIndex = count - 2;
  const std::vector<int32_t> orders[] = {{0, 1, 2, 3, 4, 5, 6, 7}, {0, 3, 1, 1, 5, 4, 7, 6, 0, 2}, {5, 6, 7, 5, 0}};
  for (const std::vector<int32_t>& order : orders) {
    for (const int32_t i : order) {
      SCOPED_TRACE(i);
      const std::string target = scratch_ / "out.bin";
      if (i == damagedIndex) {
        EXPECT_EQ(ziplib::kZipCannotExtract, reader.ExtractEntry(i, target.c_str()));
        continue;
      }
      ASSERT_EQ(ziplib::kZipOk, reader.ExtractEntry(i, target.c_str()));
      std::string content;
      ASSERT_TRUE(ReadWholeFile(target, &content));
      EXPECT_TRUE(content == entries[static_cast<size_t>(i)].data) << entries[static_cast<size_t>(i)].name;
    }
  }
  EXPECT_EQ(ziplib::kZipOk, reader.Close()) << "closing stops the helper, busy or not";
}

// A move that fails leaves minizip on no entry: the record described before must not be taken
// for the current one, or extracting it would read another entry's data, or none.
TEST_F(ReaderTest, FailedMoveLeavesNoStaleEntryBehind) {
  std::vector<TestEntry> entries = {{"one.bin", Pattern(20000, 40)}, {"two.bin", Pattern(30000, 41)},
                                    {"three.bin", Pattern(100, 42)}};
  ArchiveLayout layout;
  std::string bytes = BuildArchive(entries, &layout);
  bytes[layout.centralRecords[2]] = 'X';  // the third record's signature
  const std::string archive = scratch_ / "moved.zip";
  ASSERT_TRUE(WriteWholeFile(archive, bytes));
  ZipReader reader;
  ASSERT_EQ(ziplib::kZipOk, reader.Open(archive.c_str()));
  Entry(reader, 1);
  ZipEntryInfo info = {};
  EXPECT_EQ(ziplib::kZipHeaderMismatch, reader.GetEntry(2, &info));
  const std::string target = scratch_ / "two.bin";
  ASSERT_EQ(ziplib::kZipOk, reader.ExtractEntry(1, target.c_str())) << "the entry described last, after a failed move";
  std::string content;
  ASSERT_TRUE(ReadWholeFile(target, &content));
  EXPECT_TRUE(content == entries[1].data);
  EXPECT_STREQ("two.bin", Entry(reader, 1).name);
}

// Damaged entries of each kind and of each size class (held in memory and inflated at once, or
// too large for that), with the archive mapped and read: every one fails, and leaves a new file
// empty and a file that was there as it was, so that no file ever holds a byte that the archive
// does not have in that place. The good entry between them comes out whole, whatever failed
// before it.
class DamagedEntryTest : public ReaderTest, public ::testing::WithParamInterface<ziplib::ArchiveAccess> {
 protected:
  // Extracts every entry of `entries` from an archive of them damaged by `damage`, by turns over
  // an earlier file and into a new one: the good ones must come out whole, the others fail.
  void ExpectOnlyGoodEntries(const std::vector<TestEntry>& entries, const std::vector<bool>& good,
                             const std::function<void(std::string&, const ArchiveLayout&)>& damage) {
    ArchiveLayout layout;
    std::string bytes = BuildArchive(entries, &layout);
    damage(bytes, layout);
    const std::string archive = scratch_ / "damaged.zip";
    ASSERT_TRUE(WriteWholeFile(archive, bytes));
    ZipReader reader(GetParam());
    ASSERT_EQ(ziplib::kZipOk, reader.Open(archive.c_str()));
    for (int32_t i = 0; i < static_cast<int32_t>(entries.size()); ++i) {
      SCOPED_TRACE(entries[static_cast<size_t>(i)].name);
      const bool overEarlier = i % 2 == 0;
      const std::string target = scratch_ / (overEarlier ? "out.bin" : "new-" + std::to_string(i) + ".bin");
      if (overEarlier) {
        ASSERT_TRUE(WriteWholeFile(target, "old content"));
      }
      const uint32_t result = reader.ExtractEntry(i, target.c_str());
      std::string content;
      ASSERT_TRUE(ReadWholeFile(target, &content));
      if (good[static_cast<size_t>(i)]) {
        EXPECT_EQ(ziplib::kZipOk, result);
        EXPECT_TRUE(content == entries[static_cast<size_t>(i)].data) << content.size() << " bytes";
      } else {
        EXPECT_EQ(ziplib::kZipCannotExtract, result);
        EXPECT_EQ(overEarlier ? "old content" : "", content) << "a failed entry adds nothing to its file";
      }
      EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((target + ".unpack~").c_str())) << "nothing beside it";
    }
  }
};

TEST_P(DamagedEntryTest, TruncatedEntriesFailAndLeaveTheirFilesEmpty) {
  const std::string small = Pattern(3000, 50);
  const std::string packed = Deflate(small);
  // Every cut of a small stream, a spread of cuts of one with many blocks, a cut stored entry,
  // and a streamed one.
  std::vector<TestEntry> entries;
  for (size_t keep = 0; keep < packed.size(); ++keep) {
    entries.push_back({"small-" + std::to_string(keep), small});
    entries.back().packedLength = static_cast<int64_t>(keep);
  }
  const std::string large = Pattern(400000, 51);
  for (size_t keep : {size_t{1}, size_t{4000}, size_t{70000}, Deflate(large).size() - 1}) {
    entries.push_back({"large-" + std::to_string(keep), large});
    entries.back().packedLength = static_cast<int64_t>(keep);
  }
  entries.push_back({"whole", Pattern(50000, 52)});
  entries.push_back({"stored", Pattern(20000, 53)});
  entries.back().method = 0;
  entries.back().packedLength = 19999;
  std::vector<bool> good(entries.size(), false);
  good[entries.size() - 2] = true;
  ExpectOnlyGoodEntries(entries, good, [](std::string&, const ArchiveLayout&) {});
}

TEST_P(DamagedEntryTest, FlippedDataFailsAndLeavesTheFileEmpty) {
  std::vector<TestEntry> entries;
  std::vector<size_t> flips;  // offset into each entry's data; the last byte's unused bits are left alone
  for (size_t offset : {size_t{0}, size_t{500}, size_t{2000}}) {
    entries.push_back({"deflated-" + std::to_string(offset), Pattern(300000, 60)});
    flips.push_back(offset);
  }
  entries.push_back({"stored", Pattern(5000, 61)});
  entries.back().method = 0;
  flips.push_back(4999);
  entries.push_back({"whole", Pattern(7000, 62)});
  flips.push_back(SIZE_MAX);
  std::vector<bool> good(entries.size(), false);
  good.back() = true;
  ExpectOnlyGoodEntries(entries, good, [&](std::string& bytes, const ArchiveLayout& layout) {
    for (size_t i = 0; i < flips.size(); ++i)
      if (flips[i] != SIZE_MAX) bytes[layout.dataStarts[i] + flips[i]] ^= 0x02;
  });
}

// Entries too large to hold in memory are inflated into their mapped file when the archive is
// mapped, and stream through zlib in pieces when it is read: whole when good, and, when damaged,
// emptied again after the bytes before the damage were written.
TEST_P(DamagedEntryTest, EntriesTooLargeToHoldComeOutWholeOrEmpty) {
  const std::string huge = Pattern(ziplib::EntryPrefetcher::kMaxEntrySize + 123, 70);
  const size_t half = Deflate(huge).size() / 2;  // well after the first pieces
  std::vector<TestEntry> entries = {{"huge", huge}, {"huge-cut", huge}, {"huge-flipped", huge}};
  entries[1].packedLength = static_cast<int64_t>(half);
  ExpectOnlyGoodEntries(entries, {true, false, false}, [&](std::string& bytes, const ArchiveLayout& layout) {
    bytes[layout.dataStarts[2] + half] ^= 0x02;
  });
}

INSTANTIATE_TEST_SUITE_P(Access, DamagedEntryTest,
                         ::testing::Values(ziplib::ArchiveAccess::kMapWhenLocal, ziplib::ArchiveAccess::kRead),
                         [](const ::testing::TestParamInfo<ziplib::ArchiveAccess>& info) {
                           return info.param == ziplib::ArchiveAccess::kRead ? std::string("Read") : std::string("Mapped");
                         });

TEST_F(ReaderTest, RelativeTargetsGetTheirFoldersUnderTheCurrentFolder) {
  TestEntry file{"a.txt", "relative"};
  TestEntry folder{"made/by/entry/", ""};
  folder.method = 0;
  folder.externalAttributes = 0x10;
  const std::string archive = Write({file, folder});
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(scratch_.Path().c_str()));
  ZipReader reader;
  ASSERT_EQ(ziplib::kZipOk, reader.Open(archive.c_str()));
  EXPECT_EQ(ziplib::kZipOk, reader.ExtractEntry(0, "sub/dir\\a.txt"));
  EXPECT_EQ(ziplib::kZipOk, reader.ExtractEntry(1, "ignored for folders"));
  EXPECT_NE(ziplib::kZipOk, reader.ExtractEntry(0, "..\\up\\a.txt")) << "no folders are made outside";
  reader.Close();
  SetCurrentDirectoryA(previous);
  std::string content;
  EXPECT_TRUE(ReadWholeFile(scratch_ / "sub\\dir\\a.txt", &content));
  EXPECT_EQ("relative", content);
  EXPECT_TRUE(IsFolder(scratch_ / "made\\by\\entry"));
}

}  // namespace
}  // namespace ziptest
