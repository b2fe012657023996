// The folder chooser of the batch dialog's "Change Folder" buttons: a file dialog that browses
// folders only, whose name field ("Folder:") shows the folder being browsed, with the buttons
// "Set Directory" (take it) and "Don't Set Directory" (cancel).
#pragma once

#include "imagelib/vuPlatform.h"

// Shows the chooser for a request whose selectFolder is set; true with `path` filled when the
// user set a folder.
bool ChooseFolder(vuFileDialog& dialog);
