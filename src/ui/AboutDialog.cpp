#include "ui/AboutDialog.h"

#include "platform/gui/DesktopServices.h"
#include "ui/AppConfig.h"
#include "ui/FlatButton.h"
#include "ui/Icons.h"
#include "ui/LinkLabel.h"
#include "ui/RoundedPanel.h"

#include <QLabel>
#include <QUrl>

namespace {

QFont fontOf(const QString &family, int pixels, bool underline = false)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setUnderline(underline);
    return font;
}

QLabel *centredLabel(QWidget *parent, const QString &text, const QFont &font, const QColor &colour)
{
    auto *label = new QLabel(text, parent);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, colour);
    label->setPalette(colours);
    return label;
}

} // namespace

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("AboutBox"));
    setFixedSize(250, 240);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    Panel1 = new RoundedPanel(this);
    Panel1->setGeometry(0, 0, 250, 240);
    Panel1->setGradient(QColor(245, 241, 238), QColor(170, 170, 187), 200);
    Panel1->setBevel(RoundedPanel::Bevel::Soft);

    ProgramIcon = new LinkLabel(Panel1);
    ProgramIcon->setGeometry(27, 10, 195, 65);
    ProgramIcon->setPixmap(Icons::logo(QSize(195, 65)));
    ProgramIcon->setAlignment(Qt::AlignCenter);

    QFont title = fontOf(QStringLiteral("Century Gothic"), 21);
    title.setBold(true);
    ProductName = centredLabel(Panel1, QStringLiteral("Velmora2 SW"), title, QColor(79, 0, 79));
    ProductName->setGeometry(0, 80, 250, 30);

    const QFont plain = fontOf(QStringLiteral("Arial"), 13);
    LabelRelease = new QLabel(QStringLiteral("Release"), Panel1);
    LabelRelease->setFont(plain);
    LabelRelease->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelRelease->setGeometry(0, 114, 122, 18);
    LabelVersion = new QLabel(Panel1);
    LabelVersion->setObjectName(QStringLiteral("LabelVersion"));
    LabelVersion->setFont(plain);
    LabelVersion->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    LabelVersion->setGeometry(128, 114, 122, 18);

    Copyright = centredLabel(Panel1, QString::fromUtf8(AppConfig::CopyrightLine), plain, Qt::black);
    Copyright->setGeometry(0, 136, 250, 18);

    Label5 = new LinkLabel(Panel1);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setFont(fontOf(QStringLiteral("Arial"), 13, true));
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setGeometry(0, 160, 250, 20);

    PanelClose = new RoundedPanel(Panel1);
    PanelClose->setTransparent();
    PanelClose->setBevel(RoundedPanel::Bevel::Soft);
    PanelClose->setGeometry(28, 200, 193, 28);
    ButtonClose = new FlatButton(PanelClose);
    ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
    ButtonClose->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ButtonClose->setText(QStringLiteral("Ok"));
    ButtonClose->setFont(plain);
    ButtonClose->setGeometry(2, 2, 189, 24);

    connect(Label5, &LinkLabel::clicked, this, &AboutDialog::Label5Click);
    connect(ProgramIcon, &LinkLabel::clicked, this, &AboutDialog::Label5Click);
    connect(ButtonClose, &FlatButton::clicked, this, &AboutDialog::SpeedButton1Click);
}

QString AboutDialog::makerSite(int language)
{
    return QString::fromUtf8(language == 0 ? AppConfig::MakerSiteGerman
                                           : AppConfig::MakerSiteEnglish);
}

void AboutDialog::OpenUrl(const QString &url)
{
    DesktopServices::openUrl(QUrl(url));
    close();
}

void AboutDialog::FormShow()
{
    setWindowTitle(ALanguage == 0 ? QStringLiteral("Über...") : QStringLiteral("About..."));
    Label5->setText(makerSite(ALanguage));
}

void AboutDialog::Label5Click()
{
    OpenUrl(QStringLiteral("https://") + Label5->text());
}

void AboutDialog::SpeedButton1Click()
{
    close();
}

void AboutDialog::showEvent(QShowEvent *event)
{
    FormShow();
    QDialog::showEvent(event);
}
