#include "startup/StartupSequence.h"

#include "core/TextTrim.h"
#include "filetexts/FileProblemText.h"
#include "keys/PersonalKey.h"
#include "platform/DataFolder.h"
#include "platform/ProgramInfo.h"
#include "settings/SettingsFile.h"
#include "update/UpdateProbe.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

StartupSequence::StartupSequence(QByteArray textKey)
    : m_textKey(std::move(textKey))
{
}

void StartupSequence::findPlaces()
{
    m_places.programFolder = ProgramInfo::programFolder();
    m_places.programFileName = ProgramInfo::programFileName();
    m_places.dataFolder = DataFolder::path();
    m_places.settingsFile = m_places.dataFolder + QString::fromLatin1(SettingsFileName);
    m_places.probeFile = QDir::toNativeSeparators(
        ProgramInfo::temporaryFolder() + QLatin1Char('/') +
        ProgramInfo::replaceExtension(m_places.programFileName, QStringLiteral(".dat")));
    m_places.checkerPath = m_places.programFolder + UpdateProbe::checkerFileName();
}

bool StartupSequence::makeDataFolder()
{
    // Missing parents are made owner-only too; a folder that is not the
    // user's own, or that others may change, is refused.
    const FileProblem problem = DataFolder::prepare(m_places.dataFolder);
    if (problem.isNone())
        return true;
    m_error = FileProblemText::dataFolderRefusal(problem, m_values.language);
    return false;
}

StartupState StartupSequence::run(Prompter &prompter)
{
    m_values = DashboardSettings{};
    m_keyGenerated = false;
    m_settingsUsable = false;
    m_error.clear();
    findPlaces();
    // The system's language holds until the settings say otherwise, also
    // when a step below fails.
    m_values.language = languageOfSystem(ProgramInfo::systemLanguageName());

    if (!makeDataFolder())
        return StartupState::DataFolderFailed;
    if (!reloadSettings())
        return StartupState::SettingsUnreadable;

    // A file that ends before its key line was not written by this program
    // whole; a new key in it would silently stand in for the lost one.
    if (TextTrim::trimmed(m_values.personalKey).isEmpty() && !m_values.keyLineMissing) {
        const NewUserKey key = GenerateUserKey(m_random);
        if (!key.made()) {
            m_error = key.refusal(m_values.language);
            return StartupState::KeyNotMade;
        }
        m_values.personalKey = key.key;
        m_keyGenerated = true;
        // A key that cannot be stored must not be used: every file encrypted
        // with it would be lost at the next start.
        if (!saveSettings(prompter)) {
            m_error = QStringLiteral("Cannot write file \"%1\".").arg(m_places.settingsFile);
            return StartupState::SettingsNotWritten;
        }
        if (!reloadSettings())
            return StartupState::SettingsUnreadable;
    }

    if (TextTrim::trimmed(m_values.storedPassword).isEmpty())
        return StartupState::ReminderDue;
    if (m_values.storedPassword == m_shared.acceptedPassword)
        return StartupState::PasswordAccepted;
    return StartupState::PasswordRequired;
}

void StartupSequence::passwordAccepted()
{
    m_shared.acceptedPassword = m_values.storedPassword;
}

void StartupSequence::passwordReset()
{
    m_values.storedPassword.clear();
    m_shared.acceptedPassword.clear();
}

bool StartupSequence::reloadSettings()
{
    QString error;
    const SettingsReading::Status status =
        m_values.load(m_places.settingsFile, m_textKey,
                      languageOfSystem(ProgramInfo::systemLanguageName()), m_shared, &error);
    m_settingsUsable =
        status == SettingsReading::Status::Read || status == SettingsReading::Status::NoFile;
    if (m_settingsUsable)
        return true;
    m_error = error.isEmpty()
                  ? QStringLiteral("Cannot read file \"%1\".").arg(m_places.settingsFile)
                  : error;
    return false;
}

bool StartupSequence::saveSettings(Prompter &prompter)
{
    if (!m_settingsUsable || m_places.settingsFile.isEmpty())
        return false;
    if (m_values.keyLineMissing && TextTrim::trimmed(m_values.personalKey).isEmpty())
        return true;
    return saveDashboardSettings(m_places.settingsFile, m_textKey, m_values, prompter);
}

QString StartupSequence::reminderText(Language language)
{
    return language == Language::German
               ? QStringLiteral("Bitte legen Sie zuerst ein Passwort an (Einstellungen)!")
               : QStringLiteral("Please create a password first (settings)!");
}
