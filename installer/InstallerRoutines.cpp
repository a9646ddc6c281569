// The installer's start routine and event routines, as the window template binds them.
#include <windows.h>
#include "installer/InstallPath.h"
#include "installer/Installation.h"
#include "installer/InstallerIds.h"
#include "installer/ProgramCalls.h"
#include "program_pool.h"
#include "runtime/Runtime.h"

namespace installer {
namespace {

constexpr int32_t kStyleScheme = 1;
constexpr uint32_t kDropShadow = 0x00020000;  // CS_DROPSHADOW
constexpr int32_t kClassStyle = -26;          // GCL_STYLE

HWND MainWindow() { return GetWindowHandle(kWindow, kWindowUnit, 0x00010001); }

void ShowPage(Page page) { SetIntProperty(kPages, kCurrentPage, page); }

// The borderless window casts a shadow where the system draws them.
void AddDropShadow() {
  HWND window = MainWindow();
  uint32_t style = rt::CallDeclared(kGetClassLong, window, kClassStyle);
  rt::CallDeclared(kSetClassLong, window, kClassStyle, BitOr(style, kDropShadow));
}

// Installing needs the agreement: every install button follows the check box.
void FollowAgreement() {
  int32_t disabled = GetIntProperty(kAgreeBox, kCheckBoxChecked) ? 0 : 1;
  for (uint32_t button : {kInstallButton, kCustomInstallButton, kLicenceInstallButton}) SetIntProperty(button, kDisabled, disabled);
}

}  // namespace
}  // namespace installer

using namespace installer;

extern "C" {

int32_t VeltaroInstallerStart() {
  rt::MiscService(6);
  rt::OpenStartWindow(kWindow);
  rt::RunMessageLoop();
  rt::EndProgram(0);
}

void OnWindowCreated(const uint32_t*, int32_t, rt::EventResult*) {
  SetVisualStyle(kStyleScheme);
  AddDropShadow();
  FollowAgreement();
  ShowPage(kWelcomePage);
}

void OnCloseClick(const uint32_t*, int32_t, rt::EventResult*) {
  rt::CallDeclared(kPostMessage, MainWindow(), WM_CLOSE, 0, 0);
}

void OnCustomInstallLinkDown(const uint32_t*, int32_t, rt::EventResult*) { ShowPage(kCustomPage); }
void OnLicenceLinkDown(const uint32_t*, int32_t, rt::EventResult*) { ShowPage(kLicencePage); }
void OnCustomBackLinkDown(const uint32_t*, int32_t, rt::EventResult*) { ShowPage(kWelcomePage); }
void OnLicenceBackLinkDown(const uint32_t*, int32_t, rt::EventResult*) { ShowPage(kWelcomePage); }
void OnAgreeClick(const uint32_t*, int32_t, rt::EventResult*) { FollowAgreement(); }

void OnInstallClick(const uint32_t*, int32_t, rt::EventResult*) { Install(); }
void OnCustomInstallClick(const uint32_t*, int32_t, rt::EventResult*) { Install(); }
void OnLicenceInstallClick(const uint32_t*, int32_t, rt::EventResult*) { Install(); }

void OnBrowseClick(const uint32_t*, int32_t, rt::EventResult*) {
  std::string picked = BrowseForFolder(pool::Text(pool::BrowseTitle));
  if (picked.empty()) return;  // cancelled: the folder stays as it was
  SetTextProperty(kFolderBox, kEditContent, InstallFolderFor(picked));
}

void OnUnpackProgress(const uint32_t* args, int32_t wordCount, rt::EventResult*) {
  if (wordCount > 0) ShowProgress(static_cast<int32_t>(args[0]));
}

void OnFinishClick(const uint32_t*, int32_t, rt::EventResult*) {
  if (GetIntProperty(kStartProductBox, kCheckBoxChecked)) {
    std::string folder = GetTextProperty(kFolderBox, kEditContent);
    std::string quote = pool::Text(pool::Quote);
    RunProgram(quote + folder + pool::Text(pool::MainProgram) + quote, false, 2);
  }
  rt::CallDeclared(kPostMessage, MainWindow(), WM_CLOSE, 0, 0);
}

// The borderless window moves when its page backgrounds are dragged.
void OnPageMouseDown(const uint32_t*, int32_t, rt::EventResult*) {
  HWND window = MainWindow();
  ReleaseCapture();
  rt::CallDeclared(kSendMessage, window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

}  // extern "C"
