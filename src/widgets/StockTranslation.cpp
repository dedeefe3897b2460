#include "widgets/StockTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include <memory>

namespace {

// Owned by the application, so it goes when the application goes.
QPointer<QTranslator> &germanTranslator()
{
    static QPointer<QTranslator> translator;
    return translator;
}

bool installed = false;

} // namespace

namespace StockTranslation {

bool apply(Language language)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (app == nullptr)
        return false;
    QPointer<QTranslator> &translator = germanTranslator();
    if (translator.isNull())
        installed = false;

    if (language != Language::German) {
        if (installed)
            QCoreApplication::removeTranslator(translator);
        installed = false;
        return true;
    }
    if (installed)
        return true;
    if (translator.isNull()) {
        auto loaded = std::make_unique<QTranslator>();
        if (!loaded->load(QStringLiteral("qtbase_de"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            return false;
        loaded->setParent(app);
        translator = loaded.release();
    }
    installed = QCoreApplication::installTranslator(translator);
    return installed;
}

bool isGerman()
{
    return installed && !germanTranslator().isNull();
}

} // namespace StockTranslation
