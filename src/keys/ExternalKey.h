#pragma once

#include "core/Language.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// A key loaded from a key file for the runs that follow, instead of the
// personal key: line 1 of the key file is the key text, further lines may
// name files of the key file's own folder.
struct ExternalKey
{
    QString keyText; // empty: the default (empty) key, about which the user is warned
    // Whether the key file has lines after the key, and of those the bare
    // names of regular files in its folder (the folder of keyFolder), in order.
    bool namesFiles = false;
    QStringList fileNames;
    QString keyFolder; // the key file's folder, with trailing delimiter

    // Reads the key file; nothing, with the reason in *error (English), when
    // it cannot be read.
    static std::optional<ExternalKey> load(const QString &keyFilePath, const QByteArray &textKey,
                                           QString *error = nullptr);

    // "No key specified! Will use default key!" and its German twin, for a
    // key file whose first line is empty.
    static QString defaultKeyWarning(Language language);
};
