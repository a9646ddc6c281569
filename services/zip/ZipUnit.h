// The ZIP unit: a function provider with a window of its own that is never shown. It raises
// UnpackProgress during Unpack and tells the runtime when its window goes.
#pragma once
#include "runtime/UnitObject.h"

namespace ziplib {

class ZipUnit : public rt::UnitObject {
 public:
  // Query 1 of the unit interface: a child window of the private class, or null.
  static rt::UnitObject* Create(const rt::UnitCreateArgs& args);

  static const char* const kClassName;

 protected:
  void PostNcDestroy() override;

 private:
  ZipUnit() = default;
  static bool RegisterWindowClass();
};

}  // namespace ziplib
