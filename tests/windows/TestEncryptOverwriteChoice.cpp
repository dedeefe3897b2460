#include "RecordLockHolder.h"
#include "TestFiles.h"
#include "TextFit.h"
#include "WidgetPart.h"
#include "WindowParts.h"

#include "keys/ApplicationTextKey.h"
#include "settings/FormatChoice.h"
#include "widgets/FileDialog.h"
#include "widgets/FlatButton.h"
#include "widgets/MessageBox.h"
#include "windows/EncryptWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

Q_DECLARE_METATYPE(Language)

namespace {

const QString OwnKey = QStringLiteral("Abcdefghijklm%!+oKarnwyb");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

// The encrypt window's "Overwrite the originals" box: stored beside the
// format choice as it is clicked, read when the window opens, taken by the
// encrypt run, and shown with what overwriting cannot reach.
class TestEncryptOverwriteChoice : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_files;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<EncryptWindow> m_window;

    QCheckBox *box() const { return part<QCheckBox>(m_window.get(), EncryptParts::OverwriteBox); }
    QLabel *note() const { return part<QLabel>(m_window.get(), EncryptParts::OverwriteNote); }
    QString choiceFile() const { return m_data->filePath(FormatChoice::fileName()); }

    void open(Language language = Language::English)
    {
        m_window = std::make_unique<EncryptWindow>();
        m_window->openWith(
            EncryptSession{OwnKey, language, QByteArray(ApplicationTextKey), m_data->path()});
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void encrypt(const QStringList &paths)
    {
        FileDialog::setNextResult(paths);
        QTest::mouseClick(part<FlatButton>(m_window.get(), EncryptParts::SelectFiles),
                          Qt::LeftButton);
        QSignalSpy finished(m_window.get(), &EncryptWindow::runFinished);
        QTest::mouseClick(part<FlatButton>(m_window.get(), EncryptParts::Encrypt), Qt::LeftButton);
        if (finished.isEmpty())
            QVERIFY(finished.wait(60000));
    }

private Q_SLOTS:
    void init()
    {
        m_files = std::make_unique<QTemporaryDir>();
        m_data = std::make_unique<QTemporaryDir>();
        MessageBox::clearHistory();
        MessageBox::setNextAnswers({});
        MessageBox::setAutoAnswer(true);
        FileDialog::clearHistory();
    }

    void cleanup()
    {
        m_window.reset();
        MessageBox::setAutoAnswer(false);
        FileDialog::setNextResults({});
    }

    // A click is stored at once, beside the format choice and without
    // touching it; the next window opens with it. Clearing the box leaves
    // the file as a format choice alone always was.
    void clickIsStoredAndReadBack()
    {
        QVERIFY(FormatChoice::save(m_data->path(), FileFormat::Age));
        const QByteArray formatOnly = readAll(choiceFile());
        open();
        QVERIFY(!box()->isChecked());

        QTest::mouseClick(box(), Qt::LeftButton);
        QVERIFY(FormatChoice::loadOverwriteOriginals(m_data->path()));
        QCOMPARE(FormatChoice::load(m_data->path()), FileFormat::Age);

        open();
        QVERIFY(box()->isChecked());
        QTest::mouseClick(box(), Qt::LeftButton);
        QCOMPARE(readAll(choiceFile()), formatOnly);
        open();
        QVERIFY(!box()->isChecked());
        QVERIFY(MessageBox::shownMessages().isEmpty());
    }

    // With the box ticked, an original that cannot be overwritten (another
    // program holds a record lock on it) stays beside its result and the
    // message after the run names it; without, it is deleted as always.
    void runTakesTheBox_data()
    {
        QTest::addColumn<bool>("ticked");
        QTest::newRow("ticked") << true;
        QTest::newRow("clear") << false;
    }

    void runTakesTheBox()
    {
        QFETCH(bool, ticked);
        const QString original = m_files->filePath(QStringLiteral("held.bin"));
        QVERIFY(TestFiles::write(original, TestFiles::randomBytes(9000, 2)));
        const RecordLockHolder lock(original);
        QVERIFY(lock.locked());
        open();
        if (ticked)
            QTest::mouseClick(box(), Qt::LeftButton);

        encrypt({original});

        QVERIFY(QFileInfo::exists(original + QStringLiteral(".enc")));
        QCOMPARE(QFileInfo::exists(original), ticked);
        const QStringList shown = MessageBox::shownTexts();
        const bool named = std::any_of(shown.begin(), shown.end(), [&](const QString &text) {
            return text.contains(QStringLiteral("could not be overwritten in full")) &&
                   text.contains(QDir::toNativeSeparators(original));
        });
        QCOMPARE(named, ticked);
    }

    // The box, the note and the whole of the limits in the window's
    // language; the note is shown whole and the limits reach screen readers
    // without a tool tip.
    void textsInBothLanguages_data()
    {
        QTest::addColumn<Language>("language");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("limitWord");
        QTest::newRow("German") << Language::German << "Originale überschreiben"
                                << "Copy-on-Write-Dateisystemen";
        QTest::newRow("English") << Language::English << "Overwrite the originals"
                                 << "copy-on-write file systems";
    }

    void textsInBothLanguages()
    {
        QFETCH(Language, language);
        QFETCH(QString, caption);
        QFETCH(QString, limitWord);
        open(language);
        QCOMPARE(box()->text(), caption);
        QVERIFY(box()->width() >= box()->sizeHint().width());
        QVERIFY(note()->isVisible());
        QVERIFY(TextFit::showsWhole(note()));
        QVERIFY(note()->text().contains(QStringLiteral("SSD")));
        QVERIFY2(box()->accessibleDescription().contains(limitWord),
                 qPrintable(box()->accessibleDescription()));
        QCOMPARE(note()->accessibleDescription(), box()->accessibleDescription());
    }
};

QTEST_MAIN(TestEncryptOverwriteChoice)
#include "TestEncryptOverwriteChoice.moc"
