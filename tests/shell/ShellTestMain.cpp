// The shell commands run on an initialised runtime, which also initialises OLE on this thread,
// as the commands need.
#include <gtest/gtest.h>

#include "runtime/Runtime.h"

int main(int argc, char** argv) {
  rt::MiscService(6);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
