#include "ui/about/frmAbout.h"

#include "core/LastPositionFile.h"
#include "core/ProgramInfo.h"
#include "core/Windows1252.h"
#include "resources/Resources.h"
#include "ui/common/Controls.h"
#include "ui/common/Fonts.h"
#include "ui/common/LinkLabelAccessible.h"

#include <QDir>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStringList>
#include <utility>

namespace tarnel {

namespace {

// The maker, under a domain reserved for examples.
const QString kAuthorNotice = QStringLiteral("Atelier Tarnel - décembre 2026");
const QString kMakerName = QStringLiteral("Atelier Tarnel");
const QString kMailAddress = QStringLiteral("contact@tarnel.example");
const QString& kWebSite = kMakerWebSite;

// Read-control plus query value, set value, create sub-key, enumerate sub-keys, notify and
// create link: what the launcher has always asked for, though it only reads.
constexpr std::uint32_t kKeyAccess = 0x2003F;
constexpr int kValueBufferSize = 1024;

const QString kToolKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kToolValue = QStringLiteral("PATH");
const QString kToolFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kToolFolderValue = QStringLiteral("MSINFO");
const QString kToolFileName = QStringLiteral("MSINFO32.EXE");

const QColor kGreen(0, 255, 0);
const QColor kBlue(0, 0, 255);
const QColor kLineWhite(255, 255, 255);
const QColor kLineGrey(128, 128, 128);

QLabel* AddComicLabel(QWidget* parent, const TwipScale& scale, const QString& name,
                      const QString& caption, TwipRect geometry, const QFont& font,
                      const QColor& colour,
                      Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop) {
    QLabel* label = AddLabel(parent, scale, name, caption, geometry, alignment);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

QLabel* AddPicture(QWidget* parent, const TwipScale& scale, const QString& name,
                   const QString& resource, TwipRect geometry, bool stretch) {
    QLabel* picture = AddLabel(parent, scale, name, QString(), geometry);
    picture->setPixmap(QPixmap(resource));
    picture->setScaledContents(stretch);
    return picture;
}

// A 32-bit number's digits as the launcher has always written them: the characters of the
// value's text from the last to the first, each code in uppercase hexadecimal without a
// leading zero. The codes are the stored bytes, not their windows-1252 characters.
QString DwordDigits(const QByteArray& text) {
    QString digits = QStringLiteral("&h");
    for (auto byte = text.crbegin(); byte != text.crend(); ++byte)
        digits += QString::number(static_cast<unsigned char>(*byte), 16).toUpper();
    return digits;
}

} // namespace

frmAbout::frmAbout(WindowContext& context, QWidget* owner)
    : ToolWindow(owner, QStringLiteral("frmAbout"), QString(), 5730, 3255)
    , context_(context) {
    RegisterResources();
    const TwipScale& scale = Scale();
    setWindowIcon(QIcon(QStringLiteral(":/about/Tarnel32.png")));

    AddPicture(this, scale, QStringLiteral("Image1"), QStringLiteral(":/about/Tarnel32.png"),
               {120, 240, 720, 720}, true);
    lblTitle_ = AddComicLabel(this, scale, QStringLiteral("lblTitle"), QString(),
                              {1080, 120, 3885, 240}, ComicFont(9.75, true), kGreen);
    lblVersion_ = AddComicLabel(this, scale, QStringLiteral("lblVersion"), QString(),
                                {1050, 480, 3885, 225}, ComicFont(8.25), kGreen);
    AddComicLabel(this, scale, QStringLiteral("lblDescription"), kAuthorNotice,
                  {1080, 840, 3885, 330}, ComicFont(8.25), kGreen);
    lblDisclaimer_ = AddComicLabel(
        this, scale, QStringLiteral("lblDisclaimer"), QStringLiteral("E-Mail : ") + kMailAddress,
        {720, 1320, 2625, 225}, ComicFont(8.25), kBlue, Qt::AlignHCenter | Qt::AlignTop);
    lblDisclaimer_->setToolTip(QStringLiteral("Envoyer un courriel"));
    Label3_ = AddComicLabel(this, scale, QStringLiteral("Label3"),
                            QStringLiteral("URL : ") + kWebSite, {1080, 1680, 2115, 225},
                            ComicFont(8.25), kBlue, Qt::AlignHCenter | Qt::AlignTop);
    Label3_->setToolTip(QStringLiteral("Visitez le site officiel ") + kMakerName);
    Image2_ = AddPicture(this, scale, QStringLiteral("Image2"), QStringLiteral(":/about/Don.png"),
                         {1440, 2400, 1500, 660}, false);
    Image2_->setToolTip(
        QStringLiteral("Faire un don avec PayPal - Un solution gratuite, rapide et sécurisée."));
    // A picture has no text to read: it is announced by what its tooltip offers.
    Image2_->setAccessibleName(QStringLiteral("Faire un don avec PayPal"));

    CommandButton* cmdOK = AddButton(this, scale, QStringLiteral("cmdOK"), QStringLiteral("OK"),
                                     {3960, 1440, 1500, 585});
    cmdOK->setFont(ComicFont(8.25, true));
    CommandButton* cmdSysInfo =
        AddButton(this, scale, QStringLiteral("cmdSysInfo"), QStringLiteral("&Système Info..."),
                  {3960, 2640, 1485, 345});
    cmdSysInfo->setToolTip(QStringLiteral("Informations système"));
    CommandButton* Command1 = AddButton(this, scale, QStringLiteral("Command1"),
                                        QStringLiteral("Détails..."), {3960, 2160, 1455, 375});
    Command1->setFont(ComicFont(8.25));

    // "OK" answers Enter and Esc; the other two answer Enter while they have the focus.
    cmdOK->setDefault(true);
    cmdSysInfo->setAutoDefault(true);
    Command1->setAutoDefault(true);
    SetCancelButton(cmdOK);
    // The links answer the keyboard too: reached with Tab where their labels' tab indices put
    // them, between "Système Info..." and "Détails...", the picture after them, followed with
    // Enter or Space, a dotted frame showing which one has the focus.
    for (QLabel* link : {lblDisclaimer_, Label3_, Image2_}) {
        link->setFocusPolicy(Qt::TabFocus);
        link->setStyleSheet(QStringLiteral("QLabel:focus { border: 1px dotted white; }"));
        link->installEventFilter(this);
        LinkLabelAccessible::Describe(link);
    }
    SetTabOrder({cmdOK, cmdSysInfo, lblDisclaimer_, Label3_, Image2_, Command1});
    cmdOK->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    Form_Load();
}

void frmAbout::Form_Load() {
    setWindowTitle(QStringLiteral("A propos ") + kProgramTitle);
    lblVersion_->setText(QStringLiteral("Version %1.%2.%3")
                             .arg(kVersionMajor)
                             .arg(kVersionMinor)
                             .arg(kVersionRevision));
    lblTitle_->setText(kProgramTitle);
}

void frmAbout::cmdOK_Click() {
    close();
}

void frmAbout::Command1_Click() {
    const QStringList lines = {
        QStringLiteral("Tarnel version ") + kVersionText,
        QString(),
        QStringLiteral("Auteur : ") + kAuthorNotice,
        QStringLiteral("E-Mail : ") + kMailAddress,
        QStringLiteral("Url : ") + kWebSite,
        QString(),
    };
    context_.platform.messages.Show(this, lines.join(u'\r'), QStringLiteral("A propos"),
                                    MessageIcon::Information);
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void frmAbout::lblDisclaimer_Click() {
    OpenLink(QStringLiteral("mailto:") + kMailAddress);
}

void frmAbout::Label3_Click() {
    OpenLink(kWebSite);
}

void frmAbout::Image2_Click() {
    OpenLink(kWebSite + QStringLiteral("/Don/Don.htm"));
}

void frmAbout::OpenLink(const QString& target) {
    context_.platform.shell.Open(this, target, context_.programDirectory);
}

void frmAbout::StartSysInfo() {
    try {
        QString path;
        if (!GetKeyValue(Registry::kLocalMachine, kToolKey, kToolValue, path)) {
            QString folder;
            if (GetKeyValue(Registry::kLocalMachine, kToolFolderKey, kToolFolderValue, folder) &&
                !folder.isEmpty()) {
                // The folder comes from the system, so it is joined with the system's separator.
                const QString candidate = folder + QDir::separator() + kToolFileName;
                if (FileExists(candidate))
                    path = candidate;
            }
        }
        // An empty path names no program; the starter is not asked.
        if (!path.isEmpty() && context_.platform.programs.Start(path))
            return;
    } catch (const EmptyRegistryValue&) {
    }
    context_.platform.messages.Show(this, QStringLiteral("Information Systeme introuvable !"),
                                    kProgramTitle, MessageIcon::None);
}

bool frmAbout::GetKeyValue(std::uint32_t KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                           QString& KeyVal) {
    Registry& registry = context_.platform.registry;
    const std::optional<Registry::Key> key = registry.OpenKey(KeyRoot, KeyName, kKeyAccess);
    if (!key) {
        KeyVal.clear();
        return false;
    }
    const Registry::QueryResult result = registry.QueryValue(*key, SubKeyRef, kValueBufferSize);
    if (result.status != Registry::QueryStatus::Ok) {
        KeyVal.clear();
        registry.CloseKey(*key);
        return false;
    }
    if (result.data.isEmpty()) {
        // The key is given back before the error leaves, so no handle is left open.
        registry.CloseKey(*key);
        throw EmptyRegistryValue("registry value without data");
    }
    QByteArray text = result.data;
    if (text.endsWith('\0'))
        text.chop(1);
    if (result.type == Registry::kTypeString)
        KeyVal = FromWindows1252(text);
    else if (result.type == Registry::kTypeDword)
        KeyVal = DwordDigits(text);
    registry.CloseKey(*key);
    return true;
}

void frmAbout::paintEvent(QPaintEvent*) {
    const TwipScale& scale = Scale();
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    QPen white(kLineWhite, 2);
    white.setCapStyle(Qt::FlatCap);
    painter.setPen(white);
    painter.drawLine(0, scale.Pixels(1200), scale.Pixels(5549), scale.Pixels(1200));
    QPen grey(kLineGrey, 1);
    grey.setCapStyle(Qt::FlatCap);
    painter.setPen(grey);
    painter.drawLine(0, scale.Pixels(1217), scale.Pixels(5564), scale.Pixels(1217));
}

bool frmAbout::FollowLink(QObject* label) {
    if (label == lblDisclaimer_)
        lblDisclaimer_Click();
    else if (label == Label3_)
        Label3_Click();
    else if (label == Image2_)
        Image2_Click();
    else
        return false;
    return true;
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool follows = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
        return (follows && FollowLink(watched)) || ToolWindow::eventFilter(watched, event);
    }
    // The second press of a double click is no click of its own: one double click opens a
    // link once.
    if (event->type() == QEvent::MouseButtonDblClick)
        doubleClicked_ = true;
    if (event->type() != QEvent::MouseButtonRelease)
        return ToolWindow::eventFilter(watched, event);
    if (std::exchange(doubleClicked_, false))
        return true;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const auto* label = qobject_cast<QLabel*>(watched);
    if (!label || mouse->button() != Qt::LeftButton ||
        !label->rect().contains(mouse->position().toPoint()))
        return ToolWindow::eventFilter(watched, event);
    return FollowLink(watched);
}

} // namespace tarnel
