#pragma once

#include "core/Language.h"

#include <QDialog>
#include <QPointer>
#include <QString>

class FlatButton;
class LinkLabel;
class QLabel;
class RoundedPanel;

// The about box: product title, version, year and maker, and a link to the
// maker's web site. It opens centred over the window that asks for it.
// openUrl also serves the dashboard for opening the site.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);

    // Modal: the box in a language with a version text, centred over
    // `over` (the desktop when there is none).
    void showAbout(Language language, const QString &version, const QWidget *over);

    // Opens the address in the default browser, then closes the box
    // (harmless when it is not shown).
    void openUrl(const QString &url);
    // The maker's site for a language, without scheme.
    static QString makerSite(Language language);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void applyLanguage();
    void centreOverOwner();
    void linkClicked();

    Language m_language = Language::German;
    QPointer<const QWidget> m_over;
    RoundedPanel *m_panel = nullptr;
    LinkLabel *m_logo = nullptr; // a link as well
    QLabel *m_productName = nullptr;
    QLabel *m_releaseLabel = nullptr;
    QLabel *m_version = nullptr;
    QLabel *m_copyright = nullptr;
    LinkLabel *m_link = nullptr;
    RoundedPanel *m_closePanel = nullptr;
    FlatButton *m_closeButton = nullptr;
};
