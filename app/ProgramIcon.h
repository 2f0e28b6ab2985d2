#pragma once
// The program's icon (the window's, the task bar's), built into the program.

#include <QIcon>

QIcon ProgramIcon();
