#pragma once

#include <QtGlobal>

// The secure delete window's progress over a run of `total` files.
namespace DeleteProgress {

// After `processed` files: processed × (100 / total), rounded to the
// nearest integer, halves to the even neighbour.
int percentAfterFiles(int processed, int total);

// Inside file `index` (counting from 0) after `done` of its `work` bytes
// (length × passes): between the value before the file and the value after
// it, never reaching the latter before the file is over.
int percentWithinFile(int index, int total, quint64 done, quint64 work);

} // namespace DeleteProgress
