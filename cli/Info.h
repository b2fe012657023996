// vuconvert --info.
#pragma once

#include <string>

// Prints what is known about one file; false with a reason in `error` when it cannot be read.
bool PrintFileInfo(const std::string& fileName, std::string* error);
