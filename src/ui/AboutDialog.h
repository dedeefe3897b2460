#pragma once

#include <QDialog>
#include <QString>

class FlatButton;
class LinkLabel;
class QLabel;
class RoundedPanel;

// The about box: product title, version, year and maker, and a link to the
// maker's web site. OpenUrl also serves the dashboard for opening the site.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);

    int ALanguage = 0;

    RoundedPanel *Panel1 = nullptr;
    LinkLabel *ProgramIcon = nullptr; // the logo, a link as well
    QLabel *ProductName = nullptr;
    QLabel *LabelRelease = nullptr;
    QLabel *LabelVersion = nullptr;
    QLabel *Copyright = nullptr;
    LinkLabel *Label5 = nullptr;
    RoundedPanel *PanelClose = nullptr;
    FlatButton *ButtonClose = nullptr;

    // Opens the address in the default browser, then closes the box
    // (harmless when it is not shown).
    void OpenUrl(const QString &url);
    // The maker's site for a language, without scheme.
    static QString makerSite(int language);

    void FormShow();
    void Label5Click();
    void SpeedButton1Click();

protected:
    void showEvent(QShowEvent *event) override;
};
