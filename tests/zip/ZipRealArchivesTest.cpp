// Archives that no one here wrote, unpacked and compared file by file with what unzip made of
// them; and damaged archives, which must never crash and never report success.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/zip/ZipTestSupport.h"

namespace ziptest {
namespace {

std::string FixturesFolder() { return TestDataFolder() + "fixtures\\"; }

struct Fixture {
  std::string name;      // archive file name under fixtures\archives
  bool sameAsUnzip;      // else Unpack must fail (a file without its folder entry)
};

std::vector<Fixture> ReadFixtureList() {
  std::string listing;
  if (!ReadWholeFile(FixturesFolder() + "archives.txt", &listing)) return {};
  std::istringstream lines(listing);
  std::vector<Fixture> fixtures;
  std::string name, verdict;
  while (lines >> name >> verdict) fixtures.push_back({name, verdict == "same"});
  return fixtures;
}

void ExpectSameTrees(const std::string& expected, const std::string& actual) {
  const std::vector<std::string> names = ListTree(expected);
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names, ListTree(actual));
  for (const std::string& name : names) {
    if (name.back() == '\\') continue;
    std::string want, got;
    ASSERT_TRUE(ReadWholeFile(expected + "\\" + name, &want)) << name;
    ASSERT_TRUE(ReadWholeFile(actual + "\\" + name, &got)) << name;
    EXPECT_TRUE(want == got) << name << ": " << want.size() << " bytes expected, " << got.size() << " unpacked";
  }
}

class RealArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override { runtime_.Register(nullptr); }
  TestRuntime runtime_;
  ScratchFolder scratch_;
};

TEST_F(RealArchiveTest, UnpacksLikeUnzip) {
  const std::vector<Fixture> fixtures = ReadFixtureList();
  ASSERT_GE(fixtures.size(), 7u) << "six archives made at build time and at least one that Debian ships";
  for (const Fixture& fixture : fixtures) {
    SCOPED_TRACE(fixture.name);
    const std::string target = scratch_ / fixture.name;
    const int32_t result = CallUnpack(nullptr, (FixturesFolder() + "archives\\" + fixture.name).c_str(), target.c_str());
    if (!fixture.sameAsUnzip) {
      EXPECT_EQ(0, result);
      continue;
    }
    EXPECT_EQ(1, result);
    ExpectSameTrees(FixturesFolder() + "expected\\" + fixture.name, target);
  }
}

// ---- Damaged archives ----------------------------------------------------------------------

uint32_t Read32(const std::string& bytes, size_t at) {
  uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}
uint16_t Read16(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
}

// Offsets of the fields that tie an archive together, in an archive without a comment.
struct Landmarks {
  std::vector<size_t> centralRecords;  // each central record
  std::vector<size_t> localHeaders;    // each local header
  std::vector<size_t> dataStarts;      // each entry's data
  std::vector<uint32_t> packedSizes;   // each entry's packed size
};

Landmarks FindLandmarks(const std::string& archive) {
  Landmarks marks;
  const size_t end = archive.size() - 22;
  size_t at = Read32(archive, end + 16);
  const uint16_t count = Read16(archive, end + 10);
  for (uint16_t i = 0; i < count; ++i) {
    marks.centralRecords.push_back(at);
    const size_t local = Read32(archive, at + 42);
    marks.localHeaders.push_back(local);
    marks.dataStarts.push_back(local + 30 + Read16(archive, local + 26) + Read16(archive, local + 28));
    marks.packedSizes.push_back(Read32(archive, at + 20));
    at += 46 + Read16(archive, at + 28) + Read16(archive, at + 30) + Read16(archive, at + 32);
  }
  return marks;
}

class DamagedArchiveTest : public RealArchiveTest {
 protected:
  void SetUp() override {
    RealArchiveTest::SetUp();
    ASSERT_TRUE(ReadWholeFile(FixturesFolder() + "archives\\product-small.zip", &original_));
    marks_ = FindLandmarks(original_);
    ASSERT_EQ(213u, marks_.centralRecords.size());
  }
  // Unpacks a damaged copy into a fresh folder; the result must not be success. Every file that
  // was written holds exactly its entry's bytes, except the one whose entry failed, which holds
  // none: nothing that is not in the archive reaches a file.
  void ExpectFailure(const std::string& damaged, const std::string& what) {
    SCOPED_TRACE(what);
    const std::string archive = scratch_ / "damaged.zip";
    ASSERT_TRUE(WriteWholeFile(archive, damaged));
    const std::string target = scratch_ / "out";
    EXPECT_EQ(0, CallUnpack(nullptr, archive.c_str(), target.c_str()));
    int emptied = 0;
    for (const std::string& name : ListTree(target)) {
      if (name.back() == '\\') continue;
      std::string want, got;
      ASSERT_TRUE(ReadWholeFile(FixturesFolder() + "expected\\product-small.zip\\" + name, &want)) << name;
      ASSERT_TRUE(ReadWholeFile(target + "\\" + name, &got)) << name;
      if (got.empty() && !want.empty()) {
        ++emptied;
        continue;
      }
      EXPECT_TRUE(want == got) << name << ": " << got.size() << " bytes of " << want.size();
    }
    EXPECT_LE(emptied, 1) << "only the entry that failed is left empty";
    RemoveTree(target);
  }
  // Bit 0 is always in use: deflate fills each byte from its lowest bit, so the padding after
  // a stream's last code sits in the high bits of its last byte.
  std::string Flipped(size_t at, uint8_t mask = 0x01) const {
    std::string damaged = original_;
    damaged[at] = static_cast<char>(damaged[at] ^ mask);
    return damaged;
  }
  std::string original_;
  Landmarks marks_;
};

TEST_F(DamagedArchiveTest, TruncatedArchivesFail) {
  // (Cutting only the comment length off the end record leaves every entry intact; that is
  // not counted as damage.)
  for (size_t keep : {original_.size() / 2, original_.size() - 30, original_.size() - 22, original_.size() - 8,
                      static_cast<size_t>(marks_.centralRecords[100])}) {
    ExpectFailure(original_.substr(0, keep), "kept " + std::to_string(keep) + " bytes");
  }
}

TEST_F(DamagedArchiveTest, FlippedDataFails) {
  for (size_t entry : {1u, 49u, 100u, 150u, 212u}) {  // deflated modules, database, programs
    ASSERT_GT(marks_.packedSizes[entry], 4u);
    // Not the last bytes, and not the first byte's bit 0 (the last-block flag): an entry ends
    // with its recorded size, so damage after its last data byte goes unread and the data is
    // intact.
    for (size_t offset : {size_t{0}, marks_.packedSizes[entry] / 4, marks_.packedSizes[entry] / 2}) {
      ExpectFailure(Flipped(marks_.dataStarts[entry] + offset, 0x02), "entry " + std::to_string(entry) + " data byte " + std::to_string(offset));
    }
  }
  // The stored RAR file: only its CRC can tell.
  ExpectFailure(Flipped(marks_.dataStarts[50] + 100), "stored entry");
}

// Fields of a central record that another part of the archive checks (version, times and
// attributes are not among them: damage there is indistinguishable from a different archive).
TEST_F(DamagedArchiveTest, FlippedCentralRecordsFail) {
  const struct { size_t offset; const char* field; } fields[] = {
      {0, "signature"}, {10, "method"}, {16, "CRC"}, {20, "packed size"}, {24, "size"},
      {28, "name length"}, {42, "local header offset"}, {46, "first name byte"}, {47, "second name byte"},
  };
  for (size_t entry : {0u, 56u, 212u}) {
    for (const auto& field : fields) {
      ExpectFailure(Flipped(marks_.centralRecords[entry] + field.offset),
                    "entry " + std::to_string(entry) + " central " + field.field);
    }
  }
}

TEST_F(DamagedArchiveTest, FlippedLocalHeadersFail) {
  const struct { size_t offset; const char* field; } fields[] = {
      {0, "signature"}, {8, "method"}, {14, "CRC"}, {18, "packed size"}, {22, "size"},
      {26, "name length"}, {30, "first name byte"},
  };
  for (size_t entry : {0u, 100u, 212u}) {
    for (const auto& field : fields) {
      ExpectFailure(Flipped(marks_.localHeaders[entry] + field.offset),
                    "entry " + std::to_string(entry) + " local " + field.field);
    }
  }
}

}  // namespace
}  // namespace ziptest
