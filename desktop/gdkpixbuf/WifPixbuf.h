// WIF bytes to a GdkPixbuf: the decoding half of the gdk-pixbuf loader module.
#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstddef>
#include <cstdint>

// Decodes a whole WIF file held in memory into a new 8-bit RGB pixbuf (grey pictures have equal
// channels, 16-bit samples keep their top significant bits). Returns 0 with *pixbuf set (the
// caller owns the reference), -2 for bytes that are not a whole, sound WIF file, -3 when memory is
// short; *pixbuf is then null.
int WifDecodeToPixbuf(const uint8_t* bytes, size_t length, GdkPixbuf** pixbuf);

// The picture's size from the header alone, as the loader announces it before decoding.
// False when the bytes do not start with a WIF header.
bool WifPixbufSize(const uint8_t* bytes, size_t length, int* width, int* height);
