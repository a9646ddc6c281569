// The installer's own program image, linked here as it is linked into the installer: the header,
// the eight libraries in table order with their records, the positions of the types the window
// uses, the command arrays, the declared functions, and the order of the image's parts and of
// the constant pool.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include "image/ProgramImage.h"
#include "program_pool.h"
#include "runtime/Runtime.h"

extern "C" const uint8_t VeltaroCodeBase[];
extern "C" const uint8_t VeltaroStubTable[];
extern "C" const uint8_t VeltaroTemplates[];

namespace {

const image::ProgramHeader& header = image::Header();
const uint8_t* Address(const void* p) { return static_cast<const uint8_t*>(p); }

TEST(InstallerImage, HeaderWords) {
  EXPECT_EQ(3u, header.programKind);
  EXPECT_EQ(0u, header.reserved);
  EXPECT_EQ(0x10230u, header.highestSerial);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(VeltaroCodeBase), header.codeBase);
  EXPECT_EQ(VeltaroStubTable + 4, VeltaroCodeBase) << "the code base is 4 bytes into the routine stubs";
  EXPECT_EQ(VeltaroPool, header.poolStart);
  EXPECT_EQ(pool::kPoolSize, header.poolSize);
  EXPECT_EQ(VeltaroTemplates, header.templateStart);
  EXPECT_GT(header.templateSize, 0u);
  EXPECT_EQ(8u, header.libraryCount);
}

struct ExpectedLibrary {
  const char* name;
  uint32_t state;
  uint32_t commandCount;
};
// CoreLib 19 commands, ShellLib 3, StyleLib 1, ZipLib 1: only the commands the program calls.
const ExpectedLibrary kLibraries[8] = {
    {"CoreLib", 0xc0000001, 19}, {"WidgetLib3", 0x80000000, 0}, {"WidgetLib1", 0, 0}, {"ShellLib", 0, 3},
    {"StyleLib", 0x80000000, 1}, {"ZipLib", 0, 1},              {"DataLib", 0xc0000000, 0}, {"NetLib", 0, 0},
};

TEST(InstallerImage, LibrariesInTableOrderWithTheirRecords) {
  ASSERT_EQ(8u, header.libraryCount);
  for (uint32_t i = 0; i < 8; ++i) {
    const image::LibraryRecord* library = header.libraryTable[i];
    ASSERT_NE(nullptr, library) << i;
    EXPECT_STREQ(kLibraries[i].name, library->name) << i;
    EXPECT_EQ(image::kLibraryFormatVersion, library->formatVersion) << i;
    EXPECT_NE(nullptr, library->identity) << i;
    EXPECT_EQ(1u, library->language) << i;
    EXPECT_EQ(kLibraries[i].state, library->state) << i;
    EXPECT_EQ(kLibraries[i].commandCount, library->commandCount) << i;
    EXPECT_EQ(nullptr, library->explanation);
    EXPECT_EQ(nullptr, library->commandInfo) << "stripped";
    for (uint32_t c = 0; c < library->commandCount; ++c) EXPECT_NE(nullptr, library->commands[c]) << i << " " << c;
    if (i > 0) {
      EXPECT_EQ(Address(header.libraryTable[i - 1]) + 144, Address(library)) << "records lie back to back";
    }
  }
  const image::LibraryRecord* core = header.libraryTable[0];
  EXPECT_EQ(5u, core->major);
  EXPECT_EQ(3u, core->minor);
  EXPECT_EQ(64u, core->build);
  EXPECT_EQ(51u, core->typeCount) << "the full count of CoreLib's types";
}

struct ExpectedType {
  uint32_t code;
  const char* name;
  uint32_t state;
};
const ExpectedType kTypes[] = {
    {0x00010001, "窗口", 0x800000D0},   {0x00010005, "编辑框", 0x80000040},     {0x00010006, "图片框", 0x840100C0},
    {0x0001000C, "选择框", 0x80001040}, {0x00010013, "进度条", 0x84010040},     {0x00010020, "时钟", 0x80008040},
    {0x0001002D, "图形按钮", 0x80010040}, {0x00020002, "高级选择夹", 0x800101C0}, {0x00030005, "透明标签", 0x00012040},
    {0x00060001, "ZIP压缩", 0x00008040},
};

TEST(InstallerImage, TypesSitWhereTheirCodesPointAndTheOthersAreEmpty) {
  for (const ExpectedType& expected : kTypes) {
    const image::DataTypeRecord* type = image::LookupType(expected.code);
    ASSERT_NE(nullptr, type) << std::hex << expected.code;
    EXPECT_STREQ(expected.name, type->name) << std::hex << expected.code;
    EXPECT_EQ(expected.state, type->state) << std::hex << expected.code;
    EXPECT_NE(nullptr, type->unitInterface) << std::hex << expected.code;
    for (uint32_t p = 0; p < type->propertyCount; ++p) EXPECT_EQ(0xe000, type->properties[p].state);
  }
  EXPECT_EQ(32u, image::LookupType(0x00010001)->propertyCount);
  // Every other record of CoreLib is present and all zero.
  const image::LibraryRecord* core = header.libraryTable[0];
  int used = 0;
  for (uint32_t t = 0; t < core->typeCount; ++t) {
    const image::DataTypeRecord& record = core->types[t];
    static const image::DataTypeRecord zero = {};
    if (record.name) {
      ++used;
      continue;
    }
    EXPECT_EQ(0, std::memcmp(&record, &zero, sizeof zero)) << "type " << t + 1;
  }
  EXPECT_EQ(7, used);
  EXPECT_EQ(nullptr, image::LookupType(0x00090001)) << "library 9 of 8";
  EXPECT_EQ(nullptr, image::LookupType(0x00010034)) << "type 52 of 51";
}

TEST(InstallerImage, DeclaredFunctions) {
  // The four of the original program, then our own free-space query.
  const char* const libraries[] = {"", "user32", "user32", "user32", "kernel32"};
  const char* const functions[] = {"PostMessageA", "GetClassLongA", "SetClassLongA", "SendMessageA", "GetDiskFreeSpaceExA"};
  ASSERT_EQ(5u, header.dllCount);
  for (uint32_t i = 0; i < header.dllCount; ++i) {
    EXPECT_STREQ(libraries[i], header.dllLibraryNames[i]) << i;
    EXPECT_STREQ(functions[i], header.dllFunctionNames[i]) << i;
  }
}

TEST(InstallerImage, PartsLieInTheirOrder) {
  const uint8_t* entryTable = Address(rt::RuntimeEntryTable);
  EXPECT_LT(Address(&header), Address(header.dllLibraryNames));
  EXPECT_LT(Address(header.dllLibraryNames), Address(header.dllFunctionNames));
  EXPECT_LT(Address(header.dllFunctionNames), Address(header.dllFunctionNames[0]));
  EXPECT_LT(Address(header.dllFunctionNames[header.dllCount - 1]), Address(header.libraryTable));
  EXPECT_LT(Address(header.libraryTable), Address(header.libraryTable[0]));
  const image::LibraryRecord* last = header.libraryTable[header.libraryCount - 1];
  EXPECT_LT(Address(last), Address(header.libraryTable[0]->identity)) << "each library's data follows the records";
  EXPECT_LT(Address(header.libraryTable[0]->types), entryTable);
  EXPECT_LT(entryTable, header.poolStart);
  EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(header.poolStart) % 16);
  EXPECT_LT(header.poolStart - (entryTable + 13 * 4), 16) << "the pool starts at the next 16-byte boundary";
  const uint8_t* poolEnd = header.poolStart + header.poolSize;
  EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(header.templateStart) % 16);
  EXPECT_GE(header.templateStart, poolEnd);
  EXPECT_LE(header.templateStart - poolEnd, 32) << "only padding between the pool and the templates";
}

std::string TextAt(uint32_t offset) { return reinterpret_cast<const char*>(header.poolStart + offset); }
uint32_t TextEnd(uint32_t offset) { return offset + uint32_t(TextAt(offset).size()) + 1; }
uint32_t BytesEnd(uint32_t offset) {
  uint32_t words[2];
  std::memcpy(words, header.poolStart + offset, 8);
  EXPECT_EQ(1u, words[0]) << "one dimension";
  return offset + 8 + words[1];
}

struct PoolItem {
  uint32_t offset;
  bool bytes;  // a byte array, else a text
};

TEST(InstallerImage, ConstantPoolKeepsItsOrderAndEndsWithTheDeclaredNames) {
  // Items in the order the program lists them; texts may be added between them, never arrays.
  const PoolItem items[] = {
      {pool::BrowseTitle, false},   {pool::ProductSuffix, false},     {pool::Separator, false},
      {pool::DoubleSeparator, false}, {pool::EmptyText, false},       {pool::UrlValuePath, false},
      {pool::MainProgram, false},   {pool::MessageTitle, false},      {pool::BadPathMessage, false},
      {pool::DriveRoot, false},     {pool::DriveColon, false},        {pool::BadDriveMessage, false},
      {pool::EmptyBytes, true},     {pool::ArchiveFile, false},       {pool::Payload, true},
      {pool::DesktopShortcut, false}, {pool::ProgramGroup, false},    {pool::UninstallShortcut, false},
      {pool::Uninstaller, false},   {pool::DisplayIconPath, false},   {pool::DisplayName, false},
      {pool::DisplayNamePath, false}, {pool::DisplayVersion, false},  {pool::DisplayVersionPath, false},
      {pool::UninstallStringPath, false}, {pool::Publisher, false},   {pool::PublisherPath, false},
      {pool::UninstallRecord, false}, {pool::RecordPath, false},      {pool::RecordShortcut, false},
      {pool::RecordGroup, false},   {pool::PercentSuffix, false},     {pool::DllLibrary, false},
  };
  EXPECT_EQ(0u, items[0].offset);
  for (size_t i = 0; i + 1 < sizeof items / sizeof items[0]; ++i) {
    uint32_t end = items[i].bytes ? BytesEnd(items[i].offset) : TextEnd(items[i].offset);
    uint32_t next = items[i + 1].offset;
    ASSERT_LE(end, next) << "item " << i;
    // Whatever lies between two listed items is a run of whole texts.
    if (end < next) {
      EXPECT_EQ(0, header.poolStart[next - 1]) << "item " << i;
    }
  }
  EXPECT_EQ(8u, BytesEnd(pool::EmptyBytes) - pool::EmptyBytes) << "the empty byte array";
  // The payload is a whole ZIP archive: a local header first, the end record (no comment) last.
  const uint8_t* payload = header.poolStart + pool::Payload + 8;
  const uint32_t payloadSize = BytesEnd(pool::Payload) - pool::Payload - 8;
  ASSERT_GT(payloadSize, 22u);
  EXPECT_EQ(0, std::memcmp(payload, "PK\x03\x04", 4));
  EXPECT_EQ(0, std::memcmp(payload + payloadSize - 22, "PK\x05\x06", 4));

  // The declared functions' names, each once, close the pool back to back.
  const uint32_t tail[] = {pool::DllLibrary,     pool::DllPostMessage,   pool::DllGetClassLong, pool::DllSetClassLong,
                           pool::DllSendMessage, pool::DllKernelLibrary, pool::DllFreeSpace};
  std::vector<std::string> names;
  for (size_t i = 0; i < sizeof tail / sizeof tail[0]; ++i) {
    if (i > 0) {
      EXPECT_EQ(TextEnd(tail[i - 1]), tail[i]);
    }
    names.push_back(TextAt(tail[i]));
  }
  EXPECT_EQ(header.poolSize, TextEnd(tail[6]));
  EXPECT_EQ((std::vector<std::string>{"user32", "PostMessageA", "GetClassLongA", "SetClassLongA", "SendMessageA",
                                      "kernel32", "GetDiskFreeSpaceExA"}),
            names);
  for (uint32_t i = 0; i < header.dllCount; ++i) {
    EXPECT_NE(names.end(), std::find(names.begin(), names.end(), header.dllFunctionNames[i]));
    if (*header.dllLibraryNames[i]) {
      EXPECT_NE(names.end(), std::find(names.begin(), names.end(), header.dllLibraryNames[i]));
    }
  }
}

}  // namespace
