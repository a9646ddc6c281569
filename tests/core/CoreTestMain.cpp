// The commands run on an initialised runtime, as in a program: the runtime announces itself to
// the libraries of the test image, and the tests' notification spy forwards to it.
#include <gtest/gtest.h>

#include "runtime/Runtime.h"

int main(int argc, char** argv) {
  rt::MiscService(6);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
