#pragma once

#include <QChar>

// The character that the key of a printable ASCII character types without
// Shift on the US layout: "A" -> "a", "!" -> "1", "_" -> "-", "a" -> "a".
// Used where decoys cannot go through the system's keyboard and the program
// types them into the decoy field itself.
namespace UnshiftedKey {

QChar of(QChar character);

} // namespace UnshiftedKey
