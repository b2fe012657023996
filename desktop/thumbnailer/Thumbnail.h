// Thumbnails of pictures: the longer side scaled down to the asked size by averaging the source
// pixels each thumbnail pixel covers. Pictures already within the size keep theirs (thumbnails
// are never enlarged).
#pragma once

#include "desktop/WifMemory.h"

// The thumbnail's dimensions for a picture of width x height and a largest side of `size`.
void vuThumbnailSize(int width, int height, int size, int* thumbWidth, int* thumbHeight);

// Scales 8-bit top-down rows to fit `size`. False when the source is empty or size < 1.
bool vuScaleToThumbnail(const vuPlainPixels& source, int size, vuPlainPixels* thumbnail);

// Writes 8-bit rows (grey or red-green-blue) as a PNG file. Returns the writer's result (0, or
// negative).
int vuWritePlainPng(const vuPlainPixels& pixels, const char* fileName);
