// Text commands on GBK texts. Literals are compiled to GBK: "乗" is 0x81 0x5C (its second byte
// is "\"), "乤" is 0x81 0x61 (second byte "a") and "丄" is 0x81 0x41 (second byte "A").
#include <gtest/gtest.h>

#include "services/core/CoreLib.h"
#include "services/core/GbkText.h"
#include "tests/core/TestHost.h"

namespace {

using rt::IntArg;
using rt::OmittedArg;
using rt::TextArg;
using testhost::Call;
using testhost::TakeText;

class TextCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    corelib::Notify(1, static_cast<int32_t>(reinterpret_cast<uintptr_t>(&testhost::Notify)), 0);
    blocksBefore_ = testhost::LiveBlocks();
  }
  // Every text a command hands out comes from the runtime's allocator and is freed by the test.
  void TearDown() override { EXPECT_EQ(testhost::LiveBlocks(), blocksBefore_); }

  static std::string Replace(std::vector<rt::ArgTriple> args) { return TakeText(Call(corelib::ReplaceText, args)); }
  static int32_t Find(std::vector<rt::ArgTriple> args) {
    rt::ArgTriple result = Call(corelib::FindText, args);
    EXPECT_EQ(result.type, rt::kTypeInt);
    return result.Int();
  }
  static std::vector<std::string> Split(std::vector<rt::ArgTriple> args) {
    return testhost::TakeTextArray(Call(corelib::SplitText, args));
  }
  static std::string Show(const rt::ArgTriple& value) { return TakeText(Call(corelib::ToText, {value})); }

 private:
  int32_t blocksBefore_ = 0;
};

TEST_F(TextCommands, ReplaceTextTurnsDoubledSeparatorsIntoSingleOnes) {
  // The installer's folder: the chosen drive root "C:\" followed by "\Veltaro\会计从业资格".
  EXPECT_EQ(Replace({TextArg("C:\\\\Veltaro\\会计从业资格"), TextArg("\\\\"), TextArg("\\"), OmittedArg(), OmittedArg(),
                     rt::BoolArg(false)}),
            "C:\\Veltaro\\会计从业资格");
  EXPECT_EQ(Replace({TextArg("D:\\\\\\\\x\\\\y"), TextArg("\\\\"), TextArg("\\")}), "D:\\\\x\\y");
}

TEST_F(TextCommands, ReplaceTextNeverMatchesInsideAGbkCharacter) {
  // "乗\" holds two 0x5C bytes, but only the second is a "\" of its own.
  EXPECT_EQ(Replace({TextArg("乗\\a"), TextArg("\\a"), TextArg("X")}), "乗X");
  EXPECT_EQ(Replace({TextArg("乗a"), TextArg("\\a"), TextArg("X")}), "乗a");
  EXPECT_EQ(Replace({TextArg("C:\\乗\\\\b"), TextArg("\\\\"), TextArg("\\")}), "C:\\乗\\b");
  // Ignoring case folds ASCII letters only: the trail byte "a" of 乤 is no letter.
  EXPECT_EQ(Replace({TextArg("乤A丄"), TextArg("a"), TextArg("-")}), "乤-丄");
  EXPECT_EQ(Replace({TextArg("乤"), TextArg("丄"), TextArg("-")}), "乤");
}

TEST_F(TextCommands, ReplaceTextHonoursStartCountAndCase) {
  EXPECT_EQ(Replace({TextArg("a-b-c"), TextArg("-"), TextArg("+"), OmittedArg(), IntArg(1)}), "a+b-c");
  EXPECT_EQ(Replace({TextArg("a-b-c"), TextArg("-"), TextArg("+"), OmittedArg(), IntArg(-5)}), "a+b+c");
  EXPECT_EQ(Replace({TextArg("a-b-c"), TextArg("-"), TextArg("+"), OmittedArg(), IntArg(0)}), "a-b-c");
  EXPECT_EQ(Replace({TextArg("abab"), TextArg("a"), TextArg("x"), IntArg(2)}), "abxb");
  EXPECT_EQ(Replace({TextArg("abab"), TextArg("a"), TextArg("x"), IntArg(-3)}), "xbxb");
  EXPECT_EQ(Replace({TextArg("abc"), TextArg("a"), TextArg("x"), IntArg(4)}), "abc");
  EXPECT_EQ(Replace({TextArg("abc"), TextArg("c"), TextArg("x"), IntArg(3)}), "abx");
  // Case is ignored unless the sixth argument is true.
  EXPECT_EQ(Replace({TextArg("Abc"), TextArg("a"), TextArg("x")}), "xbc");
  EXPECT_EQ(Replace({TextArg("Abc"), TextArg("a"), TextArg("x"), OmittedArg(), OmittedArg(), rt::BoolArg(true)}),
            "Abc");
  EXPECT_EQ(Replace({TextArg("ABC abc"), TextArg("bC"), TextArg("_")}), "A_ a_");
}

TEST_F(TextCommands, ReplaceTextEdgeCases) {
  EXPECT_EQ(Replace({TextArg("a.b.c"), TextArg(".")}), "abc");           // replacement left out
  EXPECT_EQ(Replace({TextArg("aa"), TextArg("a"), TextArg("aa")}), "aaaa");  // replacement not searched again
  EXPECT_EQ(Replace({TextArg("aaa"), TextArg("aa"), TextArg("b")}), "ba");   // matches do not overlap
  EXPECT_EQ(Replace({TextArg("abc"), TextArg(""), TextArg("x")}), "abc");
  EXPECT_EQ(Replace({TextArg("abc"), TextArg(nullptr), TextArg("x")}), "abc");
  EXPECT_EQ(Replace({TextArg(""), TextArg("a"), TextArg("x")}), "");
  EXPECT_EQ(Replace({TextArg("abc"), TextArg("abc")}), "");  // all replaced: the empty text (null)
  EXPECT_EQ(Replace({TextArg("ab"), TextArg("abc"), TextArg("x")}), "ab");
  // A lone lead byte at the end ends the scan without reading past the text.
  EXPECT_EQ(Replace({TextArg("ab\x81"), TextArg("b"), TextArg("B")}), "aB\x81");
}

TEST_F(TextCommands, FindTextCountsPositionsFromOne) {
  EXPECT_EQ(Find({TextArg("abc"), TextArg("c")}), 3);
  EXPECT_EQ(Find({TextArg("aba"), TextArg("a"), IntArg(2)}), 3);
  EXPECT_EQ(Find({TextArg("aba"), TextArg("a"), IntArg(-4)}), 1);
  EXPECT_EQ(Find({TextArg("会计abc"), TextArg("b")}), 6);
  EXPECT_EQ(Find({TextArg("abc"), TextArg("d")}), -1);
  EXPECT_EQ(Find({TextArg("abc"), TextArg("c"), IntArg(4)}), -1);
  EXPECT_EQ(Find({TextArg("abc"), TextArg("abcd")}), -1);
}

TEST_F(TextCommands, FindTextWithEmptySearchOrText) {
  EXPECT_EQ(Find({TextArg("abc"), TextArg("")}), 1);
  EXPECT_EQ(Find({TextArg("abc"), TextArg(""), IntArg(3)}), 1);
  EXPECT_EQ(Find({TextArg("abc"), TextArg(""), IntArg(4)}), -1);
  EXPECT_EQ(Find({TextArg(""), TextArg("")}), -1);
  EXPECT_EQ(Find({TextArg(nullptr), TextArg("a")}), -1);
}

TEST_F(TextCommands, FindTextFoldsCaseOnlyForExactlyTrue) {
  EXPECT_EQ(Find({TextArg("xABC"), TextArg("bc")}), -1);
  EXPECT_EQ(Find({TextArg("xABC"), TextArg("bc"), OmittedArg(), rt::BoolArg(true)}), 3);
  EXPECT_EQ(Find({TextArg("xABC"), TextArg("bc"), OmittedArg(), rt::ArgTriple{2, 0, rt::kTypeBool}}), -1);
}

TEST_F(TextCommands, FindTextSkipsTrailBytes) {
  EXPECT_EQ(Find({TextArg("乗"), TextArg("\\")}), -1);
  EXPECT_EQ(Find({TextArg("乗\\"), TextArg("\\")}), 3);
  EXPECT_EQ(Find({TextArg("乤a"), TextArg("a")}), 3);
  EXPECT_EQ(Find({TextArg("乤A"), TextArg("a"), OmittedArg(), rt::BoolArg(true)}), 3);
  EXPECT_EQ(Find({TextArg("乤"), TextArg("丄"), OmittedArg(), rt::BoolArg(true)}), -1);
  EXPECT_EQ(Find({TextArg("x会计从业"), TextArg("从业")}), 6);
}

TEST_F(TextCommands, SplitTextCutsAtEachDelimiter) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Split({TextArg("a,,b,"), TextArg(",")}), (V{"a", "", "b"}));
  EXPECT_EQ(Split({TextArg("a,,b,")}), (V{"a", "", "b"}));  // delimiter left out: ","
  EXPECT_EQ(Split({TextArg(",a")}), (V{"", "a"}));
  EXPECT_EQ(Split({TextArg("a,b")}), (V{"a", "b"}));
  EXPECT_EQ(Split({TextArg("会计||从业||资格"), TextArg("||")}), (V{"会计", "从业", "资格"}));
  EXPECT_EQ(Split({TextArg("C:\\乗\\x"), TextArg("\\")}), (V{"C:", "乗", "x"}));
  EXPECT_EQ(Split({TextArg("A,a"), TextArg("A")}), (V{"", ",a"}));  // exact bytes, no folding
}

TEST_F(TextCommands, SplitTextLimitsAndEmptyCases) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Split({TextArg("a,b,c"), OmittedArg(), IntArg(2)}), (V{"a", "b"}));  // the rest is dropped
  EXPECT_EQ(Split({TextArg("a,b,c"), OmittedArg(), IntArg(3)}), (V{"a", "b", "c"}));
  EXPECT_EQ(Split({TextArg("a,b,c"), OmittedArg(), IntArg(1)}), (V{"a"}));
  EXPECT_EQ(Split({TextArg("a,b,c"), OmittedArg(), IntArg(0)}), V{});
  EXPECT_EQ(Split({TextArg("a,b,c"), OmittedArg(), IntArg(-2)}), V{});
  EXPECT_EQ(Split({TextArg(""), TextArg(",")}), V{});
  EXPECT_EQ(Split({TextArg("a,b"), TextArg("")}), (V{"a,b"}));
  EXPECT_EQ(Split({TextArg("abc"), TextArg(";")}), (V{"abc"}));
}

TEST_F(TextCommands, ToUpperCaseTouchesAsciiLettersOnly) {
  EXPECT_EQ(TakeText(Call(corelib::ToUpperCase, {TextArg("abc会计xyz{}@`")})), "ABC会计XYZ{}@`");
  EXPECT_EQ(TakeText(Call(corelib::ToUpperCase, {TextArg("乤a")})), "乤A");
  EXPECT_EQ(TakeText(Call(corelib::ToUpperCase, {TextArg("")})), "");
}

TEST_F(TextCommands, ToTextFormatsNumbers) {
  EXPECT_EQ(Show(IntArg(-5)), "-5");
  EXPECT_EQ(Show(testhost::ByteValueArg(200)), "200");
  EXPECT_EQ(Show(testhost::ShortArg(-3)), "-3");
  EXPECT_EQ(Show(testhost::LongArg(-9000000000LL)), "-9000000000");
  EXPECT_EQ(Show(testhost::FloatArg(3.14159274f)), "3.14159");
  EXPECT_EQ(Show(testhost::FloatArg(1.0f / 3)), "0.333333");
  EXPECT_EQ(Show(testhost::FloatArg(0.1f)), "0.1");  // rounded to 6 digits, not 0.100000001
  EXPECT_EQ(Show(testhost::DoubleArg(1.0 / 3)), "0.3333333333333");
  EXPECT_EQ(Show(testhost::DoubleArg(2.5)), "2.5");
  EXPECT_EQ(Show(testhost::DoubleArg(1e20)), "1e+20");
  EXPECT_EQ(Show(testhost::DoubleArg(123456789012345.0)), "1.234567890123e+14");
}

TEST_F(TextCommands, ToTextFormatsLogicalAndDateTime) {
  EXPECT_EQ(Show(rt::BoolArg(true)), "真");
  EXPECT_EQ(Show(rt::ArgTriple{7, 0, rt::kTypeBool}), "真");
  EXPECT_EQ(Show(rt::BoolArg(false)), "假");
  EXPECT_EQ(Show(testhost::DateArg(0)), "1899年12月30日");
  EXPECT_EQ(Show(testhost::DateArg(45000)), "2023年3月15日");
  EXPECT_EQ(Show(testhost::DateArg(45000.5)), "2023年3月15日12时");
  EXPECT_EQ(Show(testhost::DateArg(45000 + (14 * 60 + 30) / 1440.0)), "2023年3月15日14时30分");
  EXPECT_EQ(Show(testhost::DateArg(45000 + (1 * 3600 + 0 * 60 + 5) / 86400.0)), "2023年3月15日1时0分5秒");
  EXPECT_EQ(Show(testhost::DateArg(-1.25)), "1899年12月29日6时");
  EXPECT_EQ(Show(testhost::DateArg(60)), "1900年2月28日");
  EXPECT_EQ(Show(testhost::DateArg(61)), "1900年3月1日");
  EXPECT_EQ(Show(testhost::DateArg(1e9)), "9999年12月31日");  // clamped to the last day
}

TEST_F(TextCommands, ToTextOfArraysStopsAtTheFirstZero) {
  EXPECT_EQ(Show(testhost::ByteArray(std::string("AB\0CD", 5)).Arg()), "AB");
  EXPECT_EQ(Show(testhost::ByteArray(std::string("会计")).Arg()), "会计");
  EXPECT_EQ(Show(testhost::ByteArray(std::string()).Arg()), "");
  EXPECT_EQ(Show(rt::BytesArg(nullptr)), "");
  std::vector<uint32_t> ints = testhost::NumericArray<int32_t>({0x44434241, 0x45});
  EXPECT_EQ(Show(rt::ArgTriple{static_cast<uint32_t>(reinterpret_cast<uintptr_t>(ints.data())), 0,
                               rt::kTypeInt | rt::kArrayBit}),
            "ABCDE");
  std::vector<uint32_t> shorts = testhost::NumericArray<int16_t>({0x4241, 0x43});
  EXPECT_EQ(Show(rt::ArgTriple{static_cast<uint32_t>(reinterpret_cast<uintptr_t>(shorts.data())), 0,
                               rt::kTypeShort | rt::kArrayBit}),
            "ABC");
  // An array of texts is no numeric array.
  const char* texts[] = {"x"};
  uint32_t textArray[3] = {1, 1, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(texts[0]))};
  EXPECT_EQ(Show(rt::ArgTriple{static_cast<uint32_t>(reinterpret_cast<uintptr_t>(textArray)), 0,
                               rt::kTypeText | rt::kArrayBit}),
            "");
}

TEST_F(TextCommands, ToTextOfTextsAndOtherTypes) {
  EXPECT_EQ(Show(TextArg("会计 V4.6")), "会计 V4.6");
  EXPECT_EQ(Show(TextArg(nullptr)), "");
  EXPECT_EQ(Show(rt::WindowArg(0x52000001)), "");
  EXPECT_EQ(Show(OmittedArg()), "");
}

TEST_F(TextCommands, BitOrCombinesEveryArgument) {
  EXPECT_EQ(Call(corelib::BitOr, {IntArg(1), IntArg(2), IntArg(0x40)}).Int(), 0x43);
  EXPECT_EQ(Call(corelib::BitOr, {IntArg(0x30)}).Int(), 0x30);
  EXPECT_EQ(Call(corelib::BitOr, {IntArg(-1), IntArg(5)}).Int(), -1);
}

}  // namespace

namespace {

// The GBK scanning helpers that other libraries reuse.
TEST(GbkScanning, SeparatorsAreFoundOnlyAsCharactersOfTheirOwn) {
  const std::string ends = "C:\\乗";  // ends in the byte 0x5C, but as half of 乗
  EXPECT_FALSE(gbk::EndsWithAscii(ends.c_str(), ends.size(), '\\'));
  const std::string endsTwice = "C:\\乗\\";
  EXPECT_TRUE(gbk::EndsWithAscii(endsTwice.c_str(), endsTwice.size(), '\\'));
  EXPECT_FALSE(gbk::EndsWithAscii("", 0, '\\'));
  EXPECT_EQ(gbk::FindLastAscii(ends.c_str(), ends.size(), '\\'), 2u);
  const std::string none = "乗乗";
  EXPECT_EQ(gbk::FindLastAscii(none.c_str(), none.size(), '\\'), gbk::npos);
  // A lead byte without its trail byte counts as one byte and ends the text.
  const std::string cut = "a\x81";
  EXPECT_EQ(gbk::CharLength(cut.c_str(), 1, cut.size()), 1u);
  EXPECT_EQ(gbk::CharLength("乗", 0, 2), 2u);
}

}  // namespace
