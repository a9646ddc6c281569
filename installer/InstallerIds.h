// The installer window's units by id, and the property indices its routines use.
#pragma once
#include <cstdint>

namespace installer {

constexpr uint32_t kWindow = 0x52010001;
constexpr uint32_t kWindowUnit = 0;  // the window itself

constexpr uint32_t kPages = 0x16010003;  // "高级选择夹1"
enum Page : int32_t { kWelcomePage = 0, kCustomPage = 1, kProgressPage = 2, kFinishPage = 3, kLicencePage = 4 };

// Page 1: welcome
constexpr uint32_t kAgreeBox = 0x1601000E;        // "选择框1"
constexpr uint32_t kInstallButton = 0x16010007;   // "安装按钮1"
// Page 2: custom installation
constexpr uint32_t kFolderBox = 0x16010017;          // "编辑框1"
constexpr uint32_t kDesktopBox = 0x16010011;         // "选择框2": desktop icon
constexpr uint32_t kStartMenuBox = 0x16010013;       // "选择框3": Start-menu group
constexpr uint32_t kQuickLaunchBox = 0x16010015;     // "选择框4": quick-launch bar
constexpr uint32_t kCustomInstallButton = 0x1601000B;  // "安装按钮2"
// Page 3: progress
constexpr uint32_t kPercentLabel = 0x16010111;  // "透明标签13"
constexpr uint32_t kZipUnit = 0x160100EF;       // "ZIP压缩1"
constexpr uint32_t kProgressBar = 0x1601002F;   // "进度条1"
// Page 4: finish
constexpr uint32_t kStartProductBox = 0x160100EC;  // "选择框5"
// Page 5: licence
constexpr uint32_t kLicenceInstallButton = 0x1601011E;  // "小安装按钮"

constexpr uint32_t kZipType = 0x00060001;

// Property indices: 0 to 7 are common to every unit, 8 + k the type's own property k.
enum Property : int32_t {
  kVisible = 5,
  kDisabled = 6,
  kEditContent = 8,         // EditBox 0
  kCheckBoxChecked = 18,    // CheckBox 10
  kLabelCaption = 8,        // TransLabel 0
  kProgressPosition = 13,   // ProcessBar 5
  kCurrentPage = 12,        // PageControl 4
};

// Declared Win32 functions, by their index in the program's table.
enum Declared : uint32_t { kPostMessage = 0, kGetClassLong = 1, kSetClassLong = 2, kSendMessage = 3, kGetDiskFreeSpace = 4 };

}  // namespace installer
