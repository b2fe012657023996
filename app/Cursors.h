// The mouse-mode cursors by their resource numbers (184 cross, 167 magnifier, 154 hand).
#pragma once

#include <QCursor>

QCursor CursorForResource(int resource);
