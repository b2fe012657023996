// The toolbar pictures of the commands, drawn at start-up.
#pragma once

#include <QIcon>

// The picture of a command's toolbar button; a null icon for commands without one.
QIcon CommandIcon(int id);
