#include "app/AddressCommand.h"
#include "app/AddressFileOpener.h"
#include "app/BatchServiceSet.h"
#include "app/CommandLine.h"
#include "app/GeocoderConfig.h"
#include "app/MapServiceConnection.h"
#include "app/PlacesExporter.h"
#include "core/ProgramInfo.h"
#include "core/ProgramTexts.h"
#include "places/PlaceStore.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/desktop/MapViewProfile.h"
#include "platform/desktop/WebAccessibility.h"
#include "platform/desktop/WebEngineMapView.h"
#include "resources/ProgramIcon.h"
#include "ui/addressfile/AddressFileWindow.h"
#include "ui/common/Fonts.h"
#include "ui/common/WindowContext.h"
#include "ui/main/frmMap.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QProcessEnvironment>
#include <QStyleFactory>
#include <QTranslator>
#include <QUrl>
#include <QWebEngineProfile>
#include <cstdio>

namespace {

// Qt aborts with an English message when it finds no display; say it in the program's language.
bool DisplayAvailable() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
           qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

// Qt's own French texts ("OK", "Annuler" in message boxes and file dialogs): an installed copy
// carries them in its translations folder, otherwise Qt's are used.
void InstallQtTranslation(QApplication& app, QTranslator& translator) {
    const QString name = QStringLiteral("qtbase_fr");
    const QString local =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"));
    if (translator.load(name, local) ||
        translator.load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&translator);
}

// The system's dialog to pick a file of addresses.
QString ChooseAddressFile(QWidget* parent) {
    return QFileDialog::getOpenFileName(
        parent, QStringLiteral("Choisir un fichier d'adresses"), QString(),
        QStringLiteral("Tableaux (*.csv *.txt *.xlsx *.ods);;Tous les fichiers (*)"));
}

const QString kMapServiceUnavailable = QStringLiteral(
    "Le service de cartes de Tarnel n'a pas pu démarrer : aucun port n'est libre sur cet "
    "ordinateur. Les cartes et la recherche des coordonnées ne fonctionneront pas.");

// The command line (files of addresses, help, version): no display, no map, no window.
int RunWithoutWindows(int argc, char* argv[], const tarnel::CommandLine& line) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(tarnel::kProgramTitle);
    QCoreApplication::setApplicationVersion(tarnel::kVersionText);
    return tarnel::RunCommandLine(line, QProcessEnvironment::systemEnvironment());
}

} // namespace

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const tarnel::CommandLine line = tarnel::ParseCommandLine(arguments);
    if (line.action != tarnel::CommandLine::Action::Windows &&
        line.action != tarnel::CommandLine::Action::AddressWindow)
        return RunWithoutWindows(argc, argv, line);

    if (!DisplayAvailable()) {
        std::fputs("Tarnel : aucun affichage graphique n'est disponible (ni DISPLAY ni "
                   "WAYLAND_DISPLAY n'est défini).\nLancez Tarnel depuis une session de "
                   "bureau.\n",
                   stderr);
        return 1;
    }

    tarnel::WebEngineMapView::PrepareProcess();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(tarnel::kProgramTitle);
    QApplication::setApplicationVersion(tarnel::kVersionText);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // Worn by every window that has no icon of its own, the conversion window among them.
    QApplication::setWindowIcon(tarnel::ProgramIcon());
    tarnel::InstallFontSubstitutes();
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QTranslator qtTranslator;
    InstallQtTranslation(app, qtTranslator);

    tarnel::ProgramTexts texts;
    tarnel::DesktopServices desktop;
    QStringList configWarnings;
    const tarnel::GeocoderEndpoints geocoders = tarnel::ReadGeocoderConfig(
        tarnel::GeocoderConfigFile(), QProcessEnvironment::systemEnvironment(), configWarnings);
    for (const QString& warning : configWarnings)
        std::fprintf(stderr, "%s\n", qPrintable(warning));
    // The host the program was built for (TARNEL_MAP_HOST), or none: its own service.
    const tarnel::MapServiceConnection mapService(QStringLiteral(TARNEL_MAP_HOST), geocoders,
                                                  tarnel::PlaceStore::DefaultPath());
    if (!mapService.Available())
        desktop.Services().messages.Show(nullptr, kMapServiceUnavailable, QString(),
                                         tarnel::MessageIcon::Exclamation);
    tarnel::WindowContext context{texts, QCoreApplication::applicationDirPath(),
                                  mapService.BaseUrl(), desktop.Services()};
    // Before the engine starts with the map's profile: a screen reader then reads the map page.
    tarnel::ExposeWebPagesWhenAssisted();
    // The tile servers' usage policies ask that the program name itself and a contact.
    QWebEngineProfile* mapProfile = tarnel::MakeMapViewProfile(
        tarnel::MapViewCacheFolder(), &app, tarnel::OpenDataUserAgent(geocoders.contact),
        QUrl(mapService.BaseUrl()));
    auto* mapView = new tarnel::WebEngineMapView(mapProfile);
    // Only the pages of the run's own map service may hand a point to the main window.
    mapView->TrustServiceOrigin(QUrl(mapService.BaseUrl()));
    tarnel::frmMap window(context, mapView);
    tarnel::PlacesExporter placesExporter(tarnel::PlaceStore::DefaultPath(), desktop.Services(),
                                          &window);
    QObject::connect(mapView, &tarnel::MapView::PlacesExportAsked, &placesExporter,
                     &tarnel::PlacesExporter::Export);
    tarnel::AddressFileOpener addressFiles(
        [&] {
            return new tarnel::AddressFileWindow(
                {[&] { return tarnel::BatchServiceSet::ForOneRun(geocoders); },
                 tarnel::BatchJournalFile(), tarnel::PlaceStore::DefaultPath(), ChooseAddressFile},
                desktop.Services(), &window);
        },
        mapView);
    QObject::connect(&window, &tarnel::frmMap::FilesDropped, &addressFiles,
                     &tarnel::AddressFileOpener::OpenFirst);
    window.show();
    if (line.action == tarnel::CommandLine::Action::AddressWindow)
        addressFiles.Open(line.input);
    return QApplication::exec();
}
