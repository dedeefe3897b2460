#pragma once

#include "core/Language.h"
#include "filecipher/LayerChain.h"

#include <QString>

// The message texts of the encrypt and decrypt runs. The layer errors and
// the captions are the same in both languages.
namespace PipelineTexts {

QString AccessDenied(Language language);
QString PossiblyEncrypted(Language language);
QString SureEncrypted(Language language);
QString EncryptFailed(Language language);
QString DecryptFailedCancel(Language language);
QString FilesEncrypted(Language language);
QString FilesDecrypted(Language language);

// What the box after a failed file says, by the kind of failure:
// AccessDenied() only where access was denied; a heading of the same form
// ("Name too long! ...") for every other kind.
QString FailureHeading(FileFailure failure, Language language);

QString EncryptCaption();                         // "Encrypt"
QString DecryptCaption();                         // "Decrypt"
QString EncryptLayerError(const QString &inFile); // "Error encrypting file: " + path
QString DecryptLayerError(const QString &inFile); // "Error decrypting file: " + path

} // namespace PipelineTexts
