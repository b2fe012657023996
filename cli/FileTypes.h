// File type names and extensions as the command line uses them.
#pragma once

#include <string>

// The type number for an extension or a name ("tif", ".TIFF", "jpeg", "targa", ...), or -1.
int TypeFromName(std::string name);
// The type number for a file name's extension, or -1.
int TypeFromFileName(const std::string& fileName);
// The extension files of a type get, with its dot (".wif", ".tif", ".jpg", ...).
std::string ExtensionForType(int type);
