#pragma once

class SecureDeleteHost;

// How a batch run went, for callers that want more than the window shows.
struct DeleteRunResult
{
    int total = 0;          // entries when the run started
    int done = 0;           // files deleted (or already gone)
    int overwriteCount = 0; // count used; 0 when the run ended before it
    bool confirmed = false; // the user said Yes
    bool cancelled = false; // stopped by the cancel flag

    int failed() const { return confirmed && !cancelled ? total - done : 0; }
};

// The secure delete run over the host's list: asks for confirmation, reads
// the overwrite count field, destroys the listed files one by one with
// progress, stops at the cancel flag between files, reports the deleted and
// refused counts and compacts the list so that only refused files remain.
DeleteRunResult DeleteListedFiles(SecureDeleteHost &host);

// Progress after `processed` of `total` files: processed × (100 / total),
// rounded to the nearest integer, halves to the even neighbour.
int DeleteProgressPercent(int processed, int total);
