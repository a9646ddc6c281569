// One installation, from the install button to the finish page.
#pragma once
#include <cstdint>

namespace installer {

// Runs the whole installation with the folder and options the window shows.
void Install();
// The unpack's progress event: the percentage into the label and the bar.
void ShowProgress(int32_t percent);

}  // namespace installer
