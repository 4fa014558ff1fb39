#include "brikmux_about.h"

#include "brikmux/version.h"
#include "settings/window_geometry.h"
#include "window_placement.h"

#include <QLabel>
#include <QMouseEvent>

namespace brikmux {

QString versionLine()
{
    return QStringLiteral("Version %1.%2.%3").arg(version::kMajor).arg(version::kMinor).arg(version::kPatch);
}

BrikmuxAbout::BrikmuxAbout(QWidget& owner) : QDialog(&owner), m_owner(owner)
{
    setObjectName("BrikmuxAbout");
    setWindowTitle(QStringLiteral("About Brikmux"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setFont(owner.font()); // and the program's icon, as a child window of the main one
    setFixedSize(5085 / kTwipsPerPixel, 1650 / kTwipsPerPixel);

    ZELKLogo = new QLabel(this);
    ZELKLogo->setObjectName("ZELKLogo");
    ZELKLogo->setPixmap(QPixmap(QStringLiteral(":/artwork/logo.png")));
    ZELKLogo->setAlignment(Qt::AlignCenter);
    place(ZELKLogo, 60, 60, 1575, 1515);

    struct Caption {
        QString text;
        int top, width, height;
    };
    const Caption captions[] = {
        {QStringLiteral("Brikmux"), 60, 2415, 255},
        {QStringLiteral("A utility to to merge LDraw .DAT files into .MPD's and split .MPD's back into .DAT's."), 300,
         2415, 615},
        {QStringLiteral("Version"), 960, 2415, 255},
        {QStringLiteral("Made by the Brikmux team, 2026."), 1320, 3255, 255},
    };
    for (int i = 0; i < 4; ++i) {
        const Caption& caption = captions[i];
        auto* label = new QLabel(caption.text, this);
        label->setObjectName(QStringLiteral("AboutText%1").arg(i));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(i == 1);
        place(label, 1740, caption.top, caption.width, caption.height);
        label->installEventFilter(this);
        AboutText.at(static_cast<std::size_t>(i)) = label;
    }
    QFont bold = font();
    bold.setBold(true);
    AboutText[0]->setFont(bold);

    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setPixmap(QPixmap(QStringLiteral(":/artwork/brikmux-32.png")));
    place(Image1, 4320, 360, 480, 480);
    ZELKLogo->installEventFilter(this);
    Image1->installEventFilter(this);

    winId(); // the native window, which knows its frame on most platforms
    Form_Load();
}

void BrikmuxAbout::Form_Load()
{
    centreOn(*this, m_owner);
    AboutText[2]->setText(versionLine());
}

bool BrikmuxAbout::completesClick(QWidget& target, QMouseEvent& event)
{
    if (event.button() != Qt::LeftButton) {
        return false;
    }
    if (event.type() == QEvent::MouseButtonPress) {
        m_pressedOn = &target;
        return false;
    }
    const bool click = m_pressedOn == &target && target.rect().contains(event.position().toPoint());
    m_pressedOn = nullptr;
    return click;
}

void BrikmuxAbout::mousePressEvent(QMouseEvent* event)
{
    completesClick(*this, *event);
}

void BrikmuxAbout::mouseReleaseEvent(QMouseEvent* event)
{
    if (completesClick(*this, *event)) {
        Form_Click();
    }
}

bool BrikmuxAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease) {
        return QDialog::eventFilter(watched, event);
    }
    auto& part = static_cast<QWidget&>(*watched);
    if (!completesClick(part, static_cast<QMouseEvent&>(*event))) {
        return true;
    }
    for (int i = 0; i < 4; ++i) {
        if (watched == AboutText.at(static_cast<std::size_t>(i))) {
            AboutText_Click(i);
            return true;
        }
    }
    // The logo and the icon.
    ZELKLogo_Click();
    return true;
}

void BrikmuxAbout::Form_Click()
{
    accept();
}

void BrikmuxAbout::AboutText_Click(int /*index*/)
{
    accept();
}

void BrikmuxAbout::ZELKLogo_Click()
{
    accept();
}

} // namespace brikmux
