#pragma once

#include <QString>

// The system's own words for an error number ("No space left on device"),
// for messages that say why a file operation failed. Never "Unknown error"
// for a real error number.
QString systemErrorText(int errorNumber);
