// One rule for where a GBK character ends, wherever a text is scanned: the core commands, the ZIP
// service's paths and the uninstaller's paths step over a byte with bit 7 set together with the
// byte after it, unless that byte is the end of the text or its terminating zero.
#include <gtest/gtest.h>
#include <string>
#include "installer/product/GbkPath.h"
#include "services/core/GbkText.h"
#include "services/zip/GbkPath.h"

namespace {

struct Case {
  std::string text;
  bool endsWithSeparator;
  size_t lastSeparator;
};

TEST(GbkRule, TheLibrariesAndTheUninstallerAgreeWhereEachCharacterEnds) {
  const size_t none = std::string::npos;
  const Case cases[] = {
      {"C:\\\xC8\xED\xBC\xFE\\", true, 7},         // C:\软件\ : the trail byte of 件 has bit 7 set
      {"C:\\abc\\", true, 6},
      {"C:\\\x81\x5C", false, 2},                  // a character whose trail byte is "\"
      {"\xB2\\\\a", false, 2},                      // the lead byte takes the first "\"
      {"a\xB2", false, none},                       // a lead byte with nothing after it
      {std::string("\xB2\0\\", 3), true, 2},         // a lead byte before a zero stands alone
      {"", false, none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    EXPECT_EQ(gbk::EndsWithAscii(c.text.data(), c.text.size(), '\\'), c.endsWithSeparator);
    EXPECT_EQ(ziplib::gbk::EndsWithBackslash(c.text), c.endsWithSeparator);
    EXPECT_EQ(product::path::EndsWithSeparator(c.text), c.endsWithSeparator);
    EXPECT_EQ(ziplib::gbk::LastSeparator(c.text), c.lastSeparator);
    EXPECT_EQ(product::path::LastSeparator(c.text), c.lastSeparator);
    EXPECT_EQ(gbk::FindLastAscii(c.text.data(), c.text.size(), '\\'), c.lastSeparator == none ? gbk::npos : c.lastSeparator);
  }
  const std::string zeroAfterLead("\xB2\0", 2);
  EXPECT_EQ(ziplib::gbk::CharLength(zeroAfterLead, 0), 1u);
  EXPECT_EQ(gbk::CharLength(zeroAfterLead.data(), 0, zeroAfterLead.size()), 1u);
}

// Windows takes only 0x81..0xFE as lead bytes: a character starting with 0x80 or 0xFF is where
// the two readings part, and such a text is refused wherever a path decides what is touched.
TEST(GbkRule, WindowsSplitsATextAlikeUnlessACharacterStartsWith0x80Or0xFF) {
  const struct {
    std::string text;
    bool alike;
  } cases[] = {
      {"C:\\\x81\x5C", true},        // a trail byte "\" belongs to its character in both readings
      {"\x81\x80\\\xFE\xFF", true},  // 0x80 and 0xFF as trail bytes
      {"x\x80\\victim.dll", false},    // one name here, "x€" and "victim.dll" to Windows
      {"\xFF\\..", false},
      {"a\x80", false},
      {"", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(gbk::SplitsAsWindowsDoes(c.text.data(), c.text.size()), c.alike) << testing::PrintToString(c.text);
  }
}

}  // namespace
