// The main window's controls: their captions, places and sizes (in twips, as the window keeps
// them), the menus, the tab order and the keys.
#include "brikmux_main.h"

#include "settings/window_geometry.h"
#include "window_placement.h"

#include <QShortcut>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>


namespace brikmux {

namespace {

// A sans-serif face at 8 points, narrow enough for the captions: Arial's metrics where there is
// such a face, DejaVu's condensed face otherwise.
QFont windowFont()
{
    QFont font;
    font.setFamilies(
        {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans Condensed")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

} // namespace

void BrikmuxMain::buildControls()
{
    setObjectName("BrikmuxMain");
    setWindowTitle("Brikmux");
    setProgramIcon(*this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(windowFont());
    QFont bold = windowFont();
    bold.setBold(true);

    MenuOptions = menuBar()->addMenu(QStringLiteral("Options"));
    MenuOptions->setObjectName("MenuOptions");
    MenuPack = MenuOptions->addAction(QStringLiteral("Pack Library Files into the .MPD (for Web Viewers)"));
    MenuPack->setObjectName("MenuPack");
    MenuPack->setCheckable(true);
    MenuOptions->addSeparator();
    MenuPackMPD = MenuOptions->addAction(QStringLiteral("Pack the .MPD File for Web Viewers"));
    MenuPackMPD->setObjectName("MenuPackMPD");
    connect(MenuPackMPD, &QAction::triggered, this, [this] { MenuPackMPD_Click(); });
    MenuCheckMPD = MenuOptions->addAction(QStringLiteral("Check the .MPD File"));
    MenuCheckMPD->setObjectName("MenuCheckMPD");
    connect(MenuCheckMPD, &QAction::triggered, this, [this] { MenuCheckMPD_Click(); });
    MenuOptions->addSeparator();
    MenuPicture = MenuOptions->addAction(QStringLiteral("Show a Picture of the Model"));
    MenuPicture->setObjectName("MenuPicture");
    MenuPicture->setCheckable(true);
    connect(MenuPicture, &QAction::triggered, this, [this](bool show) { setShowPicture(show); });
    MenuHelp = menuBar()->addMenu(QStringLiteral("Help"));
    MenuHelp->setObjectName("MenuHelp");
    MenuAbout = MenuHelp->addAction(QStringLiteral("About Brikmux"));
    MenuAbout->setObjectName("MenuAbout");
    connect(MenuAbout, &QAction::triggered, this, [this] { MenuAbout_Click(); });

    auto* client = new QWidget(this);
    client->setFixedSize(6210 / kTwipsPerPixel, 2655 / kTwipsPerPixel);
    setCentralWidget(client);
    m_client = client;
    m_picture = new ModelPicture(client);
    m_picture->hide();

    auto named = [](auto* widget, const char* name) {
        widget->setObjectName(name);
        return widget;
    };
    Line1 = named(new QFrame(client), "Line1");
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Line1->setGeometry(0, 0, 6540 / kTwipsPerPixel, 2);

    DATFileListLbl = named(new QLabel(QStringLiteral(".DAT File"), client), "DATFileListLbl");
    place(DATFileListLbl, 60, 180, 2415, 195);
    DATFileListLbl->setFont(bold);
    MPDFileListLbl = named(new QLabel(QStringLiteral(".MPD File"), client), "MPDFileListLbl");
    place(MPDFileListLbl, 3360, 180, 2415, 195);
    MPDFileListLbl->setFont(bold);

    DATFileCombo = named(new QComboBox(client), "DATFileCombo");
    place(DATFileCombo, 60, 420, 2415, 315);
    BrowseDATFileBtn = named(new QPushButton(QStringLiteral("..."), client), "BrowseDATFileBtn");
    place(BrowseDATFileBtn, 2520, 420, 315, 315);
    MPDFileCombo = named(new QComboBox(client), "MPDFileCombo");
    MPDFileCombo->setEditable(true);
    MPDFileCombo->setInsertPolicy(QComboBox::NoInsert);
    place(MPDFileCombo, 3360, 420, 2415, 315);
    // The MPD items act on the file the MPD list names: none, nothing to act on.
    const auto mpdNamed = [this] {
        const bool hasName = !MPDFileCombo->currentText().isEmpty();
        MenuPackMPD->setEnabled(hasName);
        MenuCheckMPD->setEnabled(hasName);
    };
    connect(MPDFileCombo, &QComboBox::editTextChanged, this, mpdNamed);
    mpdNamed();
    BrowseMPDFileBtn = named(new QPushButton(QStringLiteral("..."), client), "BrowseMPDFileBtn");
    place(BrowseMPDFileBtn, 5820, 420, 315, 315);

    MergeMPDBtn = named(new QPushButton(QStringLiteral("Merge .DAT files into .MPD >>>"), client), "MergeMPDBtn");
    place(MergeMPDBtn, 60, 780, 2415, 375);
    SplitMPDBtn = named(new QPushButton(QStringLiteral("<<< Split .MPD into .DAT files"), client), "SplitMPDBtn");
    place(SplitMPDBtn, 3360, 780, 2415, 375);

    AuthorNameLbl = named(new QLabel(QStringLiteral("Author Name"), client), "AuthorNameLbl");
    place(AuthorNameLbl, 60, 1380, 2415, 255);
    AuthorNameText = named(new QLineEdit(QStringLiteral("AuthorName"), client), "AuthorNameText");
    place(AuthorNameText, 60, 1620, 2415, 315);

    BrikmuxLogo = named(new QLabel(client), "BrikmuxLogo");
    BrikmuxLogo->setPixmap(QPixmap(QStringLiteral(":/artwork/banner.png")));
    BrikmuxLogo->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    place(BrikmuxLogo, 60, 2100, 6075, 480);
    ExitBtn = named(new QPushButton(QStringLiteral("Exit"), client), "ExitBtn");
    place(ExitBtn, 4860, 2160, 1215, 375);
    ExitBtn->raise(); // over the banner's right end

    // Enter presses the focused button, as Space does.
    for (QPushButton* button : {BrowseDATFileBtn, BrowseMPDFileBtn, MergeMPDBtn, SplitMPDBtn, ExitBtn}) {
        button->setAutoDefault(true);
    }
    // Focus order: Merge, Split, the two "..." buttons, the author name, the two lists, Exit.
    QWidget* order[] = {MergeMPDBtn,    SplitMPDBtn,  BrowseDATFileBtn, BrowseMPDFileBtn,
                        AuthorNameText, DATFileCombo, MPDFileCombo,     ExitBtn};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
    MergeMPDBtn->setFocus();

    connect(BrowseDATFileBtn, &QPushButton::clicked, this, [this] { BrowseDATFileBtn_Click(); });
    connect(BrowseMPDFileBtn, &QPushButton::clicked, this, [this] { BrowseMPDFileBtn_Click(); });
    connect(MergeMPDBtn, &QPushButton::clicked, this, [this] { MergeMPDBtn_Click(); });
    connect(SplitMPDBtn, &QPushButton::clicked, this, [this] { SplitMPDBtn_Click(); });
    connect(ExitBtn, &QPushButton::clicked, this, [this] { ExitBtn_Click(); });
    // The user's choice of an entry, also of the one already chosen; the program's own
    // selections call the handler themselves.
    connect(DATFileCombo, &QComboBox::activated, this, [this] { DATFileCombo_Click(); });
    connect(MPDFileCombo, &QComboBox::activated, this, [this] { MPDFileCombo_Click(); });

    // A .dat or .mpd file dropped anywhere on the window, the text boxes included, is chosen as
    // the "..." buttons choose one.
    setAcceptDrops(true);
    MPDFileCombo->lineEdit()->setAcceptDrops(false);
    AuthorNameText->setAcceptDrops(false);

    // Alt shortcuts that leave the captions as they are.
    const std::pair<QKeyCombination, std::function<void()>> shortcuts[] = {
        {Qt::ALT | Qt::Key_M, [this] { MergeMPDBtn->click(); }},
        {Qt::ALT | Qt::Key_S, [this] { SplitMPDBtn->click(); }},
        {Qt::ALT | Qt::Key_X, [this] { ExitBtn->click(); }},
        {Qt::ALT | Qt::Key_D, [this] { DATFileCombo->setFocus(Qt::ShortcutFocusReason); }},
        {Qt::ALT | Qt::Key_P, [this] { MPDFileCombo->setFocus(Qt::ShortcutFocusReason); }},
        {Qt::ALT | Qt::Key_A, [this] { AuthorNameText->setFocus(Qt::ShortcutFocusReason); }},
    };
    for (const auto& [keys, action] : shortcuts) {
        connect(new QShortcut(QKeySequence(keys), this), &QShortcut::activated, this, action);
    }

    fitToContents();
}

void BrikmuxMain::fitToContents()
{
    // The form keeps its place and size; the picture takes a panel to its right, taller than the
    // form where it needs to be.
    constexpr int kForm[] = {6210 / kTwipsPerPixel, 2655 / kTwipsPerPixel};
    constexpr int kPicture[] = {320, 240};
    constexpr int kGap = 6;
    if (!m_picture->isHidden()) {
        m_client->setFixedSize(kForm[0] + kPicture[0] + 2 * kGap, std::max(kForm[1], kPicture[1] + 2 * kGap + 30));
        m_picture->setGeometry(kForm[0] + kGap, kGap, kPicture[0], m_client->height() - 2 * kGap);
    } else {
        m_client->setFixedSize(kForm[0], kForm[1]);
    }
    Line1->setGeometry(0, 0, m_client->width() + 6540 / kTwipsPerPixel - kForm[0], 2);
    adjustSize();
    setFixedSize(m_client->width(), menuBar()->sizeHint().height() + m_client->height());
}

} // namespace brikmux
