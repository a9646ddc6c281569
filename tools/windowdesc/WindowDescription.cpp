// Parser of the window description language (the language is documented in the header).
// The parse runs in two steps: statements are read line by line into pending units (generic
// fields at once, type-specific assignments kept with their line numbers); when a unit ends,
// its property block is built from its type's field table, so every error still names the
// line that caused it. Checks across units (ids, parents, children) run at the end.
#include "tools/windowdesc/WindowDescription.h"

#include <iconv.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <type_traits>

#include "window/template/PropertyBlocks.h"

namespace tmpl {

// ---- Text helpers -------------------------------------------------------------------------

bool Utf8ToGbk(const std::string& utf8, std::string& gbk) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  if (cd == iconv_t(-1)) return false;
  std::string out;
  out.resize(utf8.size() * 2 + 16);
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* o = &out[0];
  size_t outLeft = out.size();
  size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
  iconv_close(cd);
  if (r == size_t(-1) || inLeft != 0) return false;
  out.resize(out.size() - outLeft);
  gbk = std::move(out);
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  bytes.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  return !f.bad();
}

namespace {

// Lower case without '-' and '_': the form in which keywords and property names are compared.
std::string Norm(const std::string& s) {
  std::string n;
  for (char c : s) {
    if (c == '-' || c == '_') continue;
    n.push_back(c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c);
  }
  return n;
}

std::string Hex(uint32_t v) {
  char buf[16];
  snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

// ---- Tokens -------------------------------------------------------------------------------

struct Token {
  enum Kind { Word, Text, Equals, Slash } kind;
  std::string text;  // a word, or a text with its escapes resolved (still UTF-8)
};

}  // namespace

bool ReadQuotedText(const std::string& line, size_t& at, std::string& text) {
  const size_t end = line.find(line[at], at + 1);
  if (end == std::string::npos) return false;
  text = line.substr(at + 1, end - at - 1);
  at = end + 1;
  return true;
}

namespace {

bool Tokenize(const std::string& line, std::vector<Token>& out, std::string& problem) {
  out.clear();
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '=') {
      out.push_back({Token::Equals, "="});
      ++i;
    } else if (c == '/') {
      out.push_back({Token::Slash, "/"});
      ++i;
    } else if (c == '"' || c == '\'') {
      std::string text;
      if (!ReadQuotedText(line, i, text)) {
        problem = std::string("text not closed by '") + c + "'";
        return false;
      }
      out.push_back({Token::Text, text});
    } else {
      size_t start = i;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '#' &&
             line[i] != '=' && line[i] != '"' && line[i] != '\'' && line[i] != '/')
        ++i;
      out.push_back({Token::Word, line.substr(start, i - start)});
    }
  }
  return true;
}

std::string Describe(const Token& t) {
  switch (t.kind) {
    case Token::Text: return "\"" + t.text + "\"";
    default: return "'" + t.text + "'";
  }
}

// ---- Pending units ------------------------------------------------------------------------

struct Assignment {
  std::string key;   // normalised name
  std::string name;  // as written
  std::vector<Token> value;
  int line = 0;
};

struct TabLine {
  std::vector<Token> tokens;  // after the keyword
  int line = 0;
};

struct PendingUnit {
  UnitTemplate unit;
  uint32_t typeIndex = 0;
  std::string label;  // unit <id> "<name>" for messages
  int line = 0;
  std::vector<Assignment> assignments;
  std::vector<TabLine> tabs;
  bool noBlock = false;
  std::set<std::string> seen;  // single-use statements already given
};

struct Parser;
using BlockBuilder = bool (*)(Parser& p, PendingUnit& u, std::string& block);

struct TypeInfo {
  const char* name;
  uint32_t code;
  BlockBuilder build;  // null: the type has no property block
};

// ---- The parser ---------------------------------------------------------------------------

struct Parser {
  std::string path;
  std::string baseDir;
  const RoutineResolver& resolve;
  const FileReader& readFile;
  std::vector<std::string>* filesRead;
  int line = 0;
  std::string item;   // what the current statement belongs to
  std::string error;

  Parser(const std::string& p, const RoutineResolver& r, const FileReader& f, std::vector<std::string>* fr)
      : path(p), resolve(r), readFile(f), filesRead(fr) {
    size_t slash = p.find_last_of('/');
    baseDir = slash == std::string::npos ? "." : (slash == 0 ? "/" : p.substr(0, slash));
  }

  bool Fail(const std::string& problem) {
    error = path + ":" + std::to_string(line) + ": " + (item.empty() ? "" : item + ": ") + problem;
    return false;
  }

  // A number in [min, max]: decimal or 0x hexadecimal, optionally negative.
  bool Number(const Token& t, int64_t& v, int64_t min, int64_t max, const std::string& what) {
    if (t.kind != Token::Word) return Fail(what + ": expected a number, found " + Describe(t));
    const std::string& s = t.text;
    bool negative = !s.empty() && s[0] == '-';
    std::string digits = negative ? s.substr(1) : s;
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
      base = 16;
      digits = digits.substr(2);
    }
    bool good = !digits.empty();
    for (char c : digits)
      if (!(base == 16 ? isxdigit(static_cast<unsigned char>(c)) : isdigit(static_cast<unsigned char>(c)))) good = false;
    if (!good || digits.size() > 16) return Fail(what + ": '" + s + "' is not a number");
    errno = 0;
    long long magnitude = strtoll(digits.c_str(), nullptr, base);
    if (errno == ERANGE) return Fail(what + ": '" + s + "' is out of range");
    v = negative ? -magnitude : magnitude;
    if (v < min || v > max) return Fail(what + ": " + s + " is out of range");
    return true;
  }
  // A 32-bit value: anything from INT32_MIN to 0xFFFFFFFF, kept as its 32 bits.
  bool Word32(const Token& t, uint32_t& v, const std::string& what) {
    int64_t n;
    if (!Number(t, n, INT32_MIN, UINT32_MAX, what)) return false;
    v = uint32_t(n);
    return true;
  }
  bool Int32(const Token& t, int32_t& v, const std::string& what) {
    int64_t n;
    if (!Number(t, n, INT32_MIN, INT32_MAX, what)) return false;
    v = int32_t(n);
    return true;
  }
  bool Logical(const Token& t, int32_t& v, const std::string& what) {
    std::string n = t.kind == Token::Word ? Norm(t.text) : std::string();
    if (n == "true" || n == "yes" || n == "on" || n == "1") {
      v = 1;
    } else if (n == "false" || n == "no" || n == "off" || n == "0") {
      v = 0;
    } else {
      return Fail(what + ": expected true or false, found " + Describe(t));
    }
    return true;
  }
  bool Gbk(const Token& t, std::string& out, const std::string& what) {
    if (t.kind != Token::Text) return Fail(what + ": expected a quoted text, found " + Describe(t));
    if (!Utf8ToGbk(t.text, out)) return Fail(what + ": the text is not UTF-8 or has a character GBK lacks");
    return true;
  }
  std::string Resolve(const std::string& relative) const {
    return !relative.empty() && relative[0] == '/' ? relative : baseDir + "/" + relative;
  }
  bool File(const Token& t, std::string& bytes, const std::string& what) {
    if (t.kind != Token::Text) return Fail(what + ": expected a quoted file path, found " + Describe(t));
    std::string full = Resolve(t.text);
    if (!readFile(full, bytes)) return Fail(what + ": cannot read file '" + full + "'");
    if (filesRead) filesRead->push_back(full);
    return true;
  }
  // A UTF-8 text file as GBK: BOM dropped, lone LF made CR LF.
  bool TextFile(const Token& t, std::string& gbk, const std::string& what) {
    std::string raw;
    if (!File(t, raw, what)) return false;
    if (raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);
    std::string text;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r')) text.push_back('\r');
      text.push_back(raw[i]);
    }
    if (!Utf8ToGbk(text, gbk)) return Fail(what + ": file '" + Resolve(t.text) + "' is not UTF-8 or has a character GBK lacks");
    return true;
  }
  bool Font(const std::vector<Token>& v, std::string& out, const std::string& what) {
    if (v.size() == 1 && v[0].kind == Token::Word && Norm(v[0].text) == "default") {
      out.clear();
      return true;
    }
    if (v.empty()) return Fail(what + ": expected default or font fields (height, weight, charset, face ...)");
    LogFont f;
    for (size_t i = 0; i < v.size(); i += 2) {
      if (v[i].kind != Token::Word) return Fail(what + ": expected a font field name, found " + Describe(v[i]));
      std::string key = Norm(v[i].text);
      if (i + 1 >= v.size()) return Fail(what + ": font field '" + v[i].text + "' has no value");
      const Token& val = v[i + 1];
      std::string field = what + " " + v[i].text;
      int32_t n = 0;
      auto byteField = [&](uint8_t& b) {
        int64_t x;
        if (!Number(val, x, 0, 255, field)) return false;
        b = uint8_t(x);
        return true;
      };
      if (key == "face") {
        if (!Gbk(val, f.FaceName, field)) return false;
        if (f.FaceName.size() > 31) return Fail(field + ": a face name has at most 31 bytes");
      } else if (key == "height") {
        if (!Int32(val, n, field)) return false;
        f.Height = n;
      } else if (key == "width") {
        if (!Int32(val, n, field)) return false;
        f.Width = n;
      } else if (key == "escapement") {
        if (!Int32(val, n, field)) return false;
        f.Escapement = n;
      } else if (key == "orientation") {
        if (!Int32(val, n, field)) return false;
        f.Orientation = n;
      } else if (key == "weight") {
        if (!Int32(val, n, field)) return false;
        f.Weight = n;
      } else if (key == "italic") {
        if (!byteField(f.Italic)) return false;
      } else if (key == "underline") {
        if (!byteField(f.Underline)) return false;
      } else if (key == "strikeout") {
        if (!byteField(f.StrikeOut)) return false;
      } else if (key == "charset") {
        if (!byteField(f.CharSet)) return false;
      } else if (key == "outprecision") {
        if (!byteField(f.OutPrecision)) return false;
      } else if (key == "clipprecision") {
        if (!byteField(f.ClipPrecision)) return false;
      } else if (key == "quality") {
        if (!byteField(f.Quality)) return false;
      } else if (key == "pitchandfamily") {
        if (!byteField(f.PitchAndFamily)) return false;
      } else {
        return Fail(what + ": unknown font field '" + v[i].text + "'");
      }
    }
    out = f.Bytes();
    return true;
  }
};

// ---- Field tables -------------------------------------------------------------------------

enum class Kind { Int, Colour, Logical, Text, Picture, Font, Char16 };

// A field of a block type: its property name (the member's name), its kind, and an accessor
// that returns the member's address (typed by the kind; the macros below check the type).
template <class B>
struct Field {
  const char* name;
  Kind kind;
  void* (*get)(B& b);
};

#define VELTARO_FIELD(kindName, Type, member)                                                    \
  Field<B> {                                                                                     \
    #member, Kind::kindName, [](B& b) -> void* {                                                 \
      static_assert(std::is_same<decltype(B::member), Type>::value, #member " has another type"); \
      return &b.member;                                                                          \
    }                                                                                            \
  }
#define INT(m) VELTARO_FIELD(Int, int32_t, m)
#define LOG(m) VELTARO_FIELD(Logical, int32_t, m)
#define COL(m) VELTARO_FIELD(Colour, uint32_t, m)
#define TXT(m) VELTARO_FIELD(Text, std::string, m)
#define PIC(m) VELTARO_FIELD(Picture, std::string, m)
#define FNT(m) VELTARO_FIELD(Font, std::string, m)
#define CHR(m) VELTARO_FIELD(Char16, uint16_t, m)

template <class B>
bool ApplyValue(Parser& p, const Field<B>& f, const Assignment& a, bool fromFile, B& b) {
  const std::string what = "property '" + a.name + "'";
  const std::vector<Token>& v = a.value;
  void* member = f.get(b);
  auto* str = static_cast<std::string*>(member);  // only used by the text-like kinds
  if (f.kind == Kind::Font) return p.Font(v, *str, what);
  if (v.size() != 1) return p.Fail(what + ": expected one value, found " + std::to_string(v.size()));
  const Token& t = v[0];
  if (fromFile) return p.TextFile(t, *str, what);
  switch (f.kind) {
    case Kind::Int:
      return p.Int32(t, *static_cast<int32_t*>(member), what);
    case Kind::Logical:
      return p.Logical(t, *static_cast<int32_t*>(member), what);
    case Kind::Colour:
      if (t.kind == Token::Word && Norm(t.text) == "buttonface") {
        *static_cast<uint32_t*>(member) = 0xFF000000;
        return true;
      }
      return p.Word32(t, *static_cast<uint32_t*>(member), what);
    case Kind::Text:
      return p.Gbk(t, *str, what);
    case Kind::Picture:
      if (t.kind == Token::Word && Norm(t.text) == "none") {
        str->clear();
        return true;
      }
      return p.File(t, *str, what);
    case Kind::Char16: {
      auto& c = *static_cast<uint16_t*>(member);
      if (t.kind == Token::Text) {
        std::string g;
        if (!p.Gbk(t, g, what)) return false;
        if (g.size() == 1) {
          c = uint8_t(g[0]);
        } else if (g.size() == 2) {
          c = uint16_t(uint8_t(g[0]) | uint8_t(g[1]) << 8);
        } else {
          return p.Fail(what + ": expected one character");
        }
        return true;
      }
      int64_t n;
      if (!p.Number(t, n, 0, 0xFFFF, what)) return false;
      c = uint16_t(n);
      return true;
    }
    case Kind::Font:
      break;
  }
  return false;
}

// Applies every assignment of the unit through the type's table. Each property may be given once.
template <class B>
bool ApplyAll(Parser& p, PendingUnit& u, const std::vector<Field<B>>& table, const char* typeName, B& b,
              const std::function<void(const std::string& key)>& after = nullptr) {
  std::set<const void*> given;  // by member, so that an alias (ConversionMode) counts as its field
  for (const Assignment& a : u.assignments) {
    p.line = a.line;
    const Field<B>* field = nullptr;
    bool fromFile = false;
    for (const Field<B>& f : table)
      if (Norm(f.name) == a.key) field = &f;
    if (!field && a.key.size() > 4 && a.key.compare(a.key.size() - 4, 4, "file") == 0) {
      std::string base = a.key.substr(0, a.key.size() - 4);
      for (const Field<B>& f : table)
        if (Norm(f.name) == base && f.kind == Kind::Text) field = &f;
      fromFile = field != nullptr;
    }
    if (!field) return p.Fail("unknown property '" + a.name + "' for " + typeName);
    if (!given.insert(field->get(b)).second) return p.Fail("property '" + a.name + "' given twice");
    if (!ApplyValue(p, *field, a, fromFile, b)) return false;
    if (after) after(Norm(field->name));
  }
  return true;
}

bool NoTabs(Parser& p, PendingUnit& u, const char* typeName) {
  if (u.tabs.empty()) return true;
  p.line = u.tabs.front().line;
  return p.Fail(std::string("'tab' is only for PageControl units, not ") + typeName);
}

template <class B>
bool BuildSimple(Parser& p, PendingUnit& u, std::string& block, const std::vector<Field<B>>& table, const char* typeName) {
  if (!NoTabs(p, u, typeName)) return false;
  B b;
  if (!ApplyAll(p, u, table, typeName, b)) return false;
  block = b.Write();
  return true;
}

bool BuildWindow(Parser& p, PendingUnit& u, std::string& block) {
  using B = WindowBlock;
  static const std::vector<Field<B>> table = {
      TXT(Caption), INT(Border), COL(BackColour), PIC(BackPicture), INT(PictureMode), PIC(Music),
      INT(PlayCount), LOG(ControlBox), LOG(MaxButton), LOG(MinButton), INT(Position), LOG(Movable),
      PIC(Icon), LOG(EnterMovesFocus), LOG(EscCloses), LOG(F1OpensHelp), TXT(HelpFile), INT(HelpContext),
      LOG(ShowInTaskbar), LOG(DragAnywhere), INT(Shape), LOG(AlwaysOnTop), LOG(KeepCaptionActive),
      TXT(ClassName)};
  return BuildSimple(p, u, block, table, "Window");
}

bool BuildEditBox(Parser& p, PendingUnit& u, std::string& block) {
  using B = EditBoxBlock;
  static const std::vector<Field<B>> table = {
      TXT(Content), INT(Border), COL(TextColour), COL(BackColour), FNT(Font), LOG(HideSelection),
      INT(MaxLength), LOG(MultiLine), INT(ScrollBars), INT(Alignment), INT(InputMode), CHR(PasswordChar),
      INT(Conversion), INT(ConversionMode), INT(SpinnerMode), INT(SpinnerMin), INT(SpinnerMax),
      INT(SelStart), INT(SelLength), TXT(AuxText1), TXT(AuxText2)};
  return BuildSimple(p, u, block, table, "EditBox");
}

bool BuildPicBox(Parser& p, PendingUnit& u, std::string& block) {
  using B = PicBoxBlock;
  static const std::vector<Field<B>> table = {
      INT(Border), COL(BackColour), PIC(Picture), INT(DisplayMode), LOG(Animate), TXT(AuxText1),
      TXT(AuxText2)};
  return BuildSimple(p, u, block, table, "PicBox");
}

bool BuildCheckBox(Parser& p, PendingUnit& u, std::string& block) {
  using B = CheckBoxBlock;
  static const std::vector<Field<B>> table = {
      PIC(Picture), LOG(PushLike), LOG(Flat), TXT(Caption), LOG(TextOnLeft), INT(HAlign), INT(VAlign),
      COL(TextColour), COL(BackColour), FNT(Font), LOG(Checked), TXT(AuxText1), TXT(AuxText2)};
  return BuildSimple(p, u, block, table, "CheckBox");
}

bool BuildProcessBar(Parser& p, PendingUnit& u, std::string& block) {
  using B = ProcessBarBlock;
  static const std::vector<Field<B>> table = {
      INT(Border), INT(Vertical), INT(Smooth), INT(Minimum), INT(Maximum), INT(Position)};
  return BuildSimple(p, u, block, table, "ProcessBar");
}

bool BuildTimer(Parser& p, PendingUnit& u, std::string& block) {
  using B = TimerBlock;
  static const std::vector<Field<B>> table = {INT(Interval)};
  return BuildSimple(p, u, block, table, "Timer");
}

bool BuildPicBtn(Parser& p, PendingUnit& u, std::string& block) {
  using B = PicBtnBlock;
  static const std::vector<Field<B>> table = {
      INT(Kind), LOG(Selected), PIC(NormalPicture), PIC(HotPicture), PIC(PressedPicture),
      PIC(DisabledPicture), COL(TransparentColour)};
  return BuildSimple(p, u, block, table, "PicBtn");
}

bool BuildTransLabel(Parser& p, PendingUnit& u, std::string& block) {
  using B = TransLabelBlock;
  static const std::vector<Field<B>> table = {
      TXT(Caption), INT(Effect), FNT(Font), COL(TextColour), INT(HAlign), LOG(WordWrap), INT(VAlign)};
  return BuildSimple(p, u, block, table, "TransLabel");
}

bool BuildPageControl(Parser& p, PendingUnit& u, std::string& block) {
  using B = PageControlBlock;
  static const std::vector<Field<B>> table = {
      INT(TabPosition), INT(Prop1), INT(CurrentPage), INT(HideTabs), FNT(Font), INT(TabHeight), INT(Prop11),
      INT(Prop12), INT(Prop13), PIC(Prop14), PIC(Prop15), PIC(Prop16), PIC(Prop17), INT(Prop20),
      COL(Colour21), COL(Colour22), COL(Colour23), INT(Spare11), COL(Colour30), COL(Colour31), COL(Colour32),
      INT(Spare12), COL(Colour26), COL(Colour27), COL(Colour36), INT(Spare13), INT(Prop40), INT(Prop41),
      INT(Spare14a), INT(Spare14b), INT(Spare14c), INT(Prop45), COL(Colour46), COL(Colour47), COL(Colour48),
      INT(Prop6), INT(Prop39), INT(NoTabFont), INT(Prop54)};
  B b;
  bool fontGiven = false, flagGiven = false;
  if (!ApplyAll(p, u, table, "PageControl", b, [&](const std::string& key) {
        if (key == "font") fontGiven = true;
        if (key == "notabfont") flagGiven = true;
      }))
    return false;
  // A font set in the description is the tab font unless the flag is given explicitly.
  if (fontGiven && !flagGiven) b.NoTabFont = b.Font.empty() ? 1 : 0;
  for (const TabLine& t : u.tabs) {
    p.line = t.line;
    const std::vector<Token>& v = t.tokens;
    TabItem tab;
    if (v.empty()) return p.Fail("tab: expected a quoted name");
    if (!p.Gbk(v[0], tab.Name, "tab name")) return false;
    if (v.size() > 1) {
      if (v[1].kind != Token::Word || Norm(v[1].text) != "values")
        return p.Fail("tab: expected 'values' after the name, found " + Describe(v[1]));
      if (v.size() != 2 + tab.Values.size())
        return p.Fail("tab: expected 23 values, found " + std::to_string(v.size() - 2));
      for (size_t i = 0; i < tab.Values.size(); ++i)
        if (!p.Int32(v[2 + i], tab.Values[i], "tab value " + std::to_string(i + 1))) return false;
    }
    b.Tabs.push_back(tab);
  }
  block = b.Write();
  return true;
}

const TypeInfo kTypes[] = {
    {"Window", kTypeWindow, BuildWindow},         {"EditBox", kTypeEditBox, BuildEditBox},
    {"PicBox", kTypePicBox, BuildPicBox},         {"CheckBox", kTypeCheckBox, BuildCheckBox},
    {"ProcessBar", kTypeProcessBar, BuildProcessBar}, {"Timer", kTypeTimer, BuildTimer},
    {"PicBtn", kTypePicBtn, BuildPicBtn},         {"TransLabel", kTypeTransLabel, BuildTransLabel},
    {"PageControl", kTypePageControl, BuildPageControl}, {"ZIP", kTypeZip, nullptr},
};

// ---- Statements ---------------------------------------------------------------------------

struct Description {
  bool haveWindow = false;
  WindowTemplate window;
  std::set<std::string> headerSeen;
  std::vector<PendingUnit> units;
};

bool FinishUnit(Parser& p, PendingUnit& u) {
  const TypeInfo& type = kTypes[u.typeIndex];
  p.item = u.label;
  if (u.noBlock || !type.build) {
    if (!u.assignments.empty()) {
      p.line = u.assignments.front().line;
      return p.Fail(!type.build ? std::string("a ") + type.name + " unit has no properties"
                                : "properties given together with 'property-block none'");
    }
    if (!NoTabs(p, u, type.name)) return false;
    u.unit.propertyBlock.clear();
    return true;
  }
  return type.build(p, u, u.unit.propertyBlock);
}

bool Once(Parser& p, std::set<std::string>& seen, const std::string& key, const std::string& word) {
  if (!seen.insert(key).second) return p.Fail("'" + word + "' given twice");
  return true;
}

bool ExpectCount(Parser& p, const std::vector<Token>& t, size_t n, const std::string& usage) {
  if (t.size() != n) return p.Fail("expected: " + usage);
  return true;
}

bool UnitStatement(Parser& p, PendingUnit& u, const std::string& key, const std::vector<Token>& t) {
  UnitTemplate& unit = u.unit;
  const std::string& word = t[0].text;
  if (key == "rect") {
    if (!Once(p, u.seen, key, word) || !ExpectCount(p, t, 5, "rect <left> <top> <width> <height>")) return false;
    return p.Int32(t[1], unit.left, "left") && p.Int32(t[2], unit.top, "top") && p.Int32(t[3], unit.width, "width") &&
           p.Int32(t[4], unit.height, "height");
  }
  if (key == "parent") {
    if (!Once(p, u.seen, key, word) || !ExpectCount(p, t, 2, "parent <id> | window")) return false;
    if (t[1].kind == Token::Word && Norm(t[1].text) == "window") {
      unit.parent = 0;
      return true;
    }
    return p.Word32(t[1], unit.parent, "parent");
  }
  if (key == "flags") {
    if (!Once(p, u.seen, key, word)) return false;
    if (t.size() < 2) return p.Fail("expected: flags visible disabled tabstop | none | <number>");
    unit.flags = 0;
    if (t.size() == 2 && t[1].kind == Token::Word && !t[1].text.empty() &&
        (isdigit(static_cast<unsigned char>(t[1].text[0])) || t[1].text[0] == '-'))
      return p.Word32(t[1], unit.flags, "flags");
    for (size_t i = 1; i < t.size(); ++i) {
      std::string f = t[i].kind == Token::Word ? Norm(t[i].text) : std::string();
      if (f == "visible") unit.flags |= kFlagVisible;
      else if (f == "disabled") unit.flags |= kFlagDisabled;
      else if (f == "tabstop") unit.flags |= kFlagTabStop;
      else if (f == "none" && t.size() == 2) unit.flags = 0;
      else return p.Fail("unknown flag " + Describe(t[i]) + " (visible, disabled, tabstop or none)");
    }
    return true;
  }
  if (key == "taborder") {
    if (!Once(p, u.seen, key, word) || !ExpectCount(p, t, 2, "tab-order <number>")) return false;
    return p.Int32(t[1], unit.tabOrder, "tab-order");
  }
  if (key == "cursor") {
    if (!Once(p, u.seen, key, word)) return false;
    if (t.size() == 3 && t[1].kind == Token::Word && Norm(t[1].text) == "file") {
      std::string bytes;
      if (!p.File(t[2], bytes, "cursor file")) return false;
      unit.cursorBlock = MakeCursorBlock(kCursorFromFile) + bytes;
      return true;
    }
    if (!ExpectCount(p, t, 2, "cursor hand | none | <Win32 cursor id> | file \"path\"")) return false;
    std::string c = t[1].kind == Token::Word ? Norm(t[1].text) : std::string();
    if (c == "hand") {
      unit.cursorBlock = MakeCursorBlock(kCursorHand);
      return true;
    }
    if (c == "none") {
      unit.cursorBlock.clear();
      return true;
    }
    int32_t id;
    if (!p.Int32(t[1], id, "cursor")) return false;
    unit.cursorBlock = MakeCursorBlock(id);
    return true;
  }
  if (key == "tag" || key == "remark") {
    if (!Once(p, u.seen, key, word) || !ExpectCount(p, t, 2, key + " \"text\"")) return false;
    std::string& target = key == "tag" ? unit.tag : unit.remark;
    if (!p.Gbk(t[1], target, key)) return false;
    if (target.find('\0') != std::string::npos) return p.Fail(key + ": a zero-terminated text cannot hold a zero");
    return true;
  }
  if (key == "sharedevents") {
    if (!Once(p, u.seen, key, word) || !ExpectCount(p, t, 2, "shared-events <unit id>")) return false;
    return p.Word32(t[1], unit.sharedEventLink, "shared-events");
  }
  if (key == "event") {
    if (!ExpectCount(p, t, 3, "event <number> <Routine> | none")) return false;
    EventBinding b{0, -1};
    if (!p.Int32(t[1], b.event, "event number")) return false;
    for (const EventBinding& e : unit.events)
      if (e.event == b.event) return p.Fail("event " + t[1].text + " bound twice");
    if (t[2].kind != Token::Word) return p.Fail("event: expected a routine name or none, found " + Describe(t[2]));
    const std::string& routine = t[2].text;
    if (Norm(routine) == "none") {
      b.routineOffset = -1;
    } else if (isdigit(static_cast<unsigned char>(routine[0])) || routine[0] == '-') {
      if (!p.Int32(t[2], b.routineOffset, "routine offset")) return false;
    } else if (!p.resolve || !p.resolve(routine, b.routineOffset)) {
      return p.Fail("event " + t[1].text + ": unknown routine '" + routine + "'");
    }
    unit.events.push_back(b);
    return true;
  }
  if (key == "children") {
    if (t.size() < 2) return p.Fail("expected: children <id> ... with / between pages");
    for (size_t i = 1; i < t.size(); ++i) {
      if (t[i].kind == Token::Slash) {
        unit.children.push_back(0);
        continue;
      }
      uint32_t id;
      if (!p.Word32(t[i], id, "child")) return false;
      if (id == 0) return p.Fail("child: 0 is not a unit id (use / between pages)");
      unit.children.push_back(id);
    }
    return true;
  }
  if (key == "propertyblock") {
    if (!Once(p, u.seen, key, word)) return false;
    if (t.size() != 2 || t[1].kind != Token::Word || Norm(t[1].text) != "none")
      return p.Fail("expected: property-block none");
    u.noBlock = true;
    return true;
  }
  if (key == "tab") {
    u.tabs.push_back(TabLine{std::vector<Token>(t.begin() + 1, t.end()), p.line});
    return true;
  }
  return p.Fail("unknown statement '" + word + "'");
}

bool HeaderStatement(Parser& p, Description& d, const std::string& key, const std::vector<Token>& t) {
  const std::string& word = t[0].text;
  if (key == "reserved") {
    if (!Once(p, d.headerSeen, key, word) || !ExpectCount(p, t, 3, "reserved <word A> <word B>")) return false;
    return p.Word32(t[1], d.window.reservedA, "reserved A") && p.Word32(t[2], d.window.reservedB, "reserved B");
  }
  if (key == "texta" || key == "textb") {
    if (!Once(p, d.headerSeen, key, word) || !ExpectCount(p, t, 2, word + " \"text\"")) return false;
    return p.Gbk(t[1], key == "texta" ? d.window.textA : d.window.textB, word);
  }
  return p.Fail("unknown statement '" + word + "' (before the first unit only window, reserved, text-a, text-b)");
}

bool StartUnit(Parser& p, Description& d, const std::vector<Token>& t) {
  if (t.size() != 4 || t[2].kind != Token::Word || t[3].kind != Token::Text)
    return p.Fail("expected: unit <id> <Type> \"<name>\"");
  PendingUnit u;
  u.line = p.line;
  if (!p.Word32(t[1], u.unit.id, "unit id")) return false;
  u.label = "unit " + Hex(u.unit.id) + " \"" + t[3].text + "\"";
  p.item = u.label;
  bool found = false;
  for (size_t i = 0; i < sizeof kTypes / sizeof kTypes[0]; ++i)
    if (Norm(kTypes[i].name) == Norm(t[2].text)) {
      u.typeIndex = uint32_t(i);
      found = true;
    }
  if (!found)
    return p.Fail("unknown type '" + t[2].text +
                  "' (Window, EditBox, PicBox, CheckBox, ProcessBar, Timer, PicBtn, TransLabel, PageControl, ZIP)");
  u.unit.typeCode = kTypes[u.typeIndex].code;
  if (!p.Gbk(t[3], u.unit.name, "name")) return false;
  if (u.unit.name.find('\0') != std::string::npos) return p.Fail("name: a zero-terminated text cannot hold a zero");
  if (!IsValidId(u.unit.id)) return p.Fail("unit id " + t[1].text + " is not a valid id");
  d.units.push_back(std::move(u));
  return true;
}

bool Statement(Parser& p, Description& d, const std::vector<Token>& t) {
  if (t[0].kind != Token::Word) return p.Fail("a statement starts with a word, not " + Describe(t[0]));
  const std::string key = Norm(t[0].text);
  if (key == "window") {
    p.item.clear();
    if (d.haveWindow) return p.Fail("a description holds one window; 'window' given twice");
    if (!d.units.empty()) return p.Fail("'window' must come before the units");
    if (!ExpectCount(p, t, 2, "window <id>") || !p.Word32(t[1], d.window.id, "window id")) return false;
    if (!IsValidId(d.window.id)) return p.Fail("window id " + t[1].text + " is not a valid id");
    d.haveWindow = true;
    p.item = "window " + Hex(d.window.id);
    return true;
  }
  if (!d.haveWindow) return p.Fail("the description must start with 'window <id>'");
  if (key == "unit") {
    if (!d.units.empty() && !FinishUnit(p, d.units.back())) return false;
    return StartUnit(p, d, t);
  }
  if (d.units.empty()) {
    if (t.size() >= 2 && t[1].kind == Token::Equals) return p.Fail("property '" + t[0].text + "' outside a unit");
    return HeaderStatement(p, d, key, t);
  }
  PendingUnit& u = d.units.back();
  p.item = u.label;
  if (t.size() >= 2 && t[1].kind == Token::Equals) {
    if (t.size() < 3) return p.Fail("property '" + t[0].text + "' has no value");
    u.assignments.push_back(Assignment{key, t[0].text, std::vector<Token>(t.begin() + 2, t.end()), p.line});
    return true;
  }
  return UnitStatement(p, u, key, t);
}

// Checks across units: the first is the window unit, ids are unique, parents and children exist.
bool CheckWindow(Parser& p, Description& d) {
  p.item = "window " + Hex(d.window.id);
  if (d.units.empty()) return p.Fail("the window has no units (the first unit must be of type Window)");
  if (d.units[0].unit.typeCode != kTypeWindow) {
    p.line = d.units[0].line;
    return p.Fail("the first unit must be of type Window");
  }
  std::set<uint32_t> ids;
  for (const PendingUnit& u : d.units) {
    p.line = u.line;
    p.item = u.label;
    if (!ids.insert(u.unit.id).second) return p.Fail("unit id " + Hex(u.unit.id) + " used twice");
    if (&u != &d.units[0] && u.unit.typeCode == kTypeWindow) return p.Fail("only the first unit may be of type Window");
  }
  for (const PendingUnit& u : d.units) {
    p.line = u.line;
    p.item = u.label;
    if (u.unit.parent != 0 && !ids.count(u.unit.parent)) return p.Fail("parent " + Hex(u.unit.parent) + " is not a unit");
    if (u.unit.parent == u.unit.id) return p.Fail("a unit cannot be its own parent");
    for (uint32_t c : u.unit.children)
      if (c != 0 && !ids.count(c)) return p.Fail("child " + Hex(c) + " is not a unit");
  }
  return true;
}

}  // namespace

bool ParseWindowDescriptionText(const std::string& text, const std::string& path, const RoutineResolver& resolveRoutine,
                                const FileReader& readFile, WindowTemplate& out, std::string& error,
                                std::vector<std::string>* filesRead) {
  Parser p(path, resolveRoutine, readFile, filesRead);
  Description d;
  std::istringstream in(text);
  std::string line;
  std::vector<Token> tokens;
  while (std::getline(in, line)) {
    ++p.line;
    if (p.line == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    std::string problem;
    if (!Tokenize(line, tokens, problem)) {
      error = path + ":" + std::to_string(p.line) + ": " + problem;
      return false;
    }
    if (tokens.empty()) continue;
    if (!Statement(p, d, tokens)) {
      error = p.error;
      return false;
    }
  }
  int lastLine = p.line;
  if (!d.haveWindow) {
    p.line = lastLine;
    p.Fail("the description has no 'window <id>'");
    error = p.error;
    return false;
  }
  if ((!d.units.empty() && !FinishUnit(p, d.units.back())) || !CheckWindow(p, d)) {
    error = p.error;
    return false;
  }
  d.window.units.clear();
  for (PendingUnit& u : d.units) d.window.units.push_back(std::move(u.unit));
  out = std::move(d.window);
  return true;
}

bool ParseWindowDescription(const std::string& path, const RoutineResolver& resolveRoutine, WindowTemplate& out,
                            std::string& error, std::vector<std::string>* filesRead) {
  std::string text;
  if (!ReadWholeFile(path, text)) {
    error = path + ": cannot read the window description";
    return false;
  }
  if (filesRead) filesRead->push_back(path);
  return ParseWindowDescriptionText(text, path, resolveRoutine, ReadWholeFile, out, error, filesRead);
}

}  // namespace tmpl
