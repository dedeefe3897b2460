#pragma once

#include "core/Language.h"
#include "keys/RandomSource.h"
#include "settings/DashboardSettings.h"

#include <QByteArray>
#include <QString>

#include <utility>

class Prompter;

// Where the program, its data and its probe file are.
struct StartupPlaces
{
    QString programFolder;   // with trailing delimiter
    QString programFileName; // name and extension, no folder
    QString dataFolder;      // with trailing delimiter
    QString settingsFile;    // dataFolder + "velmora.ini"
    QString probeFile;       // temporary folder + program name with ".dat"
    QString checkerPath;     // programFolder + the checker's file name
};

// How the steps without a window ended: what the program does next.
enum class StartupState {
    DataFolderFailed,   // the data folder could not be made; error() says why
    SettingsNotWritten, // the first start's new key could not be stored
    KeyNotMade,         // the random source failed: no key was made; error() says why
    SettingsUnreadable, // the settings file exists but could not be read
    ReminderDue,        // no password is set: remind the user to set one
    PasswordRequired,   // ask for the stored password
    PasswordAccepted,   // the stored password was accepted earlier in this run
};

// The start of the program up to the password, without any window: the
// places, the data folder (made owner-only when missing), the settings file
// read, the language chosen (the system's, overridden by the file), a
// personal key made and stored at the first start (not for a settings file
// that ends before its key line: that one is left as it is, and the encrypt
// tool is refused until a key is restored), and the decision between
// the reminder and the password prompt. It also keeps the dashboard's values
// for the rest of the run: read again after the settings window has closed,
// written back when the program ends.
class StartupSequence
{
public:
    explicit StartupSequence(QByteArray textKey);

    // Runs the steps; `prompter` shows the settings file's write-error
    // dialog when the new key cannot be stored.
    StartupState run(Prompter &prompter);

    // The prompt's outcome. Accepted: the stored password becomes the
    // accepted one. Reset: the run goes on without a password (the settings
    // file keeps its digest, so the next start asks again).
    void passwordAccepted();
    void passwordReset();

    // Reads the settings file again; false when it exists but cannot be
    // read (error() then says why).
    bool reloadSettings();
    // Writes the personal key, the language and the carried value back; a
    // file that could not be read when it was last loaded is left alone
    // (false), and so is one that ended before its key line while there is
    // no key (true: an empty key line would have the next start make a new
    // key unasked). False when writing failed (the prompter has shown why).
    bool saveSettings(Prompter &prompter);

    const StartupPlaces &places() const { return m_places; }
    // The values the settings window shares with the start-up for this run;
    // handed to it with each opening.
    SettingsValues &sharedValues() { return m_shared; }
    const SettingsValues &sharedValues() const { return m_shared; }
    const DashboardSettings &values() const { return m_values; }
    Language language() const { return m_values.language; }
    bool keyGenerated() const { return m_keyGenerated; }
    QString error() const { return m_error; }
    QByteArray textKey() const { return m_textKey; }
    // Where a first start's key is drawn from; the system's random source
    // unless replaced.
    void setRandomSource(RandomSource random) { m_random = std::move(random); }

    // "Bitte legen Sie zuerst ein Passwort an (Einstellungen)!" and its
    // English twin, shown in a box captioned "Velmora".
    static QString reminderText(Language language);
    static constexpr char ReminderCaption[] = "Velmora";

private:
    void findPlaces();
    bool makeDataFolder();

    QByteArray m_textKey;
    StartupPlaces m_places;
    DashboardSettings m_values;
    SettingsValues m_shared;
    bool m_settingsUsable = false;
    bool m_keyGenerated = false;
    QString m_error;
    RandomSource m_random;
};
