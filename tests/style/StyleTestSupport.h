// Real windows for the look's tests: a white host window that answers the control colours, a
// message pump, pixels read back from the screen, real mouse and keyboard input, and pictures
// kept under build/artifacts/style.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace styletest {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// Switches the look with the library's own command; the command's result.
int32_t SetLook(int32_t scheme);

// Switches the look off when the test ends, whatever happened.
struct LookOffAtExit {
  ~LookOffAtExit() { SetLook(0); }
};

// A white panel (a child of one full-screen top-level window) that answers WM_CTLCOLORBTN and
// WM_CTLCOLORSTATIC with white and black; destroyed with its controls at scope exit.
class HostWindow {
 public:
  HostWindow(int width, int height, int x = 10, int y = 10);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  HWND get() const { return window_; }

  // A visible child control with the default GUI font.
  HWND Add(const char* className, const char* text, DWORD style, int x, int y, int width, int height, DWORD exStyle = 0);

 private:
  HWND window_ = nullptr;
};

// Delivers every waiting message, for at least `milliseconds`.
void Pump(int milliseconds = 30);
// Delivers messages until the condition holds (true) or `milliseconds` pass (false). Real input
// reaches the window after a while, longer on a busy machine.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 2000);

// Pixels of a window (its whole window rectangle).
struct Image {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;  // row by row, top first

  COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  bool operator==(const Image& other) const { return width == other.width && height == other.height && pixels == other.pixels; }
  bool operator!=(const Image& other) const { return !(*this == other); }
  // How many pixels within the rectangle have exactly this colour.
  int Count(COLORREF colour, RECT area) const;
  int Count(COLORREF colour) const { return Count(colour, {0, 0, width, height}); }
  // How many pixels within the rectangle are dark (text, anti-aliased or not).
  int CountDark(RECT area) const;
  // How many pixels within the rectangle are within `tolerance` of the colour in every channel.
  int CountNear(COLORREF colour, int tolerance, RECT area) const;
  // How many pixels within the rectangle look green (a check mark).
  int CountGreen(RECT area) const;
};
// Read back through the window's own DC, so other windows on the display do not matter.
Image Capture(HWND window);
// How gtest shows an image in a failure: its size and the first pixels that differ from white.
void PrintTo(const Image& image, std::ostream* out);
// Writes the image as a 24-bit BMP under build/artifacts/style; the path written.
std::string SaveArtifact(const Image& image, const std::string& name);
// An area of the screen as it shows now (pop-ups included).
Image CaptureScreen(RECT area);

// Real input: moves the pointer to a point in window coordinates, clicks there, types text.
void MoveMouseTo(HWND window, int x, int y);
void MoveMouseAway();
void ClickAt(HWND window, int x, int y);
void TypeText(const char* text);

// Colour of the button face less 0x20 in each channel (the disabled frame).
COLORREF DisabledFrameColour();

std::string Hex(COLORREF colour);

}  // namespace styletest
