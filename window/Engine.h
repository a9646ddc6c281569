// The window engine as the runtime sees it.
#pragma once
#include "runtime/Runtime.h"

namespace window {

extern const rt::WindowEngine Engine;

}  // namespace window
