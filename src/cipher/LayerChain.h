#pragma once

#include <QString>

#include <functional>
#include <vector>

// One RC4 layer of a file: the input, the output, and whether the key is
// derived through SHA-1 (true) or SHA-256 (false).
struct LayerStep
{
    QString input;
    QString output;
    bool useSha1 = false;
};

// How the work on one file ended. When a layer failed, failedInput is that
// layer's input file and reason the system's explanation.
struct FileWorkOutcome
{
    bool ok = false;
    int failedLayer = -1;
    QString failedInput;
    QString reason;
    QString result; // the file the work produced, after success
};

// Called with the bytes finished so far and the expected total, from the
// thread that runs the work.
using ByteProgress = std::function<void(quint64 done, quint64 total)>;

// The heavy part of encrypting or decrypting one file, free of any user
// interface so that it can run on a worker thread: a chain of layers in
// which every layer after the first reads the previous layer's output.
//
// - Each layer streams the whole file in 8192-byte chunks, the key stream
//   restarting at every chunk; 64-bit counts, no size limit.
// - The layers run side by side on their own threads over large blocks, and
//   a later layer takes the bytes its predecessor writes to the intermediate
//   file straight from memory instead of reading the file back.
// - The last output is written under a temporary name in the same folder,
//   flushed to the disk and then renamed over the final name, so an existing
//   file of that name stays whole until the new one is complete and on disk.
// - Outputs take the first input's permissions.
// - On failure every file the work created is removed; the inputs are never
//   changed. Intermediates stay after success: the caller deletes them.
FileWorkOutcome runLayerChain(const QString &keyText, const std::vector<LayerStep> &layers,
                              const ByteProgress &progress = {});
