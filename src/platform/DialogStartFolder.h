#pragma once

#include <QString>

// Where a file dialog starts when a window has no folder of its own yet: the
// drive of the program's folder on Windows ("C:"), the user's home folder
// elsewhere (the first two characters of a Unix path name no folder).
QString dialogStartFolder();
