// The pictures of the batch dialog: folder-list icons (folders, the parent entry, drives by
// kind, image files by format), the input list's state icons and the Info and Up Folder buttons.
#pragma once

#include <QIcon>

// A folder-list icon by its number (BatchFolderIcon); a null icon for unused numbers.
QIcon BatchFolderIconImage(int icon);
// An input-list state icon; `failed` marks an entry the last run could not convert.
QIcon BatchStateIconImage(int state, bool failed);
QIcon BatchInfoButtonImage();
QIcon BatchUpFolderButtonImage();
