// What the tests of the skinned classes and the extended controls share: a window engine that
// records the events units raise, a plain host window, real mouse input, pixels read back from
// the screen, and pictures made with the real libjpeg and libpng.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include "runtime/Notify.h"
#include "runtime/UnitObject.h"

namespace skintest {

constexpr uint32_t kWindowId = 0x52010001;

// ---- The recording engine -------------------------------------------------------------------

struct RaisedEvent {
  uint32_t unitId;
  int32_t event;
  std::vector<uint32_t> args;
};

// Installs (once) an engine whose notification service records code 2008, answers code 2006
// for the window when a window back colour is set, and serves that colour as property 10.
void InstallRecordingEngine();
std::vector<RaisedEvent>& Events();
// What happened, in order: "event N" for each raise, "page-message" for 0x83F2 reaching the host
// window, "show-page" for code 2039.
std::vector<std::string>& Log();
void ClearRecords();
// The next raises of this event get a result (a routine that returned it).
void AnswerEvent(int32_t event, uint32_t result);
void StopAnswering();
// The back colour reported for the window unit; kNoWindow makes code 2006 find no window.
constexpr uint32_t kNoWindow = 0xFFFFFFFF;
void SetWindowBackColour(uint32_t colour);
// The first window handle sent with 0x83F2.
HWND PageMessageHandle();

// ---- Windows and input ----------------------------------------------------------------------

// A visible top-level pop-up at (x, y) of the given client size, white, that records 0x83F2 and
// the left-button presses it receives (ParentPresses). Destroyed by the caller.
HWND CreateHost(int x, int y, int width, int height);
int& ParentPresses();
// One host of 640 x 440 at (20, 20) for a whole test program (hiding or destroying a top-level
// window costs seconds under Wine without a window manager); ClearHost destroys its children.
HWND SharedHost();
void ClearHost();

// Processes messages for about ms milliseconds (at least one pass).
void Pump(int ms = 50);

rt::UnitCreateArgs MakeCreateArgs(HWND parent, const std::string& block, int left, int top, int width, int height,
                                  uint32_t unitId, DWORD style = WS_VISIBLE);

// Real mouse input through SendInput; positions in screen pixels.
void MouseMoveTo(int x, int y);
void MouseButton(bool down);
void ClickAt(int x, int y);
// A point of a window's client area in screen pixels.
POINT ScreenPoint(HWND hwnd, int x, int y);

// ---- Pixels ---------------------------------------------------------------------------------

// Pixels as 0x00RRGGBB, row by row from the top.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// What the screen shows now of a window's client area (after its pending painting).
Image CaptureClient(HWND hwnd);
// The same as painted so far: no message is taken from the queue and no painting asked for.
Image CaptureClientAsPainted(HWND hwnd);
Image CaptureScreen(int x, int y, int width, int height);
// Saves an image as build/artifacts/skin/NAME.png.
void SaveArtifact(const Image& image, const std::string& name);

uint32_t Rgb(uint8_t r, uint8_t g, uint8_t b);
// The largest per-channel difference of two 0xRRGGBB colours.
int ColourDistance(uint32_t a, uint32_t b);

// ---- Pictures -------------------------------------------------------------------------------

using PixelSource = std::function<uint32_t(int x, int y)>;  // 0xAARRGGBB (alpha used by PNG only)
std::string MakeJpeg(int width, int height, const PixelSource& source, int quality = 90);
std::string MakePng(int width, int height, const PixelSource& source);
std::string MakeBmp(int width, int height, const PixelSource& source);  // 24-bit, bottom-up
// A JPEG decoded by libjpeg on its own, as the reference of what must appear.
Image DecodeJpeg(const std::string& bytes);
// A picture of four solid quadrants: red top-left, green top-right, yellow bottom-right, blue
// bottom-left.
uint32_t Quadrants(int x, int y, int width, int height);

// ---- Property blocks ------------------------------------------------------------------------

void PutInt(std::string& block, int32_t value);
void PutBlock(std::string& block, const std::string& bytes);

}  // namespace skintest
