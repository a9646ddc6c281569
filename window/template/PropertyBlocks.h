// The property blocks of the installer's unit types (the core types, TransLabel and PageControl;
// the ZIP unit has none) as plain structs.
// Host-neutral (no Win32): the image build tool writes blocks with these, the types read them.
//
// Every struct has one field per stored property, named after the type's property list, with
// the stored default as its member initialiser. Common rules:
//   Read(data, size): an empty block (size 0) gives the defaults; a version above the type's
//     maximum (or below its minimum) or a block shorter than its version needs fails. Bytes after
//     the last field are ignored, as the original stream reader does. On failure the struct is
//     left unchanged; on success every field is replaced (fields the version lacks get defaults).
//   Write(): the stored format at the type's maximum version.
// Integers are int32 as stored; logical values stay int32 (the property reads 1 only when the
// stored value is exactly 1). Colours are uint32 COLORREF values, 0xFF000000 = button face.
// Pictures, icons and music are the raw bytes of a complete file (empty = none); texts are raw
// GBK bytes without terminator; fonts are 0 or 60 bytes (LogFont below), any other length
// meaning the default GUI font.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tmpl {

// The 60-byte logical-font record for ANSI text (Win32 LOGFONTA layout), built and parsed
// without Win32. Field names follow LOGFONTA without the lf prefix.
struct LogFont {
  int32_t Height = 0;          // cell or character height in logical units (negative: character)
  int32_t Width = 0;           // average character width, 0 = from the height
  int32_t Escapement = 0;      // tenths of a degree
  int32_t Orientation = 0;     // tenths of a degree
  int32_t Weight = 0;          // 400 normal, 700 bold, 0 default
  uint8_t Italic = 0;          // non-zero: italic
  uint8_t Underline = 0;       // non-zero: underlined
  uint8_t StrikeOut = 0;       // non-zero: struck out
  uint8_t CharSet = 0;         // 134 = GB2312
  uint8_t OutPrecision = 0;    // output precision
  uint8_t ClipPrecision = 0;   // clipping precision
  uint8_t Quality = 0;         // output quality
  uint8_t PitchAndFamily = 0;  // pitch and family
  std::string FaceName;        // GBK, at most 31 bytes are stored (zero-terminated in 32)

  static constexpr size_t kSize = 60;
  std::string Bytes() const;                                // exactly 60 bytes
  static bool Parse(const std::string& bytes, LogFont& out);  // false unless exactly 60 bytes
};

struct WindowBlock {  // 0x00010001, maximum version 6
  static constexpr int32_t kMaxVersion = 6;
  std::string Caption;                  // k 0, text32
  int32_t Border = 2;                   // k 1: 0 none ... 6 fixed with client edge
  uint32_t BackColour = 0xFF000000;     // k 2
  std::string BackPicture;              // k 3
  int32_t PictureMode = 1;              // k 4
  std::string Music;                    // k 5
  int32_t PlayCount = 0;                // k 6
  int32_t ControlBox = 1;               // k 7
  int32_t MaxButton = 0;                // k 8
  int32_t MinButton = 1;                // k 9
  int32_t Position = 1;                 // k 10: 1 centred, 2 minimised, 3 maximised
  int32_t Movable = 1;                  // k 11
  std::string Icon;                     // k 12
  int32_t EnterMovesFocus = 0;          // k 13
  int32_t EscCloses = 1;                // k 14
  int32_t F1OpensHelp = 0;              // k 15
  std::string HelpFile;                 // k 16, text32
  int32_t HelpContext = 0;              // k 17
  int32_t ShowInTaskbar = 1;            // k 18, version > 1
  int32_t DragAnywhere = 0;             // k 19, version > 2
  int32_t Shape = 0;                    // k 20, version > 2
  int32_t AlwaysOnTop = 0;              // k 21, version > 3
  int32_t KeepCaptionActive = 0;        // k 22, version > 4
  std::string ClassName;                // k 23, version 6; empty = KVWindow

  bool Read(const uint8_t* data, size_t size);
  std::string Write() const;
};

struct EditBoxBlock {  // 0x00010005, maximum version 2
  static constexpr int32_t kMaxVersion = 2;
  std::string Content;                  // k 0, text32
  int32_t Border = 1;                   // k 1
  uint32_t TextColour = 0;              // k 2
  uint32_t BackColour = 0x00FFFFFF;     // k 3
  std::string Font;                     // k 4
  int32_t HideSelection = 1;            // k 5
  int32_t MaxLength = 0;                // k 6
  int32_t MultiLine = 0;                // k 7
  int32_t ScrollBars = 0;               // k 8: 1 horizontal, 2 vertical, 3 both
  int32_t Alignment = 0;                // k 9: 0 left, 1 centre, 2 right
  int32_t InputMode = 0;                // k 10: 1 read-only, 2 password
  uint16_t PasswordChar = 42;           // k 11, stored as 16 bits ('*')
  union {                               // k 12 `Conversion`: 1 lower case, 2 upper case
    int32_t Conversion = 0;
    int32_t ConversionMode;             // the same field under its descriptive name
  };
  int32_t SpinnerMode = 0;              // k 13
  int32_t SpinnerMin = 0;               // k 14
  int32_t SpinnerMax = 100;             // k 15
  int32_t SelStart = 0;                 // k 16
  int32_t SelLength = 0;                // k 17
  std::string AuxText1;                 // k 19 (kind 1018), version 2
  std::string AuxText2;                 // k 20 (kind 1020), version 2

  bool Read(const uint8_t* data, size_t size);
  std::string Write() const;
};

struct PicBoxBlock {  // 0x00010006, maximum version 2
  static constexpr int32_t kMaxVersion = 2;
  int32_t Border = 0;                   // k 0: 0 none ... 5 single line
  uint32_t BackColour = 0xFF000000;     // k 1
  std::string Picture;                  // k 2
  int32_t DisplayMode = 0;              // k 3
  int32_t Animate = 1;                  // k 4
  std::string AuxText1;                 // k 5, version 2
  std::string AuxText2;                 // k 6, version 2

  bool Read(const uint8_t* data, size_t size);
  std::string Write() const;
};

struct CheckBoxBlock {  // 0x0001000C, maximum version 2
  static constexpr int32_t kMaxVersion = 2;
  std::string Picture;                  // k 0
  int32_t PushLike = 0;                 // k 1
  int32_t Flat = 0;                     // k 2
  std::string Caption = "\xD1\xA1\xD4\xF1\xBF\xF2";  // k 3, "选择框" in GBK
  int32_t TextOnLeft = 0;               // k 4
  int32_t HAlign = 0;                   // k 5: 0 left, 1 centre, 2 right
  int32_t VAlign = 1;                   // k 6: 0 top, 1 centre, 2 bottom
  uint32_t TextColour = 0;              // k 7
  uint32_t BackColour = 0xFF000000;     // k 8
  std::string Font;                     // k 9
  int32_t Checked = 0;                  // k 10
  std::string AuxText1;                 // k 11, version 2
  std::string AuxText2;                 // k 12, version 2

  bool Read(const uint8_t* data, size_t size);
  std::string Write() const;
};

struct ProcessBarBlock {  // 0x00010013, maximum version 1
  static constexpr int32_t kMaxVersion = 1;
  int32_t Border = 3;                   // k 0
  int32_t Vertical = 0;                 // k 1
  int32_t Smooth = 0;                   // k 2
  int32_t Minimum = 0;                  // k 3
  int32_t Maximum = 100;                // k 4
  int32_t Position = 0;                 // k 5

  bool Read(const uint8_t* data, size_t size);
  std::string Write() const;
};

struct TimerBlock {  // 0x00010020, maximum version 1
  static constexpr int32_t kMaxVersion = 1;
  int32_t Interval = 0;                 // k 0, milliseconds; 0 stops the timer

  bool Read(const uint8_t* data, size_t size);
  std::string Write() const;
};

struct PicBtnBlock {  // 0x0001002D, maximum version 1
  static constexpr int32_t kMaxVersion = 1;
  int32_t Kind = 0;                     // k 0: 0 push button, 1 two-state button
  int32_t Selected = 0;                 // k 1
  std::string NormalPicture;            // k 2
  std::string HotPicture;               // k 3
  std::string PressedPicture;           // k 4
  std::string DisabledPicture;          // k 5
  uint32_t TransparentColour = 0xFF000000;  // k 6; 0xFF000000 = no region

  bool Read(const uint8_t* data, size_t size);
  std::string Write() const;
};

struct TransLabelBlock {  // 0x00030005 (WidgetLib1 5), version 0 or 1, written as 1
  static constexpr int32_t kMaxVersion = 1;
  std::string Caption = "\xCD\xB8\xC3\xF7\xB1\xEA\xC7\xA9";  // k 0, "透明标签" in GBK
  int32_t Effect = 0;                   // k 1: 0..3
  std::string Font;                     // k 2
  uint32_t TextColour = 0;              // k 3
  int32_t HAlign = 0;                   // k 4: 0 left, 1 centre, 2 right
  int32_t WordWrap = 0;                 // k 5
  int32_t VAlign = 1;                   // k 6: 0 top, 1 middle, 2 bottom

  bool Read(const uint8_t* data, size_t size);
  std::string Write() const;
};

// One tab of the page control: its name and 23 int32 values whose meaning is left open
// (left open by the format); the initialiser holds the values every installer tab carries.
struct TabItem {
  std::string Name;  // GBK
  std::array<int32_t, 23> Values = {-1, -1, -1, -1, 0, 0, 0, -1, -1, -1, -1, -1,
                                    -1, -1, -1, 0,  1, 1, 0, 0, 0, 0, 0};
};

struct PageControlBlock {  // 0x00020002 (WidgetLib3 2), version 1..7, written as 7
  static constexpr int32_t kMinVersion = 1;
  static constexpr int32_t kMaxVersion = 7;
  static constexpr int32_t kTabsFormatVersion = 3;
  // Fields in stream order; "PropN" is own property N where the format leaves the meaning open,
  // "SpareN" an int32 that is read and kept (so a re-write is byte-identical), never interpreted.
  int32_t TabPosition = 1;              // (0) field 2
  int32_t Prop1 = 1;                    // (1)
  int32_t CurrentPage = -1;             // (4) stored current page; -1 = none
  int32_t HideTabs = 0;                 // (5)
  std::string Font;                     // (2) 60 bytes as stored (empty writes 60 zero bytes)
  int32_t TabsFormatVersion = kTabsFormatVersion;  // (3) first int32 of the tab items
  std::vector<TabItem> Tabs;            // (3) one per page
  int32_t TabHeight = 20;               // (10)
  int32_t Prop11 = 1;                   // (11)
  int32_t Prop12 = 0;                   // (12)
  int32_t Prop13 = 0;                   // (13)
  std::string Prop14, Prop15, Prop16, Prop17;  // (14..17) image lists and background picture
  int32_t Prop20 = 0;                   // (20)
  uint32_t Colour21 = 0xFF000000;       // (21)
  uint32_t Colour22 = 0xFF000000;       // (22)
  uint32_t Colour23 = 0xFF000000;       // (23)
  int32_t Spare11 = 0;
  uint32_t Colour30 = 0;                // (30)
  uint32_t Colour31 = 0x0000FF;         // (31)
  uint32_t Colour32 = 0xFF0000;         // (32)
  int32_t Spare12 = 0;
  uint32_t Colour26 = 0xFF000000;       // (26)
  uint32_t Colour27 = 0xB4A791;         // (27)
  uint32_t Colour36 = 0xFF000000;       // (36)
  int32_t Spare13 = 0;
  int32_t Prop40 = 0;                   // (40)
  int32_t Prop41 = 0;                   // (41)
  int32_t Spare14a = 0, Spare14b = 0, Spare14c = 0;
  int32_t Prop45 = 0;                   // (45) version 2+
  uint32_t Colour46 = 0xECECEC;         // (46) version 2+
  uint32_t Colour47 = 0xECECEC;         // (47) version 2+
  uint32_t Colour48 = 0xECECEC;         // (48) version 2+
  int32_t Prop6 = 0;                    // (6) version 3+
  int32_t Prop39 = 0;                   // (39) version 5+
  int32_t NoTabFont = 1;                // version 6+: 1 when no tab font is set
  int32_t Prop54 = 0;                   // (54) version 7+

  // The tab font to use: the 60 bytes when a font is set, else empty (default GUI font).
  std::string TabFont() const { return NoTabFont == 0 && Font.size() == 60 ? Font : std::string(); }
  // Encodes Tabs with TabsFormatVersion (the bytes of field 7) / parses them.
  std::string WriteTabs() const;
  static bool ReadTabs(const std::string& bytes, int32_t& formatVersion, std::vector<TabItem>& tabs);

  bool Read(const uint8_t* data, size_t size);
  std::string Write() const;
};

// Convenience overloads for blocks held in std::string.
template <typename Block>
inline bool ReadBlock(const std::string& bytes, Block& out) {
  return out.Read(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace tmpl
