// Owners for images: a vuImage releases nothing when it is destroyed, so code that holds one for
// a scope or receives one from the library uses these instead of calling Delete by hand.
#pragma once

#include <memory>

#include "imagelib/vuImage.h"

// A vuImage whose storage is released (Delete) when it goes out of scope. Use it wherever a
// plain vuImage would be a local or a member.
class vuImageOwner : public vuImage {
public:
  vuImageOwner() = default;
  ~vuImageOwner() override { Delete(); }
};

// For images the library hands out on the heap (SubImage, the quantizer): Delete, then delete.
struct vuImageDeleter {
  void operator()(vuImage* image) const {
    if (!image) return;
    image->Delete();
    delete image;
  }
};
using vuImagePtr = std::unique_ptr<vuImage, vuImageDeleter>;
