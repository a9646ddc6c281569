// The readable window description: one window of the template region as UTF-8 text, parsed at
// build time into a tmpl::WindowTemplate (texts converted to GBK with iconv). Host-only.
//
// THE LANGUAGE
//
// One window per file. A line holds one statement; indentation is free; "#" starts a comment
// (outside quotes). Tokens are words (names, numbers), quoted texts, "=" and "/".
//   Numbers   decimal or 0x hexadecimal, optionally negative: 12, -1, 0x00FFCD97.
//   Texts     "..." or '...' in UTF-8, stored as GBK without terminator. Every byte between the
//             quotes is taken as it stands: a backslash is a backslash ("C:\Veltaro", "\\" is two),
//             and there are no escapes. A text that holds a double quote is written in single
//             quotes; line breaks come from a text file (<Property>-file). A character GBK lacks
//             is an error. The program description reads its quoted words by the same rule.
//   Logicals  true / false (also yes/no, on/off, 1/0).
//   Names     of keywords and properties are matched ignoring case, "-" and "_":
//             back-colour, BackColour and back_colour are the same property.
//
// Window header (before the first unit):
//   window 0x52010001                 the window id (required, first statement)
//   reserved 0x0068B0B0 0x19010005    the record's reserved words A and B (default 0 0)
//   text-a "..."   text-b "..."       the record's two texts (default empty)
//
// Units, in unit-list order (the first unit must be of type Window):
//   unit <id> <Type> "<name>"         starts a unit. Types: Window, EditBox, PicBox, CheckBox,
//                                     ProcessBar, Timer, PicBtn, TransLabel, PageControl, ZIP.
//   rect <left> <top> <width> <height>
//   parent <id> | window              containing unit (default: window, stored as 0)
//   flags visible disabled tabstop    any of the three, or none, or a number (default none)
//   tab-order <n>                     (default 0)
//   cursor hand | none | <Win32 id>   cursor block (hand = 32649); or: cursor file "x.cur"
//   tag "..."   remark "..."          (default empty)
//   shared-events <id>                shared-event link (default 0)
//   event <number> <Routine> | none   a binding; the routine name is resolved by the caller to
//                                     an offset from the code base; none stores -1
//   children <id> <id> / <id> ...     child list, appended to by every children line; "/" is a
//                                     page separator (a 0 entry) for a paged container
//   property-block none               store an empty property block (all defaults at run time);
//                                     no property may be given then. ZIP units always have none.
//   <Property> = <value>              a type-specific property (below); omitted ones keep their
//                                     stored defaults (PropertyBlocks.h)
//
// Property values by kind:
//   integer, choice, colour           a number; a colour may also be button-face (0xFF000000)
//   logical                           a logical
//   text                              a quoted text; <Property>-file = "path" reads the text from
//                                     a UTF-8 file instead (a BOM is dropped, lone LF becomes
//                                     CR LF, as edit controls want)
//   picture, icon, music              "path" of the file stored whole, or none
//   font                              default (no font), or any of: height <n> width <n>
//                                     escapement <n> orientation <n> weight <n> italic <n>
//                                     underline <n> strike-out <n> charset <n> out-precision <n>
//                                     clip-precision <n> quality <n> pitch-and-family <n>
//                                     face "<name>" (unnamed fields 0)
//   character (PasswordChar)          a number or a one-character text
// Paths are relative to the description file's folder.
//
// Properties by type (names as in the types' property lists):
//   Window      Caption Border BackColour BackPicture PictureMode Music PlayCount ControlBox
//               MaxButton MinButton Position Movable Icon EnterMovesFocus EscCloses F1OpensHelp
//               HelpFile HelpContext ShowInTaskbar DragAnywhere Shape AlwaysOnTop
//               KeepCaptionActive ClassName
//   EditBox     Content Border TextColour BackColour Font HideSelection MaxLength MultiLine
//               ScrollBars Alignment InputMode PasswordChar Conversion (also ConversionMode)
//               SpinnerMode SpinnerMin SpinnerMax SelStart SelLength AuxText1 AuxText2
//   PicBox      Border BackColour Picture DisplayMode Animate AuxText1 AuxText2
//   CheckBox    Picture PushLike Flat Caption TextOnLeft HAlign VAlign TextColour BackColour
//               Font Checked AuxText1 AuxText2
//   ProcessBar  Border Vertical Smooth Minimum Maximum Position
//   Timer       Interval
//   PicBtn      Kind Selected NormalPicture HotPicture PressedPicture DisabledPicture
//               TransparentColour
//   TransLabel  Caption Effect Font TextColour HAlign WordWrap VAlign
//   PageControl TabPosition Prop1 CurrentPage HideTabs Font TabHeight Prop11 Prop12 Prop13
//               Prop14..Prop17 (files) Prop20 Colour21 Colour22 Colour23 Colour30 Colour31
//               Colour32 Colour26 Colour27 Colour36 Prop40 Prop41 Prop45 Colour46 Colour47
//               Colour48 Prop6 Prop39 Prop54 NoTabFont Spare11 Spare12
//               Spare13 Spare14a Spare14b Spare14c; a Font other than default clears NoTabFont.
//               Tabs, one line each, in order:
//                 tab "<name>"                        the 23 values of an installer tab
//                 tab "<name>" values <23 numbers>    explicit values
//
// Example:
//   window 0x52010001
//   unit 0x06010000 Window ""
//     rect 50 50 508 352
//     flags visible
//     event 0 OnWindowCreated
//     caption = "Veltaro-会计从业安装"
//     border = 0
//   unit 0x16010007 PicBtn "安装按钮1"
//     rect 170 225 152 38
//     parent 0x16010004
//     flags visible
//     event 0 OnInstallClick
//     normal-picture = "pictures/install-normal.jpg"
//
// Errors are "<file>:<line>: <item>: <problem>", for example
//   InstallerWindow.desc:42: unit 0x16010007 "安装按钮1": unknown property 'colour' for PicBtn
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "window/template/TemplateModel.h"

namespace tmpl {

using RoutineResolver = std::function<bool(const std::string& routineName, int32_t& offset)>;
// Reads a whole file; false when it cannot be read.
using FileReader = std::function<bool(const std::string& path, std::string& bytes)>;

// Parses the description at `path`. Routine names go through resolveRoutine (false = unknown
// routine, an error). On success `out` holds the window; on failure `error` says where and why
// and `out` is unchanged. filesRead, when given, receives the description itself and every file
// it pulled in (pictures, texts), for build dependencies.
bool ParseWindowDescription(const std::string& path, const RoutineResolver& resolveRoutine, WindowTemplate& out,
                            std::string& error, std::vector<std::string>* filesRead);

// The same over text already in memory; `path` names it in messages and gives the folder that
// relative paths start from; readFile loads pictures and text files.
bool ParseWindowDescriptionText(const std::string& text, const std::string& path, const RoutineResolver& resolveRoutine,
                                const FileReader& readFile, WindowTemplate& out, std::string& error,
                                std::vector<std::string>* filesRead);

// Reads the quoted text that starts at line[at] (a '"' or a '\''): every byte up to the next
// quote of the same kind, as it stands. On success `at` is just past the closing quote; false
// when the text is not closed on its line.
bool ReadQuotedText(const std::string& line, size_t& at, std::string& text);

// UTF-8 to GBK (code page 936) with iconv; false when the input is not UTF-8 or has a character
// GBK lacks.
bool Utf8ToGbk(const std::string& utf8, std::string& gbk);

// Reads a whole file from disk.
bool ReadWholeFile(const std::string& path, std::string& bytes);

}  // namespace tmpl
