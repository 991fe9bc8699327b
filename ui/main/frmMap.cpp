#include "ui/main/frmMap.h"

#include "core/DroppedFiles.h"
#include "core/LastPositionFile.h"
#include "core/MapQuery.h"
#include "core/MapQueryPlace.h"
#include "core/ProgramInfo.h"
#include "resources/ProgramIcon.h"
#include "ui/about/frmAbout.h"
#include "ui/address/FRmChCoord.h"
#include "ui/common/Accessibility.h"
#include "ui/common/Controls.h"
#include "ui/common/Fonts.h"
#include "ui/common/KeyPress.h"
#include "ui/conversion/FRM_Conv.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStandardPaths>

namespace tarnel {

namespace {

constexpr Qt::Alignment kLabelAlignment = Qt::AlignRight | Qt::AlignTop;
const QString kCopyToConversionTip =
    QStringLiteral("Copier la valeur dans la fenêtre de conversion");

} // namespace

frmMap::frmMap(WindowContext& context, MapView* mapView)
    : context_(context)
    , scale_(TwipScale::For(nullptr))
    , WebBrowser1_(mapView)
    , lastPosition_(context.programDirectory,
                    QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)) {
    setObjectName(QStringLiteral("frmMap"));
    setWindowTitle(QStringLiteral("Tarnel - v ") + kVersionText +
                   QStringLiteral(" - Utilitaire coordonnées GPS "));
    setWindowIcon(ProgramIcon());
    setFont(DesignFont());
    setAcceptDrops(true);
    resize(scale_.Size(kDesignWidth, kDesignHeight));

    BuildAddressFrame();
    BuildCoordinateFrame();
    BuildCommandFrame();
    WebBrowser1_->setParent(this);
    WebBrowser1_->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1_->setAccessibleName(QStringLiteral("Carte"));
    WebBrowser1_->setGeometry(
        scale_.Rect(0, kMapViewTop, mapViewTwips_.width(), mapViewTwips_.height()));

    SetTabOrder({txtStreet_, txtCity_, txtZipCode_, txtState_, Command3_, txtLat_, txtLong_,
                 Command4_, Command1_, Command2_, Command5_, Command6_, Command7_, WebBrowser1_,
                 Command8_, Command9_, Command10_});
    ConnectHandlers();
    txtStreet_->setFocus();

    if (const QScreen* screen = this->screen()) {
        QRect placed(QPoint(), frameGeometry().size());
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }
    Form_Load();
}

frmMap::~frmMap() = default;

void frmMap::BuildAddressFrame() {
    Frame1_ = AddFrame(this, scale_, QStringLiteral("Frame1"),
                       QStringLiteral("Recherche par adresse "), {120, 120, 5415, 1575}, true);
    QLabel* Label1 = AddLabel(Frame1_, scale_, QStringLiteral("Label1"), QStringLiteral("Rue :"),
                              {600, 360, 495, 255}, kLabelAlignment);
    txtStreet_ = AddTextBox(Frame1_, scale_, QStringLiteral("txtStreet"), {1200, 360, 4095, 285},
                            kLightGreen);
    QLabel* Label2 = AddLabel(Frame1_, scale_, QStringLiteral("Label2"),
                              QStringLiteral("Commune :"), {1920, 720, 855, 255}, kLabelAlignment);
    txtCity_ =
        AddTextBox(Frame1_, scale_, QStringLiteral("txtCity"), {2880, 720, 2415, 285}, kLightGreen);
    // Liberation Sans sets "Code Postal :" a pixel wider than MS Sans Serif did: the label
    // grows to the left, keeping its right edge beside the box.
    QLabel* Label4 =
        AddLabel(Frame1_, scale_, QStringLiteral("Label4"), QStringLiteral("Code Postal :"),
                 {60, 720, 1035, 255}, kLabelAlignment);
    txtZipCode_ = AddTextBox(Frame1_, scale_, QStringLiteral("txtZipCode"), {1200, 720, 735, 285},
                             kLightGreen);
    QLabel* Label3 = AddLabel(Frame1_, scale_, QStringLiteral("Label3"), QStringLiteral("Pays :"),
                              {360, 1080, 735, 255}, kLabelAlignment);
    txtState_ = AddTextBox(Frame1_, scale_, QStringLiteral("txtState"), {1200, 1080, 975, 285},
                           kLightGreen);
    Command3_ =
        AddButton(Frame1_, scale_, QStringLiteral("Command3"),
                  QStringLiteral("Rechercher avec l'adresse"), {2280, 1080, 2535, 375}, true);
    Command8_ = AddButton(Frame1_, scale_, QStringLiteral("Command8"), QStringLiteral("..."),
                          {4920, 1080, 375, 375}, true);
    Command8_->setToolTip(
        QStringLiteral("Copier l'adresse dans la fenêtre de recherche des coordonnées"));
    // A "..." says nothing when read aloud: the button is announced by what its tooltip says.
    Command8_->setAccessibleName(Command8_->toolTip());
    TieLabel(Label1, txtStreet_);
    TieLabel(Label2, txtCity_);
    TieLabel(Label4, txtZipCode_);
    TieLabel(Label3, txtState_);
}

void frmMap::BuildCoordinateFrame() {
    Frame2_ = AddFrame(this, scale_, QStringLiteral("Frame2"),
                       QStringLiteral("Recherche par coordonnées "), {5640, 120, 3375, 1575}, true);
    QLabel* Label5 = AddLabel(Frame2_, scale_, QStringLiteral("Label5"),
                              QStringLiteral("Latitude :"), {240, 360, 735, 255}, kLabelAlignment);
    QLabel* Label6 = AddLabel(Frame2_, scale_, QStringLiteral("Label6"),
                              QStringLiteral("Longitude :"), {120, 720, 855, 255}, kLabelAlignment);
    txtLat_ = AddTextBox(Frame2_, scale_, QStringLiteral("txtLat"), {1080, 360, 1695, 285},
                         kLightCyan, Qt::AlignHCenter);
    txtLong_ = AddTextBox(Frame2_, scale_, QStringLiteral("txtLong"), {1080, 720, 1695, 285},
                          kLightCyan, Qt::AlignHCenter);
    Command4_ =
        AddButton(Frame2_, scale_, QStringLiteral("Command4"),
                  QStringLiteral("Rechercher par coordonnées"), {120, 1080, 3135, 375}, true);
    Command9_ = AddButton(Frame2_, scale_, QStringLiteral("Command9"), QStringLiteral("..."),
                          {2880, 360, 375, 255}, true);
    Command9_->setToolTip(kCopyToConversionTip);
    Command10_ = AddButton(Frame2_, scale_, QStringLiteral("Command10"), QStringLiteral("..."),
                           {2880, 720, 375, 255}, true);
    Command10_->setToolTip(kCopyToConversionTip);
    // The two "..." share a tooltip; read aloud, each says which value it copies.
    Command9_->setAccessibleName(
        QStringLiteral("Copier la latitude dans la fenêtre de conversion"));
    Command10_->setAccessibleName(
        QStringLiteral("Copier la longitude dans la fenêtre de conversion"));
    TieLabel(Label5, txtLat_);
    TieLabel(Label6, txtLong_);
}

void frmMap::BuildCommandFrame() {
    Frame3_ = AddFrame(this, scale_, QStringLiteral("Frame3"), QString(), {9120, 120, 3015, 1575});
    Command1_ =
        AddButton(Frame3_, scale_, QStringLiteral("Command1"),
                  QStringLiteral("&Conversion coordonnées GPS"), {120, 240, 2775, 375}, true);
    Command1_->setToolTip(QStringLiteral("Utilitaire de conversion de coordonnées GPS"));
    Command6_ =
        AddButton(Frame3_, scale_, QStringLiteral("Command6"),
                  QStringLiteral("Rechercher coordonnées GPS"), {120, 720, 2775, 375}, true);
    Command6_->setToolTip(QStringLiteral("Recherche des coordonnées à partir d'une adresse"));
    Command2_ = AddButton(Frame3_, scale_, QStringLiteral("Command2"), QStringLiteral("&A propos"),
                          {120, 1200, 975, 255});
    Command7_ = AddButton(Frame3_, scale_, QStringLiteral("Command7"), QStringLiteral("Aide"),
                          {1200, 1200, 735, 255});
    Command5_ = AddButton(Frame3_, scale_, QStringLiteral("Command5"), QStringLiteral("&Quitter"),
                          {2040, 1200, 855, 255}, true);
}

void frmMap::ConnectHandlers() {
    const std::pair<QPushButton*, void (frmMap::*)()> clicks[] = {
        {Command1_, &frmMap::Command1_Click}, {Command2_, &frmMap::Command2_Click},
        {Command3_, &frmMap::Command3_Click}, {Command4_, &frmMap::Command4_Click},
        {Command5_, &frmMap::Command5_Click}, {Command6_, &frmMap::Command6_Click},
        {Command7_, &frmMap::Command7_Click}, {Command8_, &frmMap::Command8_Click},
        {Command9_, &frmMap::Command9_Click}, {Command10_, &frmMap::Command10_Click},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QPushButton::clicked, this, handler);
    InstallKeyPress(txtZipCode_, [this](int& keyAscii) { txtZipCode_KeyPress(keyAscii); });
    connect(WebBrowser1_, &MapView::PointTaken, this, &frmMap::WebBrowser1_PointTaken);
}

QLineEdit* frmMap::Box(MainBox box) const {
    switch (box) {
    case MainBox::Street:
        return txtStreet_;
    case MainBox::ZipCode:
        return txtZipCode_;
    case MainBox::City:
        return txtCity_;
    case MainBox::State:
        return txtState_;
    case MainBox::Latitude:
        return txtLat_;
    case MainBox::Longitude:
        return txtLong_;
    }
    return txtStreet_;
}

QString frmMap::BoxText(MainBox box) const {
    return Box(box)->text();
}

void frmMap::SetBoxText(MainBox box, const QString& text) {
    Box(box)->setText(text);
}

void frmMap::NavigateMap(const QString& url) {
    WebBrowser1_->Navigate(url);
    // Read aloud with the map's name: the place it was last asked to show.
    WebBrowser1_->setAccessibleDescription(MapQueryPlace(url));
}

QSize frmMap::MapViewSizeFor(QSize outerTwips, QSize previousTwips) {
    const int width = outerTwips.width() - kWidthMargin;
    const int height = outerTwips.height() - kHeightMargin;
    return {width >= 0 ? width : previousTwips.width(),
            height >= 0 ? height : previousTwips.height()};
}

void frmMap::Form_Load() {
    NavigateMap(context_.mapBaseUrl + QueryValueText(lastPosition_.Load(context_.texts)));
}

void frmMap::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmMap::Form_Resize() {
    if (windowState() & Qt::WindowMinimized)
        return;
    const QSize outer = frameGeometry().size();
    mapViewTwips_ = MapViewSizeFor(QSize(scale_.Twips(outer.width()), scale_.Twips(outer.height())),
                                   mapViewTwips_);
    WebBrowser1_->setGeometry(
        scale_.Rect(0, kMapViewTop, mapViewTwips_.width(), mapViewTwips_.height()));
}

void frmMap::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFilePaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmMap::dropEvent(QDropEvent* event) {
    const QStringList paths = LocalFilePaths(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    emit FilesDropped(paths);
}

void frmMap::closeEvent(QCloseEvent* event) {
    event->accept();
    QCoreApplication::quit();
}

void frmMap::Command3_Click() {
    const QString street = txtStreet_->text();
    const QString city = txtCity_->text();
    const QString state = txtState_->text();
    const QString zipCode = txtZipCode_->text();
    NavigateMap(AddressQueryUrl(context_.mapBaseUrl, street, city, state, zipCode));
    SaveLastPosition(AddressSavedValue(street, city, state, zipCode));
}

void frmMap::Command4_Click() {
    const QString latitude = txtLat_->text();
    const QString longitude = txtLong_->text();
    if (latitude.isEmpty() || longitude.isEmpty()) {
        context_.platform.messages.Show(this, QStringLiteral("Une valeur est attendue !"),
                                        QStringLiteral("Erreur"), MessageIcon::Information);
        return;
    }
    NavigateMap(CoordinateQueryUrl(context_.mapBaseUrl, latitude, longitude));
    SaveLastPosition(CoordinateSavedValue(latitude, longitude));
}

void frmMap::SaveLastPosition(const QString& value) {
    if (lastPosition_.Save(context_.texts, value) || saveFailureReported_)
        return;
    // The map already shows the search; the user only needs to know that the next start will
    // not come back to it. Once a run is enough: the cause will not go away on its own.
    saveFailureReported_ = true;
    const QString message =
        QStringLiteral("La dernière position recherchée n'a pas pu être enregistrée dans le "
                       "fichier «\u00a0%1\u00a0» du dossier «\u00a0%2\u00a0».\n\n"
                       "La carte affiche bien votre recherche, mais elle ne sera pas reprise "
                       "au prochain démarrage.")
            .arg(kLastPositionFileName, QDir::toNativeSeparators(lastPosition_.Directory()));
    context_.platform.messages.Show(this, message, kProgramTitle, MessageIcon::Exclamation);
}

FRM_Conv* frmMap::ConversionWindow() {
    if (!conversionWindow_)
        conversionWindow_ = new FRM_Conv(*this, context_, this);
    return conversionWindow_;
}

FRmChCoord* frmMap::AddressWindow() {
    if (!addressWindow_)
        addressWindow_ = new FRmChCoord(*this, context_, this);
    return addressWindow_;
}

void frmMap::Command1_Click() {
    ConversionWindow()->exec();
}

void frmMap::Command6_Click() {
    AddressWindow()->exec();
}

void frmMap::Command2_Click() {
    if (!aboutWindow_)
        aboutWindow_ = new frmAbout(context_, this);
    aboutWindow_->exec();
}

void frmMap::Command7_Click() {
    context_.platform.shell.Open(this,
                                 context_.programDirectory + QStringLiteral("/AideTarnel.pdf"),
                                 context_.programDirectory);
}

void frmMap::Command5_Click() {
    close();
}

void frmMap::Command8_Click() {
    AddressWindow()->FillAddress(txtStreet_->text(), txtZipCode_->text(), txtCity_->text(),
                                 txtState_->text());
}

void frmMap::Command9_Click() {
    ConversionWindow()->FillDecimalInput(txtLat_->text());
}

void frmMap::Command10_Click() {
    ConversionWindow()->FillDecimalInput(txtLong_->text());
}

void frmMap::txtZipCode_KeyPress(int& keyAscii) {
    keyAscii = FilterNumericKey(keyAscii, kUnsignedNumberKeys);
}

void frmMap::WebBrowser1_PointTaken(const QString& latitude, const QString& longitude,
                                    const QString& street, const QString& city,
                                    const QString& postcode, const QString& country) {
    txtLat_->setText(latitude);
    txtLong_->setText(longitude);
    if (street.isEmpty() && city.isEmpty() && postcode.isEmpty() && country.isEmpty())
        return;
    // All four, so that no part of an address typed before stays beside the new one.
    txtStreet_->setText(street);
    txtCity_->setText(city);
    txtZipCode_->setText(postcode);
    txtState_->setText(country);
}

} // namespace tarnel
