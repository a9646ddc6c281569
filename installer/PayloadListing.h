// What the product archive will put into the installation folder, read from the archive's
// central directory in the program image before anything is written.
#pragma once
#include <cstddef>
#include <vector>

#include "installer/product/InstallLog.h"

namespace installer {

// Every folder and file the archive holds, relative to the installation folder, in archive
// order; a folder that the archive creates only as the parent of a folder entry comes first
// too. False when the archive's directory cannot be read.
bool ListPayload(const unsigned char* archive, size_t size, std::vector<product::InstalledItem>& items);

}  // namespace installer
