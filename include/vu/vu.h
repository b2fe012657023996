// The library's public interface: the image object, file reading and writing with type detection,
// the file type numbers and the WIF save options. Build with the flags of `pkg-config --cflags vu`
// or link the CMake target vu::vu.
#pragma once

#include "vuVersion.h"

#include "codec/wif2/vuWifParams.h"
#include "formats/vuFileInfo.h"
#include "formats/vuRegistry.h"
#include "imagelib/vuImage.h"
#include "imagelib/vuImageOwner.h"
