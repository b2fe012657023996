// File type names and extensions as the command line uses them.
#pragma once

#include <string>

// The type number for an extension or a name ("tif", ".TIFF", "jpeg", "targa", ...), or -1.
int TypeFromName(std::string name);
// The type number for a file name's extension, or -1.
int TypeFromFileName(const std::string& fileName);
// The extension files of a type get, with its dot (".wif", ".tif", ".jpg", ...).
std::string ExtensionForType(int type);
// The short name of a type for messages ("TIFF", "Targa", "JPEG" ...), or "" for an unknown one.
std::string TypeShortName(int type);
// A reader's description as people read it: its first name, without stray spaces or brackets.
std::string CleanDescription(const char* description);
// True when files of the type can be written.
bool TypeIsWritable(int type);
// The output types, for messages ("wif, bmp, pcx, ...").
std::string WritableTypeNames();
