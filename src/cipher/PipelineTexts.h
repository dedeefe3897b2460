#pragma once

#include <QString>

// The message texts of the encrypt and decrypt runs; language 0 selects
// German, any other value English. The layer errors and the captions are
// the same in both languages.
namespace PipelineTexts {

QString AccessDenied(int language);
QString PossiblyEncrypted(int language);
QString SureEncrypted(int language);
QString EncryptFailed(int language);
QString DecryptFailedCancel(int language);
QString FilesEncrypted(int language);
QString FilesDecrypted(int language);

QString EncryptCaption();                         // "Encrypt"
QString DecryptCaption();                         // "Decrypt"
QString EncryptLayerError(const QString &inFile); // "Error encrypting file: " + path
QString DecryptLayerError(const QString &inFile); // "Error decrypting file: " + path

} // namespace PipelineTexts
