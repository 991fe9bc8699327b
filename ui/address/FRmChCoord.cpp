#include "ui/address/FRmChCoord.h"

#include "core/AltitudeQuery.h"
#include "core/Geocoding.h"
#include "core/PointExport.h"
#include "net/FetchPage.h"
#include "resources/Resources.h"
#include "ui/common/Accessibility.h"
#include "ui/common/Controls.h"
#include "ui/common/Fonts.h"
#include "ui/common/KeyPress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <atomic>
#include <exception>
#include <thread>

namespace tarnel {

namespace {

const QString kExportTitle = QStringLiteral("Exporter une coordonnée GPS au format <Generic.ASC>");
const QString kExportFilterDescription = QStringLiteral(" Fichier Generic.ASC (*.asc) ");
const QString kExportFilterPattern = QStringLiteral("*.asc");
const QString kExportSuffix = QStringLiteral("asc");
// The other formats, in the order the dialog offers them after Generic.ASC.
struct OtherExportFormat {
    ExportFormat format;
    SaveDialogFilter filter;
};
const OtherExportFormat kOtherExportFormats[] = {
    {ExportFormat::Gpx,
     {QStringLiteral("Fichier GPX 1.1 (*.gpx)"), QStringLiteral("*.gpx"), QStringLiteral("gpx")}},
    {ExportFormat::Kml,
     {QStringLiteral("Fichier KML 2.2 (*.kml)"), QStringLiteral("*.kml"), QStringLiteral("kml")}},
    {ExportFormat::GeoJson,
     {QStringLiteral("Fichier GeoJSON (*.geojson *.json)"), QStringLiteral("*.geojson *.json"),
      QStringLiteral("geojson")}},
};

// The extension typed decides; a name without a known one takes the type chosen in the dialog.
ExportFormat ChosenExportFormat(const SaveDialogChoice& choice) {
    if (const std::optional<ExportFormat> named = FormatOfFileName(choice.path))
        return *named;
    if (choice.filter >= 1 && choice.filter <= int(std::size(kOtherExportFormats)))
        return kOtherExportFormats[choice.filter - 1].format;
    return ExportFormat::GenericAsc;
}

QList<SaveDialogFilter> OtherExportFilters() {
    QList<SaveDialogFilter> filters;
    for (const OtherExportFormat& other : kOtherExportFormats)
        filters.append(other.filter);
    return filters;
}

const QString kExportFailedMessage =
    QStringLiteral("Le fichier « %1 » n'a pas pu être enregistré.\n"
                   "Vérifiez que son dossier existe et que vous avez le droit d'y écrire.");
const QString kExportFailedTitle = QStringLiteral("Erreur");

constexpr int kPictureSize = 32;

// The Label1 array: the member's index is kept so that each label can be told apart.
QLabel* AddArrayLabel(QWidget* parent, const TwipScale& scale, int index, const QString& caption,
                      TwipRect geometry) {
    QLabel* label = AddLabel(parent, scale, QStringLiteral("Label1"), caption, geometry,
                             Qt::AlignRight | Qt::AlignVCenter);
    label->setProperty("index", index);
    return label;
}

// A command button with a 32 x 32 picture above its caption.
QToolButton* AddPictureButton(QWidget* parent, const TwipScale& scale, const QString& name,
                              const QString& caption, const QString& picture, TwipRect geometry) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setIcon(QIcon(picture));
    button->setIconSize(QSize(kPictureSize, kPictureSize));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFont(DesignFont(8.25, true));
    button->setFocusPolicy(Qt::StrongFocus);
    button->setGeometry(scale.Rect(geometry.left, geometry.top, geometry.width, geometry.height));
    return button;
}

// Every kind of event by which the user acts on a widget.
bool IsUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

FRmChCoord::FRmChCoord(MainWindowAccess& mainWindow, WindowContext& context, QWidget* owner)
    : ToolWindow(owner, QStringLiteral("FRmChCoord"),
                 QStringLiteral("Rechercher les coordonnées GPS à partir d'une adresse"), 7500,
                 3990)
    , mainWindow_(mainWindow)
    , context_(context) {
    RegisterResources();
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    BuildControls();
}

void FRmChCoord::BuildControls() {
    const TwipScale& scale = Scale();

    Picture1_ = new QWidget(this);
    Picture1_->setObjectName(QStringLiteral("Picture1"));
    Picture1_->setGeometry(scale.Rect(0, 0, 7575, 4095));
    Picture1_->setAutoFillBackground(true);

    QLabel* streetLabel =
        AddArrayLabel(Picture1_, scale, 0, QStringLiteral("Adresse :"), {240, 120, 825, 240});
    Street_ =
        AddTextBox(Picture1_, scale, QStringLiteral("Street"), {1200, 120, 6135, 270}, kLightGreen);
    // The substitute of MS Sans Serif is a little wider: the postal-code and town labels grow to
    // the left, their right-aligned text keeping its place.
    QLabel* zipLabel =
        AddArrayLabel(Picture1_, scale, 3, QStringLiteral("Code Postal :"), {60, 600, 1035, 240});
    Zip_ = AddTextBox(Picture1_, scale, QStringLiteral("Zip"), {1200, 600, 855, 270}, kLightGreen);
    QLabel* cityLabel =
        AddArrayLabel(Picture1_, scale, 1, QStringLiteral("Commune : "), {2100, 600, 915, 240});
    City_ =
        AddTextBox(Picture1_, scale, QStringLiteral("City"), {3120, 600, 2175, 255}, kLightGreen);
    QLabel* stateLabel =
        AddArrayLabel(Picture1_, scale, 2, QStringLiteral("Pays :"), {5280, 600, 495, 240});
    State_ =
        AddTextBox(Picture1_, scale, QStringLiteral("State"), {5880, 600, 1455, 270}, kLightGreen);

    Command5_ = AddButton(Picture1_, scale, QStringLiteral("Command5"),
                          QStringLiteral("Copier l'adresse dans la fenêtre de navigation"),
                          {120, 960, 3735, 615}, true);
    AskGoogleButton_ = AddButton(Picture1_, scale, QStringLiteral("AskGoogleButton"),
                                 QStringLiteral("Rechercher les coordonnées GPS de l'adresse"),
                                 {4560, 960, 2775, 615}, true);

    QGroupBox* frame1 =
        AddFrame(Picture1_, scale, QStringLiteral("Frame1"), QString(), {120, 1620, 7215, 975});
    QLabel* latitudeLabel =
        AddArrayLabel(frame1, scale, 9, QStringLiteral("Latitude :"), {240, 240, 780, 240});
    Latitude_ = AddTextBox(frame1, scale, QStringLiteral("Latitude"), {1200, 240, 2535, 240},
                           kLightCyan, Qt::AlignHCenter);
    QLabel* Label2 =
        AddLabel(frame1, scale, QStringLiteral("Label2"), QStringLiteral("Longitude :"),
                 {240, 600, 855, 255}, Qt::AlignRight | Qt::AlignVCenter);
    Longitude_ = AddTextBox(frame1, scale, QStringLiteral("Longitude"), {1200, 600, 2535, 240},
                            kLightCyan, Qt::AlignHCenter);
    Command2_ = AddButton(frame1, scale, QStringLiteral("Command2"),
                          QStringLiteral("Appliquer à la fenêtre de navigation"),
                          {4440, 240, 2655, 615}, true);

    QGroupBox* frame2 =
        AddFrame(Picture1_, scale, QStringLiteral("Frame2"), QString(), {2880, 2640, 4455, 1215});
    Command3_ =
        AddPictureButton(frame2, scale, QStringLiteral("Command3"), QStringLiteral("Effacer"),
                         QStringLiteral(":/address/erase.png"), {120, 240, 1335, 855});
    Command4_ =
        AddPictureButton(frame2, scale, QStringLiteral("Command4"), QStringLiteral("Exporter"),
                         QStringLiteral(":/address/export.png"), {1560, 240, 1335, 855});
    Command4_->setToolTip(QStringLiteral("Exporter au format <Généric.ASC>"));
    Command1_ =
        AddPictureButton(frame2, scale, QStringLiteral("Command1"), QStringLiteral("&Fermer"),
                         QStringLiteral(":/address/close.png"), {3000, 240, 1335, 855});

    for (QLineEdit* box : {Street_, Zip_, City_, State_, Latitude_, Longitude_})
        box->setProperty("index", 1);
    const std::pair<QLabel*, QLineEdit*> ties[] = {
        {streetLabel, Street_}, {zipLabel, Zip_},           {cityLabel, City_},
        {stateLabel, State_},   {latitudeLabel, Latitude_}, {Label2, Longitude_},
    };
    for (const auto& [label, box] : ties)
        TieLabel(label, box);
    // The pictures say nothing when read aloud: each button is announced by its caption alone.
    for (QToolButton* button : {Command3_, Command4_, Command1_})
        button->setAccessibleName(button->text().remove(u'&'));
    Street_->setText(QStringLiteral("Rue de la cité"));
    Zip_->setText(QStringLiteral("75004"));
    City_->setText(QStringLiteral("PARIS"));
    State_->setText(QStringLiteral("FRANCE"));
    Command2_->setEnabled(false);
    Command4_->setEnabled(false);

    SetTabOrder({Street_, City_, State_, Zip_, AskGoogleButton_, Latitude_, Longitude_, Command2_,
                 Command5_, Command3_, Command4_, Command1_});

    connect(AskGoogleButton_, &QAbstractButton::clicked, this, [this] { AskGoogleButton_Click(); });
    connect(Command1_, &QAbstractButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2_, &QAbstractButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3_, &QAbstractButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4_, &QAbstractButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5_, &QAbstractButton::clicked, this, [this] { Command5_Click(); });
    for (QToolButton* button : {Command3_, Command4_, Command1_})
        button->installEventFilter(this);
    InstallKeyPress(Zip_, [this](int& keyAscii) { Zip_KeyPress(1, keyAscii); });
    InstallKeyPress(Latitude_, [this](int& keyAscii) { Latitude_KeyPress(1, keyAscii); });
    InstallKeyPress(Longitude_, [this](int& keyAscii) { Longitude_KeyPress(1, keyAscii); });
}

void FRmChCoord::FillAddress(const QString& street, const QString& zipCode, const QString& city,
                             const QString& state) {
    Street_->setText(street);
    Zip_->setText(zipCode);
    City_->setText(city);
    State_->setText(state);
}

bool FRmChCoord::MissingData() const {
    return tarnel::MissingData(State_->text(), Zip_->text());
}

void FRmChCoord::AskGoogleButton_Click() {
    // The button is disabled during a request, but a click already on its way must not start a
    // second one.
    if (requestInProgress_)
        return;
    Latitude_->clear();
    Longitude_->clear();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    MessageBoxes& messages = context_.platform.messages;
    Feedback& feedback = context_.platform.feedback;
    if (MissingData()) {
        messages.Show(this, kMissingDataMessage, kMissingDataTitle, MessageIcon::Exclamation);
        return;
    }

    AskGoogleButton_->setEnabled(false);
    feedback.SetBusyCursor(true);
    bool notFound = true;
    try {
        const QString url = GeocodingRequestUrl(context_.mapBaseUrl, Street_->text(), City_->text(),
                                                State_->text(), Zip_->text());
        const std::optional<QByteArray> page = FetchWhileWindowWaits(url);
        if (!page) {
            // The program is ending: no result to show, no message to wait for.
            feedback.SetBusyCursor(false);
            return;
        }
        const std::optional<ExtractedCoordinates> found = ExtractCoordinates(*page);
        if (found) {
            Latitude_->setText(found->latitude);
            Longitude_->setText(found->longitude);
            notFound = false;
        }
        // The coordinates are painted while the hourglass still shows.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } catch (const std::exception&) {
        // A page that cannot be taken apart is one without coordinates.
    }

    feedback.SetBusyCursor(false);
    if (notFound) {
        messages.Show(this, kNotFoundMessage, kNotFoundTitle, MessageIcon::Exclamation);
        feedback.Beep();
    }
    AskGoogleButton_->setEnabled(true);
    Command2_->setEnabled(true);
    Command4_->setEnabled(true);
}

std::optional<FRmChCoord::AltitudeFetch> FRmChCoord::FetchAltitude(const ExportedPoint& boxes) {
    const PlacedPointReading reading = ReadPlacedPoint(boxes);
    const QString url =
        reading.point ? AltitudeRequestUrl(context_.mapBaseUrl, *reading.point) : QString();
    if (url.isEmpty())
        return AltitudeFetch{};
    context_.platform.feedback.SetBusyCursor(true);
    const std::optional<QByteArray> answer = FetchWhileWindowWaits(url);
    context_.platform.feedback.SetBusyCursor(false);
    if (!answer)
        return std::nullopt;
    return AltitudeFetch{AltitudeOfAnswer(*answer)};
}

std::optional<QByteArray> FRmChCoord::FetchWhileWindowWaits(const QString& url) {
    QByteArray page;
    QEventLoop waiting;
    std::atomic<bool> fetched = false;
    abandonFetch_ = false;
    // Started before anything changes, so that a thread that cannot start leaves the window as
    // it was. Should the fetch end first, its quit waits in the queue for the loop.
    std::thread worker([this, &page, &waiting, &fetched, url] {
        try {
            page = FetchPageBytes(url, {}, &abandonFetch_);
        } catch (const std::exception&) {
            page.clear();
        }
        fetched = true;
        QMetaObject::invokeMethod(&waiting, &QEventLoop::quit, Qt::QueuedConnection);
    });
    requestInProgress_ = true;
    fetchLoop_ = &waiting;
    qApp->installEventFilter(this);
    waiting.exec();
    // The loop also ends when the application exits (every event loop is told to) or is asked
    // to quit (see eventFilter): the fetch is then given up.
    const bool quitting = abandonFetch_ || !fetched;
    abandonFetch_ = quitting;
    worker.join();
    qApp->removeEventFilter(this);
    fetchLoop_ = nullptr;
    requestInProgress_ = false;
    if (quitting) {
        return std::nullopt;
    }
    return page;
}

bool FRmChCoord::IsOwnWidget(QObject* object) const {
    if (!object || !object->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(object);
    return widget == this || isAncestorOf(widget);
}

bool FRmChCoord::eventFilter(QObject* watched, QEvent* event) {
    if (requestInProgress_ && IsUserInput(event->type()) && IsOwnWidget(watched))
        return true;
    // The modal window keeps its user from "Quitter", not the end of the session: asked to
    // quit, the application would try to close this window, which the request still uses. The
    // request is given up instead, and the quit asked again once it has unwound.
    if (requestInProgress_ && watched == qApp && event->type() == QEvent::Quit) {
        abandonFetch_ = true;
        fetchLoop_->quit();
        QMetaObject::invokeMethod(
            qApp, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
        return true;
    }
    // The picture buttons are command buttons too: Enter presses the one that has the focus.
    const bool pictureButton = watched == Command3_ || watched == Command4_ || watched == Command1_;
    if (pictureButton && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            static_cast<QToolButton*>(watched)->click();
            return true;
        }
    }
    return ToolWindow::eventFilter(watched, event);
}

void FRmChCoord::closeEvent(QCloseEvent* event) {
    // Closing destroys the window, which the waiting request still uses.
    if (requestInProgress_) {
        event->ignore();
        return;
    }
    ToolWindow::closeEvent(event);
}

void FRmChCoord::Command4_Click() {
    const SaveDialogRequest request{
        kExportTitle,  context_.programDirectory, kExportFilterDescription, kExportFilterPattern,
        kExportSuffix, lastExportPath_,           OtherExportFilters()};
    const std::optional<SaveDialogChoice> choice =
        context_.platform.saveDialog.AskSavePath(this, request);
    if (!choice || choice->path.isEmpty())
        return;
    lastExportPath_ = choice->path;
    ExportedPoint point{Longitude_->text(), Latitude_->text(), Street_->text(),
                        Zip_->text(),       City_->text(),     State_->text()};
    const ExportFormat format = ChosenExportFormat(*choice);
    if (format != ExportFormat::GenericAsc) {
        const std::optional<AltitudeFetch> altitude = FetchAltitude(point);
        if (!altitude)
            return; // the program is ending
        point.altitude = altitude->metres;
    }
    const ExportOutcome outcome = WritePointFile(choice->path, format, point);
    MessageBoxes& messages = context_.platform.messages;
    if (!outcome.problem.isEmpty())
        messages.Show(this, outcome.problem, kExportFailedTitle, MessageIcon::Exclamation);
    else if (!outcome.written)
        messages.Show(this, kExportFailedMessage.arg(QDir::toNativeSeparators(choice->path)),
                      kExportFailedTitle, MessageIcon::Exclamation);
}

void FRmChCoord::Command2_Click() {
    mainWindow_.SetBoxText(MainBox::Latitude, Latitude_->text());
    mainWindow_.SetBoxText(MainBox::Longitude, Longitude_->text());
    mainWindow_.SetBoxText(MainBox::Street, Street_->text());
    mainWindow_.SetBoxText(MainBox::ZipCode, Zip_->text());
    mainWindow_.SetBoxText(MainBox::City, City_->text());
    mainWindow_.SetBoxText(MainBox::State, State_->text());
    mainWindow_.Command4_Click();
}

void FRmChCoord::Command5_Click() {
    mainWindow_.SetBoxText(MainBox::Street, Street_->text());
    mainWindow_.SetBoxText(MainBox::ZipCode, Zip_->text());
    mainWindow_.SetBoxText(MainBox::City, City_->text());
    mainWindow_.SetBoxText(MainBox::State, State_->text());
}

void FRmChCoord::Command3_Click() {
    Street_->clear();
    City_->clear();
    Zip_->clear();
    State_->clear();
    Latitude_->clear();
    Longitude_->clear();
    Command2_->setEnabled(false);
}

void FRmChCoord::Command1_Click() {
    close();
}

void FRmChCoord::Zip_KeyPress([[maybe_unused]] int index, int& keyAscii) {
    keyAscii = FilterNumericKey(keyAscii, kSignedNumberKeys);
}

void FRmChCoord::Latitude_KeyPress([[maybe_unused]] int index, int& keyAscii) {
    keyAscii = FilterNumericKey(keyAscii, kSignedNumberKeys);
}

void FRmChCoord::Longitude_KeyPress([[maybe_unused]] int index, int& keyAscii) {
    keyAscii = FilterNumericKey(keyAscii, kSignedNumberKeys);
}

} // namespace tarnel
