// What libraries leave with the runtime: objects registered with a kind byte, closed and deleted
// on code 2014 and at the end of the program, and icon records, freed whole by code 2020.
#include <gtest/gtest.h>
#include <windows.h>
#include <stdexcept>
#include <string>
#include <vector>
#include "runtime/RegisteredObjects.h"
#include "runtime/Runtime.h"
#include "tests/runtime/RuntimeChildCases.h"
#include "tests/support/ChildProcess.h"

namespace runtimetest {
namespace {

std::vector<std::string> events;

class TestObject : public rt::RegisteredObject {
 public:
  TestObject(std::string name, bool failToClose) : name_(std::move(name)), failToClose_(failToClose) {}
  ~TestObject() override { events.push_back("deleted " + name_); }
  void Close() override {
    events.push_back("closed " + name_);
    if (failToClose_) throw std::runtime_error("cannot close");
  }

 private:
  std::string name_;
  bool failToClose_;
};

int32_t Word(const void* pointer) { return static_cast<int32_t>(reinterpret_cast<uintptr_t>(pointer)); }
int32_t Notify(int32_t code, const void* pointer, int32_t second = 0) { return rt::RuntimeNotify(code, Word(pointer), second); }

TEST(RegisteredObjects, KindsAreKeptUntilTheObjectsAreClosedAndDeletedInRegistrationOrder) {
  events.clear();
  auto* first = new TestObject("first", false);
  auto* failing = new TestObject("failing", true);
  auto* last = new TestObject("last", false);
  auto* taken = new TestObject("taken back", false);
  Notify(rt::kNotifyRegisterObject, first, 3);
  Notify(rt::kNotifyRegisterObject, failing, 200);
  Notify(rt::kNotifyRegisterObject, last, 7);
  Notify(rt::kNotifyRegisterObject, first, 9);  // already registered: left as it is
  Notify(rt::kNotifyRegisterObject, taken, 1);
  EXPECT_EQ(3, Notify(rt::kNotifyObjectKind, first));
  EXPECT_EQ(200, Notify(rt::kNotifyObjectKind, failing)) << "the kind is a byte, read unsigned";
  EXPECT_EQ(1, Notify(rt::kNotifyUnregisterObject, taken));
  EXPECT_EQ(0, Notify(rt::kNotifyUnregisterObject, taken));
  EXPECT_EQ(-1, Notify(rt::kNotifyObjectKind, taken));

  Notify(rt::kNotifyCloseObjects, nullptr);
  EXPECT_EQ((std::vector<std::string>{"closed first", "deleted first", "closed failing", "deleted failing", "closed last",
                                      "deleted last"}),
            events)
      << "a failing close does not stop the others, and the object is still deleted";
  EXPECT_EQ(-1, Notify(rt::kNotifyObjectKind, first));
  delete taken;  // unregistered: the library's own again
}

TEST(IconRecords, FreeingARecordDestroysItsIconAndReleasesItsBlocksOnce) {
  constexpr uint32_t kDataSize = 2 << 20;
  size_t before = BusyHeapBytes();
  auto* record = static_cast<rt::IconRecord*>(rt::AllocateBlock(sizeof(rt::IconRecord)));
  *record = {MakeTinyIcon(), rt::AllocateBlock(kDataSize), kDataSize};
  ASSERT_NE(nullptr, record->icon);
  HICON icon = record->icon;
  EXPECT_EQ(0, Notify(rt::kNotifyIconRecordTest, record));
  Notify(rt::kNotifyAddIconRecord, record);
  Notify(rt::kNotifyAddIconRecord, record);  // added once
  EXPECT_EQ(1, Notify(rt::kNotifyIconRecordTest, record));

  Notify(rt::kNotifyFreeIconRecord, record);
  ICONINFO info = {};
  EXPECT_FALSE(GetIconInfo(icon, &info)) << "the icon was destroyed";
  EXPECT_LT(BusyHeapBytes(), before + 4096) << "the data block and the record were freed";
  EXPECT_EQ(0, Notify(rt::kNotifyIconRecordTest, record));

  // A record the runtime does not hold is not touched: its blocks stay the caller's.
  auto* stranger = static_cast<rt::IconRecord*>(rt::AllocateBlock(sizeof(rt::IconRecord)));
  *stranger = {nullptr, rt::AllocateBlock(kDataSize), kDataSize};
  size_t withStranger = BusyHeapBytes();
  Notify(rt::kNotifyFreeIconRecord, stranger);
  EXPECT_GE(BusyHeapBytes() + 4096, withStranger);
  rt::FreeBlock(stranger->data);
  rt::FreeBlock(stranger);
}

TEST(Lifecycle, ObjectsAndIconRecordsAreReleasedAfterTheLibrariesHeardTheEnd) {
  auto result = testsupport::RunChild("objects-at-the-end");
  const std::string& out = result.output;
  size_t libraries = out.find("SecondLib 6");
  ASSERT_NE(std::string::npos, libraries) << out;
  size_t first = out.find("closed first");
  ASSERT_NE(std::string::npos, first) << out;
  EXPECT_LT(libraries, first);
  EXPECT_LT(first, out.find("deleted first"));
  EXPECT_LT(out.find("deleted first"), out.find("closed second"));
  EXPECT_NE(std::string::npos, out.find("deleted second")) << out;
  EXPECT_NE(std::string::npos, out.find("icon destroyed")) << out;
  EXPECT_NE(std::string::npos, out.find("icon data freed")) << out;
}

}  // namespace
}  // namespace runtimetest
