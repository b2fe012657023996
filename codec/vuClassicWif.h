// Reading older-generation WIF files into images: the entry points the WIF reader calls for
// files that do not start with "WIF2".
#pragma once

#include <cstdio>

#include "codec/classic/ClassicHeader.h"

class vuImage;
struct vuFileInfo;

// Decodes the file into `image` (allocated here: 8-bit grey with 256 grey entries, 16-bit grey,
// 24-bit or 48-bit colour; 16-bit images get the header's significant bits as sampleBits).
// `count` (may be null) receives the number of file bytes the decode used. Returns 0, -1 when
// the file cannot be opened, -2 for a bad or truncated file, -3 when memory is short or the data
// is invalid. On failure the image is left empty.
int vuReadClassicWif(const char* fileName, vuImage* image, int* count);

// The same over a file the caller has opened ("rb"); it is read from its start and stays open.
int vuReadClassicWif(FILE* stream, vuImage* image, int* count);

// Width, height, bits per pixel (8 or 16 grey, 24 or 48 colour) and file size from the header.
// Returns 0, -1 when the file cannot be opened, -2 when it is no older-generation WIF file the
// decoder can read.
int vuClassicWifInfo(const char* fileName, vuFileInfo* info);
int vuClassicWifInfo(FILE* stream, vuFileInfo* info);

// The header facts of a file for display. Returns 0, -1, -2 as above.
int vuClassicWifHeader(const char* fileName, ClassicHeader* header);
