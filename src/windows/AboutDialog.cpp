#include "windows/AboutDialog.h"

#include "platform/gui/DesktopServices.h"
#include "widgets/DesignPalette.h"
#include "widgets/FlatButton.h"
#include "widgets/Icons.h"
#include "widgets/LinkLabel.h"
#include "widgets/RoundedPanel.h"
#include "windows/AppConfig.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
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
    DesignPalette::applyTo(this);
    setFixedSize(250, 240);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    m_panel = new RoundedPanel(this);
    m_panel->setObjectName(QStringLiteral("Panel1"));
    m_panel->setGeometry(0, 0, 250, 240);
    m_panel->setGradient(QColor(245, 241, 238), QColor(170, 170, 187), 200);
    m_panel->setBevel(RoundedPanel::Bevel::Soft);

    m_logo = new LinkLabel(m_panel);
    m_logo->setObjectName(QStringLiteral("ProgramIcon"));
    m_logo->setGeometry(27, 10, 195, 65);
    m_logo->setPixmap(Icons::logo(QSize(195, 65)));
    m_logo->setAlignment(Qt::AlignCenter);
    m_logo->setAccessibleName(QStringLiteral("Velmora2"));

    QFont title = fontOf(QStringLiteral("Century Gothic"), 21);
    title.setBold(true);
    m_productName = centredLabel(m_panel, QStringLiteral("Velmora2 SW"), title, QColor(79, 0, 79));
    m_productName->setObjectName(QStringLiteral("ProductName"));
    m_productName->setGeometry(0, 80, 250, 30);

    const QFont plain = fontOf(QStringLiteral("Arial"), 13);
    m_releaseLabel = new QLabel(QStringLiteral("Release"), m_panel);
    m_releaseLabel->setObjectName(QStringLiteral("LabelRelease"));
    m_releaseLabel->setFont(plain);
    m_releaseLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_releaseLabel->setGeometry(0, 114, 122, 18);
    m_version = new QLabel(m_panel);
    m_version->setObjectName(QStringLiteral("LabelVersion"));
    m_version->setFont(plain);
    m_version->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_version->setGeometry(128, 114, 122, 18);

    m_copyright =
        centredLabel(m_panel, QString::fromUtf8(AppConfig::CopyrightLine), plain, Qt::black);
    m_copyright->setObjectName(QStringLiteral("Copyright"));
    m_copyright->setGeometry(0, 136, 250, 18);

    m_link = new LinkLabel(m_panel);
    m_link->setObjectName(QStringLiteral("Label5"));
    m_link->setFont(fontOf(QStringLiteral("Arial"), 13, true));
    m_link->setAlignment(Qt::AlignCenter);
    m_link->setGeometry(0, 160, 250, 20);

    m_closePanel = new RoundedPanel(m_panel);
    m_closePanel->setTransparent();
    m_closePanel->setBevel(RoundedPanel::Bevel::Soft);
    m_closePanel->setGeometry(28, 200, 193, 28);
    m_closeButton = new FlatButton(m_closePanel);
    m_closeButton->setObjectName(QStringLiteral("ButtonClose"));
    m_closeButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_closeButton->setText(QStringLiteral("Ok"));
    m_closeButton->setFont(plain);
    m_closeButton->setGeometry(2, 2, 189, 24);

    // The link is reached with Tab; Ok keeps the focus when the box opens.
    m_link->setFocusPolicy(Qt::TabFocus);
    setTabOrder(m_closeButton, m_link);

    connect(m_link, &LinkLabel::clicked, this, &AboutDialog::linkClicked);
    connect(m_logo, &LinkLabel::clicked, this, &AboutDialog::linkClicked);
    connect(m_closeButton, &FlatButton::clicked, this, &AboutDialog::close);
    applyLanguage();
}

void AboutDialog::showAbout(Language language, const QString &version, const QWidget *over)
{
    m_language = language;
    m_over = over;
    m_version->setText(version);
    exec();
}

QString AboutDialog::makerSite(Language language)
{
    return QString::fromUtf8(language == Language::German ? AppConfig::MakerSiteGerman
                                                          : AppConfig::MakerSiteEnglish);
}

void AboutDialog::openUrl(const QString &url)
{
    DesktopServices::openUrl(QUrl(url));
    close();
}

void AboutDialog::applyLanguage()
{
    setWindowTitle(m_language == Language::German ? QStringLiteral("Über...")
                                                  : QStringLiteral("About..."));
    m_link->setText(makerSite(m_language));
}

void AboutDialog::linkClicked()
{
    openUrl(QStringLiteral("https://") + m_link->text());
}

void AboutDialog::showEvent(QShowEvent *event)
{
    applyLanguage();
    if (!event->spontaneous())
        centreOverOwner();
    QDialog::showEvent(event);
}

void AboutDialog::centreOverOwner()
{
    // The box has no frame of its own; only the owner's frame counts.
    QPoint centre;
    if (!m_over.isNull())
        centre = m_over->frameGeometry().center();
    else if (const QScreen *desktop = QGuiApplication::primaryScreen())
        centre = desktop->availableGeometry().center();
    else
        return;
    QRect box(QPoint(0, 0), size());
    box.moveCenter(centre);
    move(box.topLeft());
}
