#pragma once

#include "cipher/LayerChain.h"

#include <QString>

#include <functional>
#include <optional>

class EncryptRunHost;

// Encrypts and decrypts files in place for the encrypt window: one layer,
// one listed file with both layers, and the runs over the whole list.
//
// A file P becomes P.enc through the intermediate P.ec (the layer keyed
// through SHA-256, then the one keyed through SHA-1); decryption runs them
// in reverse. The original is deleted only after the result is complete and
// flushed to the disk, and a failure never changes or deletes it.
class FilePipeline
{
public:
    explicit FilePipeline(EncryptRunHost &host);

    // One layer from InFile to OutFile, keyed through SHA-1 (UseSha1) or
    // SHA-256. Shows the layer's error box on failure.
    bool EncryptLayer(const QString &InFile, const QString &OutFile, bool UseSha1);
    bool DecryptLayer(const QString &InFile, const QString &OutFile, bool UseSha1);

    // Both layers for the file at path; on success the list entry at index
    // takes the result's name. A file that does not exist counts as done.
    bool EncryptListedFile(const QString &path, int index);
    // Refuses a name that does not end in ".enc".
    bool DecryptListedFile(const QString &path, int index);

    // The runs over the whole list (the window's encrypt and decrypt buttons).
    void EncryptRun();
    void DecryptRun();

    // How the last file or layer ended, for callers that report the reason.
    const FileWorkOutcome &lastOutcome() const { return m_lastOutcome; }

    // "x.enc" -> "x" (the last four characters, any letter case); nothing for
    // a name that does not end in ".enc" or that is nothing but ".enc".
    static std::optional<QString> decryptedPath(const QString &encryptedPath);

private:
    FileWorkOutcome runWork(const std::vector<LayerStep> &layers,
                            const std::function<void()> &afterSuccess = {});
    FileWorkOutcome runFileWork(const QString &path, bool decrypting);
    bool layer(const QString &InFile, const QString &OutFile, bool UseSha1, bool decrypting);
    void reportFailure(bool decrypting);
    bool isExistingFile(const QString &path) const;
    QString entryPath(const QString &folder, int index) const;
    int progressAfter(int index, double step) const;

    EncryptRunHost &m_host;
    FileWorkOutcome m_lastOutcome;
};
