// The folder chooser of the batch dialog's "Change Folder" buttons: a file dialog that browses
// folders only, whose name field ("Folder:") shows the name of the folder being browsed (the file
// dialog itself keeps it so), with the buttons "Set Directory" (take that folder, or the one
// typed into the field) and "Don't Set Directory" (cancel).
#pragma once

#include "imagelib/vuPlatform.h"

// Shows the chooser for a request whose selectFolder is set; true with `path` filled when the
// user set a folder.
bool ChooseFolder(vuFileDialog& dialog);
