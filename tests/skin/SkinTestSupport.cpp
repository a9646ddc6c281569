#include "tests/skin/SkinTestSupport.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

#include "runtime/Runtime.h"

namespace skintest {

// ---- The recording engine -------------------------------------------------------------------

namespace {

struct EngineRecords {
  std::vector<RaisedEvent> events;
  std::vector<std::string> log;
  bool answering = false;
  int32_t answeredEvent = 0;
  uint32_t answer = 0;
  uint32_t backColour = kNoWindow;
  HWND pageMessageHandle = nullptr;
  int parentPresses = 0;
};

EngineRecords& Records() {
  static EngineRecords records;
  return records;
}

int32_t RecordingNotify(int32_t code, int32_t first, int32_t second, bool* handled) {
  (void)second;
  EngineRecords& records = Records();
  *handled = true;
  switch (code) {
    case rt::kNotifyRaiseEvent: {
      auto* record = reinterpret_cast<rt::EventRecord*>(static_cast<uintptr_t>(first));
      RaisedEvent raised{record->unitId, record->event, {record->args, record->args + record->argCount}};
      records.events.push_back(raised);
      records.log.push_back("event " + std::to_string(record->event));
      if (records.answering && records.answeredEvent == record->event) {
        record->hasResult = 1;
        record->result = records.answer;
      }
      return 1;
    }
    case rt::kNotifyLocateQuietly:
      return records.backColour != kNoWindow && static_cast<uint32_t>(first) == kWindowId && second == 0 ? 1 : 0;
    case rt::kNotifyShowCurrentPage:
      records.log.push_back("show-page");
      return 0;
    default:
      *handled = false;
      return 0;
  }
}

uint64_t RecordingGetProperty(uint32_t windowId, uint32_t unitId, int32_t index, int32_t) {
  if (windowId == kWindowId && unitId == 0 && index == 10) return Records().backColour;
  return 0;
}
uint32_t NoSetProperty(uint32_t, uint32_t, int32_t, int32_t, uint32_t, uint32_t) { return 0; }
bool NoTemplates(const uint8_t*, uint32_t, uintptr_t) { return false; }
bool NoWindow(uint32_t) { return false; }
bool NoLiveWindow() { return false; }
void NothingToUnload() {}
bool NoIdle(long, uint32_t) { return false; }

const rt::WindowEngine kRecordingEngine = {NoTemplates,   NoWindow,     RecordingGetProperty, NoSetProperty,
                                           RecordingNotify, NoLiveWindow, NothingToUnload,      NoIdle};

}  // namespace

void InstallRecordingEngine() { rt::InstallWindowEngine(&kRecordingEngine); }
std::vector<RaisedEvent>& Events() { return Records().events; }
std::vector<std::string>& Log() { return Records().log; }
void ClearRecords() {
  Records().events.clear();
  Records().log.clear();
  Records().pageMessageHandle = nullptr;
  Records().parentPresses = 0;
}
void AnswerEvent(int32_t event, uint32_t result) {
  Records().answering = true;
  Records().answeredEvent = event;
  Records().answer = result;
}
void StopAnswering() { Records().answering = false; }
void SetWindowBackColour(uint32_t colour) { Records().backColour = colour; }
HWND PageMessageHandle() { return Records().pageMessageHandle; }
int& ParentPresses() { return Records().parentPresses; }

// ---- Windows and input ----------------------------------------------------------------------

namespace {

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  EngineRecords& records = Records();
  if (message == 0x83F2) {
    records.log.push_back("page-message");
    if (!records.pageMessageHandle) records.pageMessageHandle = reinterpret_cast<HWND>(wParam);
    return 0;
  }
  if (message == WM_LBUTTONDOWN) ++records.parentPresses;
  if (message == WM_ERASEBKGND) {
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return 1;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

HWND CreateHost(int x, int y, int width, int height) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "SkinTestHost";
    registered = RegisterClassA(&wc) != 0;
  }
  HWND host = CreateWindowExA(0, "SkinTestHost", "skin test", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  SetForegroundWindow(host);
  UpdateWindow(host);
  Pump(30);
  return host;
}

HWND SharedHost() {
  static HWND host = nullptr;
  if (!IsWindow(host)) host = CreateHost(20, 20, 640, 440);
  return host;
}

void ClearHost() {
  HWND host = SharedHost();
  while (HWND child = GetWindow(host, GW_CHILD)) DestroyWindow(child);
  InvalidateRect(host, nullptr, TRUE);
  UpdateWindow(host);
}

void Pump(int ms) {
  DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (static_cast<int32_t>(end - GetTickCount()) > 0);
}

rt::UnitCreateArgs MakeCreateArgs(HWND parent, const std::string& block, int left, int top, int width, int height,
                                  uint32_t unitId, DWORD style) {
  static int nextControlId = 100;
  rt::UnitCreateArgs args = {};
  args.block = reinterpret_cast<const uint8_t*>(block.data());
  args.blockSize = static_cast<int32_t>(block.size());
  args.style = style;
  args.parent = parent;
  args.controlId = static_cast<uint32_t>(nextControlId += 10);
  args.left = left, args.top = top, args.width = width, args.height = height;
  args.windowId = kWindowId;
  args.unitId = unitId;
  return args;
}

namespace {

// Pumps until `done` holds (at most two seconds), then a little longer for what follows from it.
template <typename Condition>
void PumpUntil(Condition done) {
  DWORD start = GetTickCount();
  while (!done() && GetTickCount() - start < 2000) Pump(10);
  Pump(20);
}

}  // namespace

// Input reaches the queue at once but is handled only as messages are taken from it, which on a
// busy machine takes a while: wait until this thread has seen the pointer arrive.
void MouseMoveTo(int x, int y) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = static_cast<LONG>((x * 65535LL + GetSystemMetrics(SM_CXSCREEN) / 2) / (GetSystemMetrics(SM_CXSCREEN) - 1));
  input.mi.dy = static_cast<LONG>((y * 65535LL + GetSystemMetrics(SM_CYSCREEN) / 2) / (GetSystemMetrics(SM_CYSCREEN) - 1));
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
  PumpUntil([&] {
    DWORD at = GetMessagePos();
    POINT cursor;
    GetCursorPos(&cursor);
    return cursor.x == x && cursor.y == y && static_cast<short>(LOWORD(at)) == x && static_cast<short>(HIWORD(at)) == y;
  });
}

// The button's state as this thread sees it changes when its message is taken from the queue.
void MouseButton(bool down) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &input, sizeof input);
  PumpUntil([down] { return (GetKeyState(VK_LBUTTON) < 0) == down; });
}

void ClickAt(int x, int y) {
  MouseMoveTo(x, y);
  MouseButton(true);
  MouseButton(false);
}

POINT ScreenPoint(HWND hwnd, int x, int y) {
  POINT point = {x, y};
  ClientToScreen(hwnd, &point);
  return point;
}

// ---- Pixels ---------------------------------------------------------------------------------

namespace {

// Reads a rectangle of a DC into 0xRRGGBB pixels.
Image CaptureDc(HDC source, int x, int y, int width, int height) {
  Image image;
  image.width = width, image.height = height;
  image.pixels.assign(static_cast<size_t>(width) * height, 0);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(source);
  HGDIOBJ old = SelectObject(memory, section);
  BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
  GdiFlush();
  const uint32_t* read = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = read[i] & 0x00FFFFFF;
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(section);
  return image;
}

}  // namespace

Image CaptureScreen(int x, int y, int width, int height) {
  HDC screen = GetDC(nullptr);
  Image image = CaptureDc(screen, x, y, width, height);
  ReleaseDC(nullptr, screen);
  return image;
}

// Read from the top-level window's own DC: it holds what its children painted too, and unlike
// the screen it is never behind the painting.
Image CaptureClient(HWND hwnd) {
  Pump(30);
  RedrawWindow(GetAncestor(hwnd, GA_ROOT), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return CaptureClientAsPainted(hwnd);
}

Image CaptureClientAsPainted(HWND hwnd) {
  HWND root = GetAncestor(hwnd, GA_ROOT);
  RECT client, rootWindow;
  GetClientRect(hwnd, &client);
  GetWindowRect(root, &rootWindow);
  POINT origin = ScreenPoint(hwnd, 0, 0);
  HDC dc = GetWindowDC(root);
  Image image = CaptureDc(dc, origin.x - rootWindow.left, origin.y - rootWindow.top, client.right, client.bottom);
  ReleaseDC(root, dc);
  return image;
}

namespace {

std::string ArtifactFolder() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  // build/tests/<area>/x.exe -> build/artifacts/skin
  for (int i = 0; i < 3; ++i) folder = folder.substr(0, folder.find_last_of("\\/"));
  folder += "\\artifacts";
  CreateDirectoryA(folder.c_str(), nullptr);
  folder += "\\skin";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

}  // namespace

void SaveArtifact(const Image& image, const std::string& name) {
  std::string path = ArtifactFolder() + "\\" + name + ".png";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row(static_cast<size_t>(image.width) * 3);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      uint32_t p = image.At(x, y);
      row[x * 3] = static_cast<uint8_t>(p >> 16), row[x * 3 + 1] = static_cast<uint8_t>(p >> 8),
      row[x * 3 + 2] = static_cast<uint8_t>(p);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | b; }

int ColourDistance(uint32_t a, uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 24; shift += 8)
    worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
  return worst;
}

// ---- Pictures -------------------------------------------------------------------------------

std::string MakeJpeg(int width, int height, const PixelSource& source, int quality) {
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t p = source(x, y);
      row[x * 3] = static_cast<uint8_t>(p >> 16), row[x * 3 + 1] = static_cast<uint8_t>(p >> 8),
      row[x * 3 + 2] = static_cast<uint8_t>(p);
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::string bytes(reinterpret_cast<char*>(buffer), size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
}

Image DecodeJpeg(const std::string& bytes) {
  jpeg_decompress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  Image image;
  image.width = info.output_width, image.height = info.output_height;
  image.pixels.resize(static_cast<size_t>(image.width) * image.height);
  std::vector<uint8_t> row(static_cast<size_t>(image.width) * 3);
  while (info.output_scanline < info.output_height) {
    int y = info.output_scanline;
    JSAMPROW rows[] = {row.data()};
    jpeg_read_scanlines(&info, rows, 1);
    for (int x = 0; x < image.width; ++x) image.pixels[static_cast<size_t>(y) * image.width + x] = Rgb(row[x * 3], row[x * 3 + 1], row[x * 3 + 2]);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return image;
}

namespace {
void AppendPng(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), length);
}
void FlushNothing(png_structp) {}
}  // namespace

std::string MakePng(int width, int height, const PixelSource& source) {
  std::string bytes;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &bytes, AppendPng, FlushNothing);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t p = source(x, y);
      row[x * 4] = uint8_t(p >> 16), row[x * 4 + 1] = uint8_t(p >> 8), row[x * 4 + 2] = uint8_t(p), row[x * 4 + 3] = uint8_t(p >> 24);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return bytes;
}

std::string MakeBmp(int width, int height, const PixelSource& source) {
  const int stride = (width * 3 + 3) / 4 * 4;
  const uint32_t bitsSize = static_cast<uint32_t>(stride * height);
  std::string bytes = "BM";
  PutInt(bytes, 14 + 40 + static_cast<int32_t>(bitsSize));
  PutInt(bytes, 0);
  PutInt(bytes, 14 + 40);
  PutInt(bytes, 40);
  PutInt(bytes, width);
  PutInt(bytes, height);
  bytes += std::string("\x01\x00\x18\x00", 4);  // one plane, 24 bits
  for (int i = 0; i < 6; ++i) PutInt(bytes, i == 1 ? static_cast<int32_t>(bitsSize) : 0);
  for (int y = height - 1; y >= 0; --y) {
    std::string row(static_cast<size_t>(stride), '\0');
    for (int x = 0; x < width; ++x) {
      uint32_t p = source(x, y);
      row[x * 3] = char(p), row[x * 3 + 1] = char(p >> 8), row[x * 3 + 2] = char(p >> 16);
    }
    bytes += row;
  }
  return bytes;
}

uint32_t Quadrants(int x, int y, int width, int height) {
  static const uint32_t kColours[] = {0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF};
  bool right = x >= width / 2, bottom = y >= height / 2;
  return kColours[(bottom ? 2 : 0) + (right != bottom ? 1 : 0)];
}

// ---- Property blocks ------------------------------------------------------------------------

void PutInt(std::string& block, int32_t value) {
  for (int i = 0; i < 4; ++i) block.push_back(static_cast<char>(uint32_t(value) >> (8 * i)));
}

void PutBlock(std::string& block, const std::string& bytes) {
  PutInt(block, static_cast<int32_t>(bytes.size()));
  block += bytes;
}

}  // namespace skintest
