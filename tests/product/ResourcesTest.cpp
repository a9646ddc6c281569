// The installer's resources, linked into this test exactly as into the installer, loaded back
// by name and id the way the runtime and the page control load them.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

namespace {

HINSTANCE Self() { return GetModuleHandleA(nullptr); }

std::string ResourceText(LPCSTR name, LPCSTR type) {
  HRSRC found = FindResourceA(Self(), name, type);
  if (!found) return std::string();
  HGLOBAL loaded = LoadResource(Self(), found);
  return std::string(static_cast<const char*>(LockResource(loaded)), SizeofResource(Self(), found));
}

struct IconFacts {
  int width = 0;       // of the colour bitmap (or the mask when there is none)
  int height = 0;
  bool isIcon = false;
  POINT hotSpot = {};
};

IconFacts Inspect(HICON icon) {
  IconFacts facts;
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return facts;
  BITMAP bitmap = {};
  GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  facts.width = bitmap.bmWidth;
  facts.height = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
  facts.isIcon = info.fIcon;
  facts.hotSpot = {static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return facts;
}

TEST(ResourcesTest, ManifestAsksForAdministratorWithoutCommonControlsSix) {
  const std::string manifest = ResourceText(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_FALSE(manifest.empty());
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
  EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
  EXPECT_EQ(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_EQ(manifest.find("<dependency"), std::string::npos);
}

TEST(ResourcesTest, ProgramIconHasLargeAndSmallImages) {
  HICON large = LoadIconA(Self(), "DEFAULT_ICON");
  ASSERT_NE(large, nullptr);
  const IconFacts facts = Inspect(large);
  EXPECT_TRUE(facts.isIcon);
  EXPECT_EQ(facts.width, 32);
  EXPECT_EQ(facts.height, 32);

  HICON small = static_cast<HICON>(LoadImageA(Self(), "DEFAULT_ICON", IMAGE_ICON, 16, 16, 0));
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(Inspect(small).width, 16);
  DestroyIcon(small);
  // Both sizes are stored, not one scaled: the group lists a 32 and a 16 entry.
  const std::string group = ResourceText("DEFAULT_ICON", MAKEINTRESOURCEA(14));
  ASSERT_EQ(group.size(), 6u + 2 * 14);
  EXPECT_EQ(group[4], 2);
  EXPECT_EQ(static_cast<unsigned char>(group[6]), 32);
  EXPECT_EQ(static_cast<unsigned char>(group[6 + 14]), 16);
}

TEST(ResourcesTest, CursorsLoadWithTheirHotSpots) {
  struct Case {
    LPCSTR name;
    POINT hotSpot;
  };
  const Case cases[] = {
      {MAKEINTRESOURCEA(1032), {10, 2}},
      {"KQR3_IDC_HANDCUR", {10, 2}},
      {"KQR3_IDC_DRAGGING", {2, 2}},
      {"KQR3_IDC_NODRAGGING", {2, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(IS_INTRESOURCE(c.name) ? "1032" : c.name);
    HCURSOR cursor = LoadCursorA(Self(), c.name);
    ASSERT_NE(cursor, nullptr);
    const IconFacts facts = Inspect(cursor);
    EXPECT_FALSE(facts.isIcon);
    EXPECT_EQ(facts.width, 32);
    EXPECT_EQ(facts.hotSpot.x, c.hotSpot.x);
    EXPECT_EQ(facts.hotSpot.y, c.hotSpot.y);
  }
}

TEST(ResourcesTest, ScrollButtonStripHoldsEightSquareStates) {
  HBITMAP strip = LoadBitmapA(Self(), "KQR3_IDB_SCROLLBTNS");
  ASSERT_NE(strip, nullptr);
  BITMAP bitmap = {};
  ASSERT_TRUE(GetObjectA(strip, sizeof bitmap, &bitmap));
  EXPECT_EQ(bitmap.bmWidth, 8 * 16);
  EXPECT_EQ(bitmap.bmHeight, 16);

  // The left and right arrows differ; the normal and hot looks of one arrow differ.
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, strip);
  auto cellSum = [dc](int cell) {
    long sum = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) sum += GetRValue(GetPixel(dc, cell * 16 + x, y)) * (x + 1);
    return sum;
  };
  EXPECT_NE(cellSum(0), cellSum(4));
  EXPECT_NE(cellSum(0), cellSum(1));
  SelectObject(dc, previous);
  DeleteDC(dc);
  DeleteObject(strip);
}

TEST(ResourcesTest, VersionBlockNamesProductAndPublisher) {
  char file[MAX_PATH];
  GetModuleFileNameA(nullptr, file, sizeof file);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(file, &ignored);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(file, 0, size, &block[0]));
  auto value = [&block](const char* name) {
    char* text = nullptr;
    UINT length = 0;
    const std::string query = std::string("\\StringFileInfo\\080404b0\\") + name;
    if (!VerQueryValueA(&block[0], query.c_str(), reinterpret_cast<void**>(&text), &length)) return std::string();
    return std::string(text);
  };
  EXPECT_EQ(value("ProductName"), "Veltaro 会计从业考试题库");
  EXPECT_EQ(value("ProductVersion"), "V4.6");
  EXPECT_EQ(value("CompanyName"), "Veltaro");
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(&block[0], "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(6, 4));
}

}  // namespace
