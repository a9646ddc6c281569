// The runtime core: program image, heap and constants, values, services, run-time errors,
// start-up and shutdown order, declared Win32 functions.
#include <gtest/gtest.h>
#include <windows.h>
#include <cmath>
#include <cstring>
#include <string>
#include "image/ProgramImage.h"
#include "program_pool.h"
#include "runtime/Runtime.h"
#include "runtime/RuntimeState.h"
#include "tests/runtime/RuntimeChildCases.h"
#include "tests/support/ChildProcess.h"

namespace runtimetest {

// The two test libraries log their notifications, with the thread that delivered them.
int32_t LogNotification(const char* library, int32_t code) {
  testsupport::Say(std::string(library) + " " + std::to_string(code) + " thread " + std::to_string(GetCurrentThreadId()));
  return 0;
}
int32_t FirstNotify(int32_t code, int32_t, int32_t) { return LogNotification("FirstLib", code); }
int32_t SecondNotify(int32_t code, int32_t, int32_t) { return LogNotification("SecondLib", code); }

namespace {

using testsupport::RunChild;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
size_t Position(const std::string& text, const std::string& part) { return text.find(part); }

TEST(ProgramImage, HeaderDescribesThisProgram) {
  const image::ProgramHeader& header = image::Header();
  EXPECT_EQ(3u, header.programKind);
  EXPECT_EQ(0x10230u, header.highestSerial);
  EXPECT_EQ(2u, header.libraryCount);
  EXPECT_EQ(8u, header.dllCount);
  EXPECT_STREQ("", header.dllLibraryNames[0]);
  EXPECT_STREQ("PostMessageA", header.dllFunctionNames[0]);
  EXPECT_STREQ("#123", header.dllFunctionNames[3]);
  EXPECT_EQ(image::kLibraryFormatVersion, header.libraryTable[0]->formatVersion);
  EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(header.poolStart) % 16) << "the pool starts on a 16-byte boundary";
  EXPECT_EQ(0u, header.templateSize);
}

TEST(ProgramImage, TypeCodesResolveOnlyToExistingRecords) {
  const image::DataTypeRecord* window = image::LookupType(0x00010001);
  ASSERT_NE(nullptr, window);
  EXPECT_STREQ("窗口", window->name);
  EXPECT_EQ(0x800000d0u, window->state);
  EXPECT_EQ(8u, window->propertyCount);
  EXPECT_EQ(1011, window->properties[7].kind);
  ASSERT_NE(nullptr, image::LookupType(0x00020001));
  EXPECT_EQ(0x8040u, image::LookupType(0x00020001)->state);
  EXPECT_EQ(nullptr, image::LookupType(0x00090001)) << "library 9 of 2";
  EXPECT_EQ(nullptr, image::LookupType(0x00000001)) << "library 0";
  EXPECT_EQ(nullptr, image::LookupType(0x00010000)) << "type 0";
  EXPECT_EQ(nullptr, image::LookupType(0x00010005)) << "beyond the type count";
  EXPECT_EQ(nullptr, image::LookupType(0x80000301)) << "a basic type";
  EXPECT_EQ(nullptr, image::LookupType(0x40010001)) << "top bits 01 are never resolved";
  const image::DataTypeRecord* unused = image::LookupType(0x00010002);
  ASSERT_NE(nullptr, unused);
  EXPECT_EQ(nullptr, unused->name) << "unused types are all-zero records";
  EXPECT_EQ(2, rt::RuntimeNotify(rt::kNotifyTypeClassification, 0x00010004, 0));
  EXPECT_EQ(1, rt::RuntimeNotify(rt::kNotifyTypeClassification, 0x00010001, 0));
}

TEST(ConstantPool, ItemsAreLaidOutInOrder) {
  const uint8_t* pool = image::Header().poolStart;
  EXPECT_EQ(0, std::memcmp(pool, "你好", std::strlen("你好") + 1));
  EXPECT_EQ(5u, pool::Empty) << "GBK text of two characters and its zero";
  uint32_t empty[2];
  std::memcpy(empty, pool + pool::Empty, 8);
  EXPECT_EQ(1u, empty[0]);
  EXPECT_EQ(0u, empty[1]);
  EXPECT_STREQ("\\", pool::Text(pool::Backslash));
  EXPECT_STREQ("\\\\", pool::Text(pool::TwoBackslashes));
  EXPECT_EQ(pool::kPoolSize, image::Header().poolSize);
}

TEST(Heap, ConstantsAreNeverFreedOrChanged) {
  auto constant = const_cast<char*>(pool::Text(pool::Hello));
  ASSERT_TRUE(rt::IsConstant(constant));
  EXPECT_FALSE(rt::IsConstant(image::Header().poolStart + image::Header().poolSize));
  rt::FreeBlock(constant);  // does nothing
  rt::FreeBlock(nullptr);
  auto copy = static_cast<char*>(rt::ResizeBlock(constant, 100));
  EXPECT_NE(constant, copy);
  EXPECT_STREQ("你好", copy);
  copy[0] = 'X';
  EXPECT_STREQ("你好", pool::Text(pool::Hello));
  rt::FreeBlock(copy);

  // A private copy replaces a variable that still points at a constant array.
  void* variable = const_cast<void*>(pool::Bytes(pool::Empty));
  rt::MiscService(2, 1u, &variable);
  EXPECT_NE(pool::Bytes(pool::Empty), variable);
  EXPECT_FALSE(rt::IsConstant(variable));
  EXPECT_EQ(0, std::memcmp(variable, pool::Bytes(pool::Empty), 8));
  void* before = variable;
  rt::MiscService(2, 1u, &variable);
  EXPECT_EQ(before, variable) << "a heap block is left alone";
  rt::FreeBlock(variable);
}

TEST(Heap, ResizeKeepsContentsAndEmptyTextIsNull) {
  auto block = static_cast<char*>(rt::AllocateBlock(4));
  std::memcpy(block, "abc", 4);
  block = static_cast<char*>(rt::ResizeBlock(block, 4000));
  EXPECT_STREQ("abc", block);
  rt::FreeBlock(block);
  EXPECT_EQ(nullptr, rt::NewText(""));
  EXPECT_EQ(nullptr, rt::NewText(nullptr));
  EXPECT_EQ(0, rt::RuntimeNotify(rt::kNotifyAllocate, 0x7ffffff0, 1)) << "the quiet allocation yields null";
}

TEST(Values, ArraysOfTextsFreeTheirElements) {
  auto makeArray = [](uint32_t count) {
    auto block = static_cast<uint32_t*>(rt::AllocateBlock(8 + 4 * count));
    block[0] = 1;
    block[1] = count;
    for (uint32_t i = 0; i < count; ++i) block[2 + i] = reinterpret_cast<uint32_t>(rt::NewText(std::string(1000, 'x').c_str()));
    return block;
  };
  size_t before = BusyHeapBytes();
  uint32_t* texts = makeArray(20);
  size_t allocated = BusyHeapBytes() - before;
  ASSERT_GT(allocated, 20000u);
  rt::RuntimeNotify(rt::kNotifyFreeArray, static_cast<int32_t>(rt::kTypeText | rt::kArrayBit), reinterpret_cast<int32_t>(texts));
  EXPECT_LT(BusyHeapBytes(), before + 1000) << "the element texts were freed with the array";

  uint32_t* integers = makeArray(20);  // the same layout, freed as integers: only the block goes
  size_t withIntegers = BusyHeapBytes();
  rt::RuntimeNotify(rt::kNotifyFreeArray, static_cast<int32_t>(rt::kTypeInt | rt::kArrayBit), reinterpret_cast<int32_t>(integers));
  EXPECT_GT(BusyHeapBytes(), withIntegers - 1000 - 20000 + 15000) << "the elements were not touched";
}

TEST(Values, NumbersConvertTowardZero) {
  auto convert = [](rt::ArgTriple value) { return rt::RuntimeNotify(rt::kNotifyValueToInt, reinterpret_cast<int32_t>(&value), 0); };
  double plus = 2.9, minus = -2.9;
  uint64_t bits;
  std::memcpy(&bits, &plus, 8);
  EXPECT_EQ(2, convert({static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32), rt::kTypeDouble}));
  std::memcpy(&bits, &minus, 8);
  EXPECT_EQ(-2, convert({static_cast<uint32_t>(bits), static_cast<uint32_t>(bits >> 32), rt::kTypeDouble}));
  float f = -7.5f;
  uint32_t fbits;
  std::memcpy(&fbits, &f, 4);
  EXPECT_EQ(-7, convert({fbits, 0, rt::kTypeFloat}));
  EXPECT_EQ(255, convert({0xffffffffu, 0, rt::kTypeByte}));
  EXPECT_EQ(-1, convert({0xffffu, 0, rt::kTypeShort}));
  EXPECT_EQ(5, convert({5, 1, rt::kTypeLong}));
}

TEST(Services, IdentifiersStartTwoAboveTheTemplates) {
  // The tests' own main initialised the runtime; nothing else has created an identifier yet.
  EXPECT_EQ(0x16000000u | (0x10230 + 2), rt::NextIdentifier(0x16000000));
  EXPECT_EQ(0x52000000u | (0x10230 + 3), rt::NextIdentifier(0x52000000));
  EXPECT_EQ(rt::kInterfaceLevel, rt::RuntimeNotify(rt::kNotifyInterfaceLevel, 0, 0));
  EXPECT_EQ(3, rt::RuntimeNotify(rt::kNotifyProgramKind, 0, 0));
  EXPECT_EQ(0, rt::RuntimeNotify(99999, 0, 0)) << "unknown codes answer 0";
  EXPECT_EQ(std::string(rt::ProgramFolder()) + "\\", testsupport::ExecutableFolder());
  EXPECT_STREQ("runtime_test.exe", reinterpret_cast<const char*>(rt::RuntimeNotify(rt::kNotifyProgramFileName, 0, 0)));
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_EQ(std::string(current) + "\\", testsupport::ExecutableFolder()) << "the program folder is made current";
}

TEST(Services, FileSearchFiltersByAttributes) {
  std::string folder = testsupport::ExecutableFolder() + "search\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "sub").c_str(), nullptr);
  for (const char* name : {"a.txt", "b.txt"}) {
    HANDLE file = CreateFileA((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(file);
  }
  SetFileAttributesA((folder + "b.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  auto collect = [&](const char* pattern, uint32_t mask, int anyFile) {
    std::string names;
    uint32_t handle = 0;
    auto text = reinterpret_cast<char*>(static_cast<uintptr_t>(rt::MiscService(0, pattern, mask, anyFile, &handle)));
    while (text) {
      names += std::string(text) + ";";
      rt::FreeBlock(text);
      text = reinterpret_cast<char*>(static_cast<uintptr_t>(rt::MiscService(0, nullptr, mask, anyFile, &handle)));
    }
    EXPECT_EQ(0u, handle) << "the search is closed at its end";
    return names;
  };
  std::string pattern = folder + "*";
  EXPECT_EQ("a.txt;b.txt;", collect(pattern.c_str(), 0, 1));
  EXPECT_EQ("b.txt;", collect(pattern.c_str(), FILE_ATTRIBUTE_HIDDEN, 0));
  EXPECT_NE(std::string::npos, collect(pattern.c_str(), FILE_ATTRIBUTE_DIRECTORY, 0).find("sub;"));
  // A mask of 0 asks for entries whose attribute word is 0, which no file here has.
  EXPECT_EQ("", collect(pattern.c_str(), 0, 0));
  SetFileAttributesA((folder + "b.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Wine reports every plain file as archive (0x20), whatever was set; Windows reports a file
// without attributes as normal (0x80) and keeps bits such as 0x2000. The rule is therefore
// checked on the attribute words Windows hands out.
TEST(Services, FileSearchMaskZeroTakesOnlyAnAttributeWordOfZero) {
  EXPECT_TRUE(rt::MatchesSearchAttributes(0, 0, false));
  for (uint32_t attributes : {0x80u, 0x2000u, 0x100u, 0x20u, 0x10u}) {
    EXPECT_FALSE(rt::MatchesSearchAttributes(attributes, 0, false)) << std::hex << attributes;
    EXPECT_FALSE(rt::MatchesSearchAttributes(attributes, 0x80, false)) << "0x80 is cut off the mask: " << std::hex << attributes;
  }
  EXPECT_TRUE(rt::MatchesSearchAttributes(0x22, 0x02, false));
  EXPECT_FALSE(rt::MatchesSearchAttributes(0x10, 0x80, true)) << "any file, but no folder";
  EXPECT_TRUE(rt::MatchesSearchAttributes(0x80, 0x10, true));
}

TEST(DeclaredFunctions, ResolveThroughEveryKindOfName) {
  HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  // No library name: found in User32.dll after the others were tried.
  void* post = rt::ResolveDllFunction(0);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "PostMessageA")), post);
  EXPECT_EQ(static_cast<uint32_t>(GetClassLongA(window, GCL_STYLE)), rt::CallDeclared(1, window, GCL_STYLE));
  // "testdll" lies in the program folder; "#123" is an export by ordinal.
  EXPECT_EQ(42u, rt::CallDeclared(2));
  EXPECT_EQ(8u, rt::CallDeclared(3, 7));
  DestroyWindow(window);
}

TEST(DeclaredFunctions, AFunctionIsResolvedOnceAndHoldsOneLoadOfItsLibrary) {
  // The child resolves "TestAnswer" twice, then gives back one load of testdll: a second
  // resolution that loaded the library again would keep it in memory.
  auto result = RunChild("resolve-once");
  EXPECT_EQ(0u, result.exitCode);
  EXPECT_TRUE(Contains(result.output, "same address")) << result.output;
  EXPECT_TRUE(Contains(result.output, "unloaded after one release")) << result.output;
  // "#123" comes from the same library but holds a load of its own.
  EXPECT_TRUE(Contains(result.output, "ordinal answers 8")) << result.output;
}

TEST(DeclaredFunctions, ALibraryTheSystemLacksIsTakenFromTheProgramFolderFirst) {
  // Another library of the same file name is already loaded from elsewhere: a load by name alone
  // (the system's standard search) would hand out that one, which answers 7, on Windows as on
  // Wine. testdll is no library of Wine's own, so Wine searches for it as Windows does and the
  // test needs no DLL override.
  const std::string other = testsupport::ExecutableFolder() + "other\\";
  CreateDirectoryA(other.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA((testsupport::ExecutableFolder() + "testdll_other.dll").c_str(), (other + "testdll.dll").c_str(), FALSE));
  auto result = RunChild("program-folder-first");
  DeleteFileA((other + "testdll.dll").c_str());
  RemoveDirectoryA(other.c_str());
  EXPECT_TRUE(Contains(result.output, "other copy answers 7")) << result.output;
  EXPECT_TRUE(Contains(result.output, "declared answers 42")) << result.output;
  EXPECT_TRUE(Contains(result.output, "from the program folder")) << result.output;
}

int CallThroughThunk(uint32_t index, HWND window, int classIndex) {
  int result;
  // Compiled code pushes the declared function's arguments and passes its index in EAX.
  asm volatile(
      "pushl %[index2]\n\t"
      "pushl %[window]\n\t"
      "movl %[index], %%eax\n\t"
      "call _CallDllFunction\n\t"
      : "=a"(result)
      : [index] "r"(index), [window] "r"(window), [index2] "r"(classIndex)
      : "ecx", "edx", "memory");
  return result;
}

TEST(DeclaredFunctions, EntryHandsArgumentsStraightThrough) {
  HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(static_cast<int>(GetClassLongA(window, GCL_STYLE)), CallThroughThunk(1, window, GCL_STYLE));
  DestroyWindow(window);
}

// ---- Cases that end the process --------------------------------------------------------------

TEST(RuntimeErrors, NumberedErrorShowsCodeAndMessage) {
  auto result = RunChild("error-code-6");
  EXPECT_EQ(0xFFFFFFFFu, result.exitCode);
  ASSERT_EQ(1u, result.boxes.size());
  EXPECT_EQ("错误", result.boxes[0].caption);
  EXPECT_EQ("运行时出错!\r\n\r\n错误代码：6\r\n\r\n错误信息：调用DLL命令后发现堆栈错误\r\n", result.boxes[0].text);
  EXPECT_FALSE(Contains(result.output, "exit A")) << "no exit routine runs after an error";
  EXPECT_TRUE(Contains(result.output, "FirstLib 6")) << "libraries are still told";
  EXPECT_LT(Position(result.output, "FirstLib 6"), Position(result.output, "SecondLib 6"));
}

TEST(RuntimeErrors, MessageKinds) {
  auto unknown = RunChild("error-unknown-code");
  EXPECT_EQ(0xFFFFFFFFu, unknown.exitCode);
  ASSERT_EQ(1u, unknown.boxes.size());
  EXPECT_EQ("运行时出错!\r\n\r\n错误代码：42\r\n\r\n", unknown.boxes[0].text);

  auto empty = RunChild("error-empty-message");
  EXPECT_EQ(0xFFFFFFFFu, empty.exitCode);
  ASSERT_EQ(1u, empty.boxes.size());
  EXPECT_EQ("运行时出错!\r\n\r\n", empty.boxes[0].text);

  auto allocation = RunChild("error-allocation");
  EXPECT_EQ(0xFFFFFFFFu, allocation.exitCode);
  ASSERT_EQ(1u, allocation.boxes.size());
  EXPECT_EQ("运行时出错!\r\n\r\n错误信息：分配 2147483632 字节内存失败!\r\n", allocation.boxes[0].text);
  EXPECT_FALSE(Contains(allocation.output, "allocation returned"));

  auto conversion = RunChild("error-text-to-integer");
  EXPECT_EQ(0xFFFFFFFFu, conversion.exitCode);
  ASSERT_EQ(1u, conversion.boxes.size());
  EXPECT_TRUE(Contains(conversion.boxes[0].text, "错误信息：欲转换数据类型不是数值"));

  auto start = RunChild("start-window-missing");
  EXPECT_EQ(0xFFFFFFFFu, start.exitCode);
  ASSERT_EQ(1u, start.boxes.size());
  EXPECT_EQ("运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n", start.boxes[0].text);
}

TEST(Lifecycle, LibrariesAndExitRoutinesRunInOrder) {
  auto result = RunChild("normal-end");
  EXPECT_EQ(7u, result.exitCode);
  EXPECT_TRUE(result.boxes.empty());
  const std::string& out = result.output;
  ASSERT_TRUE(Contains(out, "FirstLib 1") && Contains(out, "SecondLib 1"));
  EXPECT_LT(Position(out, "FirstLib 1"), Position(out, "SecondLib 1"));
  EXPECT_LT(Position(out, "SecondLib 1"), Position(out, "exit A"));
  EXPECT_LT(Position(out, "exit A"), Position(out, "exit B"));
  EXPECT_EQ(Position(out, "exit A"), out.rfind("exit A")) << "registered once";
  EXPECT_LT(Position(out, "exit B"), Position(out, "FirstLib 6"));
  EXPECT_LT(Position(out, "FirstLib 6"), Position(out, "SecondLib 6"));
}

TEST(Lifecycle, EndProgramFromAWorkerRunsTheShutdownOnTheMainThread) {
  auto result = RunChild("end-from-worker");
  EXPECT_EQ(9u, result.exitCode);
  const std::string& out = result.output;
  size_t at = out.find("main thread ");
  ASSERT_NE(std::string::npos, at);
  std::string mainThread = out.substr(at + 12, out.find('\n', at) - at - 12);
  EXPECT_TRUE(Contains(out, "exit A"));
  EXPECT_TRUE(Contains(out, "FirstLib 6 thread " + mainThread)) << out;
}

TEST(DeclaredFunctions, MissingFunctionsNameWhatWasDeclared) {
  auto named = RunChild("missing-named-export");
  EXPECT_EQ(0xFFFFFFFFu, named.exitCode);
  ASSERT_EQ(1u, named.boxes.size());
  EXPECT_TRUE(Contains(named.boxes[0].text, "错误信息：无法找到指定DLL库文件“user32”中的输出命令“NoSuchExport”"));
  auto standard = RunChild("missing-standard-export");
  ASSERT_EQ(1u, standard.boxes.size());
  EXPECT_TRUE(Contains(standard.boxes[0].text, "错误信息：无法找到指定DLL库文件中的输出命令“NoSuchFunction”"));
  auto library = RunChild("missing-library");
  ASSERT_EQ(1u, library.boxes.size());
  EXPECT_TRUE(Contains(library.boxes[0].text, "无法找到指定DLL库文件“no_such_library”中的输出命令“Anything”"));
}

TEST(DeclaredFunctions, ASystemLibraryComesFromTheSystemFolderNotTheProgramFolder) {
  const std::string planted = testsupport::ExecutableFolder() + "msimg32.dll";
  ASSERT_TRUE(CopyFileA((testsupport::ExecutableFolder() + "testdll.dll").c_str(), planted.c_str(), FALSE));
  // Windows loads a file named by its full path as it is; Wine takes its own msimg32 instead
  // unless told to prefer the file, so this program is told (Windows has no such key).
  const char kOverrides[] = "Software\\Wine\\AppDefaults\\runtime_test.exe\\DllOverrides";
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kOverrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
  RegSetValueExA(key, "msimg32", 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
  RegCloseKey(key);
  auto result = RunChild("system-library-beside-program");
  RegDeleteKeyA(HKEY_CURRENT_USER, kOverrides);
  DeleteFileA(planted.c_str());
  EXPECT_FALSE(Contains(result.output, "answer 42")) << "the planted copy was loaded";
  EXPECT_EQ(0xFFFFFFFFu, result.exitCode);
  ASSERT_EQ(1u, result.boxes.size());
  EXPECT_TRUE(Contains(result.boxes[0].text, "无法找到指定DLL库文件“msimg32”中的输出命令“TestAnswer”"));
}

}  // namespace
}  // namespace runtimetest

int main(int argc, char** argv) {
  int exitCode = 0;
  if (testsupport::RunChildCaseIfAsked(argc, argv, runtimetest::ChildCases(), exitCode)) return exitCode;
  rt::MiscService(6);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
