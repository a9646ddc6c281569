// The process entry of every program we ship (the link step names it): the library search is
// narrowed before the C runtime, static constructors or WinMain get a chance to load anything.
#include "runtime/LibrarySearch.h"

extern "C" int WinMainCRTStartup();

extern "C" int VeltaroProcessEntry() {
  rt::libsearch::NarrowLibrarySearch();
  return WinMainCRTStartup();
}
