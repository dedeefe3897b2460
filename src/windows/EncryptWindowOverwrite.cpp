// The encrypt window's "Overwrite the originals" box and the note beside it.
#include "settings/FormatChoice.h"
#include "widgets/MessageBox.h"
#include "windows/EncryptWindow.h"

#include <QCheckBox>
#include <QLabel>

void EncryptWindow::buildOverwriteChoice()
{
    m_overwriteBox = new QCheckBox(this);
    m_overwriteBox->setObjectName(QStringLiteral("CheckBoxOverwrite"));
    m_overwriteBox->setGeometry(416, 298, 194, 17);

    m_overwriteNote = new QLabel(this);
    m_overwriteNote->setObjectName(QStringLiteral("LabelOverwriteNote"));
    m_overwriteNote->setWordWrap(true);
    m_overwriteNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_overwriteNote->setGeometry(416, 316, 194, 40);

    // Only the user's clicks are stored, not the box set from the stored choice.
    connect(m_overwriteBox, &QCheckBox::clicked, this, &EncryptWindow::overwriteChoiceClicked);
}

void EncryptWindow::applyOverwriteTexts()
{
    const Language language = m_session.language;
    m_overwriteBox->setText(
        textFor(language, "Originale überschreiben", "Overwrite the originals"));
    m_overwriteNote->setText(textFor(
        language,
        "Alte Kopien auf SSDs und in Copy-on-Write- oder Journaling-Dateisystemen bleiben "
        "erhalten.",
        "Old copies on SSDs and on copy-on-write or journaling file systems stay out of its "
        "reach."));
    // The whole of the limits, for screen readers and as a hint; the note
    // shows their gist without either.
    const QString limits = textFor(
        language,
        "Nach dem Verschlüsseln wird jedes Original mit den Durchgängen des sicheren Löschens "
        "überschrieben, bevor es entfernt wird. Überschreiben ersetzt die Daten in den Blöcken, "
        "die die Datei jetzt belegt, und nicht mehr: Alte Kopien auf Copy-on-Write-Dateisystemen "
        "(Btrfs, ZFS), auf Dateisystemen, die Dateidaten im Journal führen, in Snapshots und "
        "Sicherungen, auf SSDs und Flash-Speichern und auf Netzlaufwerken bleiben außer "
        "Reichweite. Dort hilft die Verschlüsselung der ganzen Festplatte.",
        "After encrypting, each original is overwritten with the passes of secure delete "
        "before it is removed. Overwriting replaces the data in the disk blocks the file "
        "occupies now, and nothing more: old copies on copy-on-write file systems (Btrfs, ZFS), "
        "on file systems that journal file data, in snapshots and backups, on SSDs and flash "
        "media and on network shares stay out of its reach. There, full-disk encryption is "
        "the answer.");
    m_overwriteBox->setAccessibleDescription(limits);
    m_overwriteBox->setToolTip(limits);
    m_overwriteNote->setAccessibleDescription(limits);
}

bool EncryptWindow::overwritesOriginals() const
{
    return m_overwriteBox->isChecked();
}

void EncryptWindow::readOverwriteChoice()
{
    m_overwriteBox->setChecked(!m_session.dataFolder.isEmpty() &&
                               FormatChoice::loadOverwriteOriginals(m_session.dataFolder));
}

void EncryptWindow::overwriteChoiceClicked(bool overwrite)
{
    if (m_session.dataFolder.isEmpty())
        return;
    QString error;
    if (FormatChoice::saveOverwriteOriginals(m_session.dataFolder, overwrite, &error))
        return;
    // The box keeps what the user chose for this window's runs.
    MessageBox::warning(this,
                        textFor(m_session.language, "Die Wahl konnte nicht gespeichert werden: ",
                                "The choice could not be stored: ") +
                            error);
}
