// Converting one file: load, image tools, the pixel format the output type needs, save.
#pragma once

#include <string>

#include "cli/Options.h"
#include "imagelib/vuImage.h"

// What went wrong, and with which file (the input, or the output when writing failed).
struct Failure {
  std::string file;
  std::string reason;
};

// Reads a file through the reader its content names, or, when no signature matches, the reader
// its extension (in `nameForType`) names. Returns the reader's result: 0, or -2 with `damage`
// saying what is missing when the image holds an incomplete picture, or a failure (the image is
// then empty).
int ReadImageFile(vuImage& image, const std::string& path, const std::string& nameForType,
                  std::string* damage);

// Why a read failed, from ReadImageFile's result (the decisive message of the reader, if it gave
// one, is part of it).
std::string ReadFailureText(const std::string& path, int result);

// Converts the image in place to a pixel format the output type can store (the batch conversion
// table, then the closest format the type offers).
void PrepareForType(vuImage& image, int type);

// One conversion.
struct ConvertJob {
  std::string input;     // as the user named it ("-": standard input)
  std::string inputPath; // the file read
  std::string output;    // "-": standard output
  int type = 0;
};

// Converts one file. The input is read completely before the output is written; the output is
// written under a temporary name and put in place at the end, so a failure never leaves a partial
// file. Returns true, or false with the file and reason in `failure`.
bool ConvertFile(const ConvertJob& job, const Options& options, Failure* failure);
