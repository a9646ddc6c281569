#include "window/WindowUnit.h"
#include "runtime/Runtime.h"
#include "window/BlockFields.h"
#include "window/EngineMessages.h"
#include "window/Events.h"
#include "window/FontValue.h"
#include "window/ModalLoop.h"
#include "window/UnitSupport.h"
#include "window/PreTranslation.h"
#include "window/UnitType.h"
#include "window/WindowStore.h"

namespace window {
namespace {

using Stored = tmpl::WindowBlock;

// Own properties, by number.
enum WindowProperty : int32_t {
  kCaption = 0, kBorder, kBackColour, kBackPicture, kPictureMode, kMusic, kPlayCount, kControlBox,
  kMaxButton, kMinButton, kPosition, kMovable, kIcon, kEnterMovesFocus, kEscCloses, kF1OpensHelp,
  kHelpFile, kHelpContext, kShowInTaskbar, kDragAnywhere, kShape, kAlwaysOnTop, kKeepCaptionActive,
  kClassName,
};

const BlockField<Stored> kFields[] = {
    BytesField(&Stored::Caption),        NumberField(&Stored::Border),        ColourField(&Stored::BackColour),
    BytesField(&Stored::BackPicture),    NumberField(&Stored::PictureMode),   BytesField(&Stored::Music),
    NumberField(&Stored::PlayCount),     NumberField(&Stored::ControlBox),    NumberField(&Stored::MaxButton),
    NumberField(&Stored::MinButton),     NumberField(&Stored::Position),      NumberField(&Stored::Movable),
    BytesField(&Stored::Icon),           NumberField(&Stored::EnterMovesFocus), NumberField(&Stored::EscCloses),
    NumberField(&Stored::F1OpensHelp),   BytesField(&Stored::HelpFile),       NumberField(&Stored::HelpContext),
    NumberField(&Stored::ShowInTaskbar), NumberField(&Stored::DragAnywhere),  NumberField(&Stored::Shape),
    NumberField(&Stored::AlwaysOnTop),   NumberField(&Stored::KeepCaptionActive), BytesField(&Stored::ClassName),
};

// Frame of each border value: 0 none, 1 sizable, 2 fixed, 3 sizable tool window, 4 fixed tool
// window, 5 sizable with client edge, 6 fixed with client edge.
struct WindowBorder {
  DWORD style;    // normal style bits
  DWORD exStyle;  // extended style bits
};
const WindowBorder kBorders[] = {
    {0, 0},
    {WS_CAPTION | WS_THICKFRAME, 0},
    {WS_CAPTION, 0},
    {WS_CAPTION | WS_THICKFRAME, WS_EX_TOOLWINDOW},
    {WS_CAPTION, WS_EX_TOOLWINDOW},
    {WS_CAPTION | WS_THICKFRAME, WS_EX_CLIENTEDGE},
    {WS_CAPTION, WS_EX_CLIENTEDGE},
};
constexpr DWORD kFrameStyles = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_POPUP;
constexpr DWORD kFrameExStyles = WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE;

enum PositionValue : int32_t { kCentred = 1, kMinimised = 2, kMaximised = 3 };

// Back-picture placement: 0 at the top-left corner, 1 tiled, 2 centred, 3 stretched.
enum PictureModeValue : int32_t { kPictureTopLeft = 0, kPictureTiled = 1, kPictureCentred = 2, kPictureStretched = 3 };

bool nextWindowModal = false;

WindowBorder BorderOf(int32_t border) {
  if (border < 0 || border >= int32_t(sizeof kBorders / sizeof kBorders[0])) return kBorders[0];
  return kBorders[border];
}

bool IsSizable(int32_t border) { return border == 1 || border == 3 || border == 5; }

DWORD FrameStyle(const Stored& block, bool popup) {
  DWORD style = BorderOf(block.Border).style;
  if (block.Border != 0 && block.ControlBox) style |= WS_SYSMENU;
  if (block.MaxButton) style |= WS_MAXIMIZEBOX;
  if (block.MinButton) style |= WS_MINIMIZEBOX;
  // A top-level window without a border would otherwise be given a caption by the system.
  if (popup || block.Border == 0) style |= WS_POPUP;
  return style;
}

DWORD CreationStyle(const Stored& block, bool popup) {
  DWORD style = WS_CLIPCHILDREN | FrameStyle(block, popup);
  if (block.Position == kMinimised) style |= WS_MINIMIZE;
  if (block.Position == kMaximised && IsSizable(block.Border)) style |= WS_MAXIMIZE;
  return style;
}

POINT CreationPlace(const Stored& block, const rt::UnitCreateArgs& args) {
  if (block.Position != kCentred) return {args.left, args.top};
  return {(GetSystemMetrics(SM_CXSCREEN) - args.width) / 2, (GetSystemMetrics(SM_CYSCREEN) - args.height) / 2};
}

HWND OwnerOf(const Stored& block, HWND parent, bool modal) {
  if (parent) return parent;
  if (!block.ShowInTaskbar || modal) return static_cast<HWND>(rt::HiddenOwner());
  return nullptr;
}

uint32_t Word(const void* pointer) { return uint32_t(reinterpret_cast<uintptr_t>(pointer)); }

BOOL CALLBACK InvalidateTransparentChild(HWND child, LPARAM) {
  if (IsWindowVisible(child) && (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_TRANSPARENT))
    InvalidateRect(child, nullptr, TRUE);
  return TRUE;
}

// The activation passes to another visible window of the program rather than to whatever
// window the system would pick.
void ActivateAnotherWindow(HWND leaving) {
  WindowStore& store = WindowStore::Instance();
  for (size_t i = 0; i < store.Count(); ++i) {
    HWND other = store.At(i)->Handle();
    if (!other || other == leaving || !IsWindowVisible(other) || !IsWindowEnabled(other)) continue;
    SetActiveWindow(other);
    return;
  }
}

void DrawBackPicture(HDC dc, const Picture& picture, int32_t mode, const RECT& client) {
  int width = picture.Width(), height = picture.Height();
  if (picture.Empty() || width <= 0 || height <= 0) return;
  if (mode == kPictureStretched) {
    picture.Draw(dc, client, true);
    return;
  }
  if (mode == kPictureCentred) {
    int left = (client.right - width) / 2, top = (client.bottom - height) / 2;
    picture.Draw(dc, {left, top, left + width, top + height}, false);
    return;
  }
  if (mode != kPictureTiled) {
    picture.Draw(dc, {0, 0, width, height}, false);
    return;
  }
  for (int top = 0; top < client.bottom; top += height)
    for (int left = 0; left < client.right; left += width) picture.Draw(dc, {left, top, left + width, top + height}, false);
}

}  // namespace

// ---- Creation -------------------------------------------------------------------------------

void SetNextWindowModal(bool modal) { nextWindowModal = modal; }

WindowUnit* AsWindowUnit(rt::UnitObject* object) { return dynamic_cast<WindowUnit*>(object); }

rt::UnitObject* WindowUnit::Create(const rt::UnitCreateArgs& args) {
  bool modal = nextWindowModal;
  nextWindowModal = false;
  Stored block;
  if (!block.Read(args.block, args.blockSize > 0 ? size_t(args.blockSize) : 0)) return nullptr;
  const char* className = block.ClassName.empty() ? kWindowClass : block.ClassName.c_str();
  if (!RegisterSkinClass(className, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS)) return nullptr;

  bool popup = args.parent != nullptr;
  POINT place = CreationPlace(block, args);
  HWND hwnd = CreateWindowExA(BorderOf(block.Border).exStyle, className, block.Caption.c_str(),
                              CreationStyle(block, popup) | args.style, place.x, place.y, args.width, args.height,
                              OwnerOf(block, args.parent, modal), args.menu, GetModuleHandleA(nullptr), nullptr);
  if (!hwnd) return nullptr;
  auto* unit = new WindowUnit();
  unit->windowId = args.windowId;
  unit->unitId = args.unitId;
  unit->state_.block = std::move(block);
  unit->state_.modal = modal;
  if (!unit->Subclass(hwnd)) {
    delete unit;
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (unit->state_.block.Position != kMinimised && unit->state_.block.Position != kMaximised)
    SetWindowPos(hwnd, nullptr, 0, 0, args.width, args.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  unit->ApplyBackground();
  unit->ApplyIcon();
  unit->ApplyShape();
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont()), FALSE);
  unit->ApplyTopmost();
  unit->ApplyMovable();
  return unit;
}

void WindowUnit::SetModal(std::vector<DisabledWindow> disabled, HWND previousActive) {
  state_.modal = true;
  state_.holdsOthers = true;
  state_.disabled = std::move(disabled);
  state_.previousActive = previousActive;
}

bool WindowUnit::TakeOverDisabledWindow(HWND hwnd, bool wasEnabled) {
  for (DisabledWindow& other : state_.disabled) {
    if (other.hwnd != hwnd) continue;
    other.wasEnabled = wasEnabled;
    return true;
  }
  return false;
}

void WindowUnit::ShowAsStored() {
  int show = SW_SHOW;
  if (rt::ProgramKind() != 0 && state_.block.Position == kMinimised) show = SW_SHOWMINIMIZED;
  if (rt::ProgramKind() != 0 && state_.block.Position == kMaximised) show = SW_SHOWMAXIMIZED;
  ShowWindow(Handle(), show);
}

// ---- Messages -------------------------------------------------------------------------------

LRESULT WindowUnit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE: return OnClose();
    case WM_QUERYENDSESSION: return OnQueryEndSession();
    case WM_DESTROY: return OnDestroy();
    case WM_MOVE: return OnMove(lParam);
    case WM_SIZE: return OnSize(wParam, lParam);
    case WM_ACTIVATE: return OnActivate(wParam, lParam);
    case WM_NCACTIVATE: return OnNcActivate(wParam, lParam);
    case WM_SHOWWINDOW: return OnShowWindow(wParam, lParam);
    case WM_ERASEBKGND: return OnEraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_SETFONT: return OnSetFont(reinterpret_cast<HFONT>(wParam), lParam);
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state_.font);
    case kLayOutBarsMessage: return OnLayoutBars();
    case WM_COMMAND: return OnCommand(wParam, lParam);
    default: return Default(message, wParam, lParam);
  }
}

// The windows this modal window disabled get their former state back, the window that was
// active before it is active again, and the loop that waits for it ends.
void WindowUnit::LeaveModal() {
  if (!state_.holdsOthers) return;
  state_.holdsOthers = false;
  for (const DisabledWindow& other : state_.disabled)
    if (IsWindow(other.hwnd) && !PassOnDisabledWindow(Handle(), other.hwnd, other.wasEnabled))
      EnableWindow(other.hwnd, other.wasEnabled);
  state_.disabled.clear();
  HWND previous = state_.previousActive;
  if (previous && previous != Handle() && IsWindow(previous) && IsWindowVisible(previous) && IsWindowEnabled(previous))
    SetActiveWindow(previous);
  EndModalLoop(Handle());
}

bool WindowUnit::RaiseWindowEvent(WindowEvent event, std::initializer_list<uint32_t> args) {
  rt::EventResult result;
  RaiseEvent(windowId, unitId, event, args, &result);
  return !AnsweredFalse(result);
}

LRESULT WindowUnit::OnClose() {
  if (!RaiseWindowEvent(kEventCloseRequested)) return 0;
  if (!RaiseWindowEvent(kEventMayClose)) return 0;
  // The others come back while this window is still visible and active, so that the activation
  // passes straight to the window that had it before.
  LeaveModal();
  DestroyWindow(Handle());
  return 0;
}

LRESULT WindowUnit::OnQueryEndSession() { return RaiseWindowEvent(kEventMayClose) ? TRUE : FALSE; }

LRESULT WindowUnit::OnDestroy() {
  RaiseWindowEvent(kEventDestroying);
  LeaveModal();  // destroyed without a close request
  if (rt::ProgramKind() != 0 && GetActiveWindow() == Handle()) ActivateAnotherWindow(Handle());
  return Default(WM_DESTROY, 0, 0);
}

LRESULT WindowUnit::OnMove(LPARAM lParam) {
  LRESULT result = Default(WM_MOVE, 0, lParam);
  RaiseWindowEvent(kEventMoved);
  return result;
}

LRESULT WindowUnit::OnSize(WPARAM wParam, LPARAM lParam) {
  LRESULT result = Default(WM_SIZE, wParam, lParam);
  if (state_.block.Shape != 0 && wParam != SIZE_MINIMIZED) ApplyShape();
  RaiseWindowEvent(kEventResized);
  return result;
}

LRESULT WindowUnit::OnActivate(WPARAM wParam, LPARAM lParam) {
  LRESULT result = Default(WM_ACTIVATE, wParam, lParam);
  if (LOWORD(wParam) == WA_INACTIVE) {
    RaiseWindowEvent(kEventDeactivated);
    return result;
  }
  if (!state_.activatedOnce) {
    state_.activatedOnce = true;
    RaiseWindowEvent(kEventFirstActivation);
  }
  RaiseWindowEvent(kEventActivated);
  return result;
}

LRESULT WindowUnit::OnNcActivate(WPARAM wParam, LPARAM lParam) {
  // Keeping the caption active: the frame is always drawn as active.
  if (state_.block.KeepCaptionActive) wParam = TRUE;
  return Default(WM_NCACTIVATE, wParam, lParam);
}

LRESULT WindowUnit::OnShowWindow(WPARAM wParam, LPARAM lParam) {
  LRESULT result = Default(WM_SHOWWINDOW, wParam, lParam);
  RaiseWindowEvent(wParam ? kEventShown : kEventHidden);
  return result;
}

LRESULT WindowUnit::OnEraseBackground(HDC dc) {
  RECT client;
  GetClientRect(Handle(), &client);
  FillRect(dc, &client, state_.backBrush.get());
  DrawBackPicture(dc, state_.backPicture, state_.block.PictureMode, client);
  return 1;
}

LRESULT WindowUnit::OnSetFont(HFONT font, LPARAM redraw) {
  state_.font = font ? font : DefaultGuiFont();
  if (redraw) InvalidateRect(Handle(), nullptr, TRUE);
  return 0;
}

// Docked bars (types with state 0x100000) are told to lay themselves out; this program's types
// have none.
LRESULT WindowUnit::OnLayoutBars() {
  LoadedWindow* window = WindowStore::Instance().Find(windowId);
  if (!window) return 0;
  for (size_t unit = 1; unit < window->UnitCount(); ++unit) {
    HWND bar = window->UnitHandle(unit);
    if (bar && FindUnitType(window->record.units[unit].typeCode).Has(typestate::kBar)) SendMessageA(bar, kLayOutBarMessage, 0, 0);
  }
  return 0;
}

bool WindowUnit::PreTranslateMessage(MSG* message) {
  LoadedWindow* window = WindowStore::Instance().Find(windowId);
  if (!window || window->Handle() != Handle()) return false;
  return PreTranslateWindowMessage(*this, *window, message) || state_.menu.TranslateKeys(Handle(), message);
}

// A menu item was chosen, from the menu (notification 0) or through its shortcut (1).
LRESULT WindowUnit::OnCommand(WPARAM wParam, LPARAM lParam) {
  LoadedWindow* window = WindowStore::Instance().Find(windowId);
  if (lParam == 0 && HIWORD(wParam) <= 1 && window && RaiseMenuCommand(*window, LOWORD(wParam))) return 0;
  return Default(WM_COMMAND, wParam, lParam);
}

bool WindowUnit::OnIdle(DWORD millisecondsSinceIdle) {
  rt::EventResult result;
  RaiseEvent(windowId, unitId, kEventIdle, {uint32_t(millisecondsSinceIdle)}, &result);
  return result.hasResult && result.lo != 0;
}

// ---- Applying properties to the live window ---------------------------------------------

void WindowUnit::ApplyFrame() {
  HWND hwnd = Handle();
  bool popup = (GetWindowLongA(hwnd, GWL_STYLE) & WS_POPUP) && GetWindow(hwnd, GW_OWNER) &&
               GetWindow(hwnd, GW_OWNER) != static_cast<HWND>(rt::HiddenOwner());
  DWORD style = DWORD(GetWindowLongA(hwnd, GWL_STYLE)) & ~kFrameStyles;
  DWORD exStyle = DWORD(GetWindowLongA(hwnd, GWL_EXSTYLE)) & ~kFrameExStyles;
  SetWindowLongA(hwnd, GWL_STYLE, LONG(style | FrameStyle(state_.block, popup)));
  SetWindowLongA(hwnd, GWL_EXSTYLE, LONG(exStyle | BorderOf(state_.block.Border).exStyle));
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void WindowUnit::ApplyBackground() {
  COLORREF colour = ResolveColour(state_.block.BackColour);
  state_.backBrush.reset(CreateSolidBrush(colour));
  state_.backPicture.Reset();
  if (!state_.block.BackPicture.empty()) state_.backPicture.Decode(state_.block.BackPicture, colour);
  InvalidateRect(Handle(), nullptr, TRUE);
  // Transparent children show the background through, so they repaint over the new one.
  EnumChildWindows(Handle(), InvalidateTransparentChild, 0);
}

void WindowUnit::ApplyIcon() {
  HICON icons[2] = {nullptr, nullptr};  // large, small
  state_.icon.Reset();
  if (!state_.block.Icon.empty() && state_.icon.Decode(state_.block.Icon, GetSysColor(COLOR_BTNFACE)) &&
      state_.icon.Icon()) {
    icons[0] = icons[1] = state_.icon.Icon();
  } else {
    rt::RuntimeNotify(rt::kNotifyProgramIcons, int32_t(Word(icons)), 0);
  }
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons[0]));
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons[1]));
}

void WindowUnit::ApplyShape() {
  RECT frame;
  GetWindowRect(Handle(), &frame);
  HRGN region = CreateShapeRegion(state_.block.Shape, frame.right - frame.left, frame.bottom - frame.top);
  // The system owns the region once it is set.
  if (!SetWindowRgn(Handle(), region, TRUE) && region) DeleteObject(region);
}

void WindowUnit::ApplyPosition() {
  HWND hwnd = Handle();
  switch (state_.block.Position) {
    case kMinimised: ShowWindow(hwnd, SW_MINIMIZE); return;
    case kMaximised: ShowWindow(hwnd, SW_MAXIMIZE); return;
    case kCentred: {
      if (IsIconic(hwnd) || IsZoomed(hwnd)) ShowWindow(hwnd, SW_RESTORE);
      RECT frame;
      GetWindowRect(hwnd, &frame);
      int width = frame.right - frame.left, height = frame.bottom - frame.top;
      SetWindowPos(hwnd, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
                   0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return;
    }
    default:
      if (IsIconic(hwnd) || IsZoomed(hwnd)) ShowWindow(hwnd, SW_RESTORE);
      return;
  }
}

void WindowUnit::ApplyMovable() {
  // Asking for the system menu with revert set restores the original one, Move included.
  GetSystemMenu(Handle(), TRUE);
  if (state_.block.Movable) return;
  if (HMENU menu = GetSystemMenu(Handle(), FALSE)) DeleteMenu(menu, SC_MOVE, MF_BYCOMMAND);
}

void WindowUnit::ApplyTopmost() {
  SetWindowPos(Handle(), state_.block.AlwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---- Properties -------------------------------------------------------------------------------

int32_t WindowUnit::SetProperty(int32_t k, const rt::PropertyData& value) {
  const BlockField<Stored>* field = FieldOf(kFields, k);
  if (!field) return 0;
  WriteField(state_.block, *field, value);
  switch (k) {
    case kCaption: SetWindowTextA(Handle(), state_.block.Caption.c_str()); break;
    case kBorder:
    case kControlBox:
    case kMaxButton:
    case kMinButton: ApplyFrame(); break;
    case kBackColour:
    case kBackPicture:
    case kPictureMode: ApplyBackground(); break;
    case kPosition: ApplyPosition(); break;
    case kMovable: ApplyMovable(); break;
    case kIcon: ApplyIcon(); break;
    case kShape: ApplyShape(); break;
    case kAlwaysOnTop: ApplyTopmost(); break;
    case kKeepCaptionActive: SendMessageA(Handle(), WM_NCACTIVATE, GetActiveWindow() == Handle(), 0); break;
    default: break;  // kept, and read where it matters (keyboard handling, next load)
  }
  return 0;
}

bool WindowUnit::GetProperty(int32_t k, rt::PropertyData& value) const {
  const BlockField<Stored>* field = FieldOf(kFields, k);
  if (!field) return false;
  ReadField(state_.block, *field, value);
  if (k == kCaption) value.bytes = WindowText(Handle());
  if (k == kPosition) value.number = IsIconic(Handle()) ? kMinimised : IsZoomed(Handle()) ? kMaximised : 0;
  return true;
}

std::string WindowUnit::WriteBlock() const {
  Stored block = state_.block;
  rt::PropertyData caption;
  GetProperty(kCaption, caption);
  block.Caption = caption.bytes;
  return block.Write();
}

void* WindowUnitInterface(int32_t query) { return CommonUnitRoutine<WindowUnit, Stored>(query); }

}  // namespace window
