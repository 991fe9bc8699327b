#include "app/PlacesExporter.h"

#include "places/PlaceExport.h"
#include "places/PlaceStore.h"
#include "places/PlaceTableExport.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <array>
#include <utility>

namespace tarnel {

namespace {

struct FileKind {
    const char* name;
    const char* description;
    const char* suffix;
    std::optional<ExportFormat> format; // nothing for CSV
    TableDialect (*dialect)();
};

const std::array<FileKind, 5> kKinds{{
    {"gpx", "Fichier GPX 1.1 (*.gpx)", "gpx", ExportFormat::Gpx, nullptr},
    {"kml", "Fichier KML 2.2 (*.kml)", "kml", ExportFormat::Kml, nullptr},
    {"geojson", "Fichier GeoJSON (*.geojson)", "geojson", ExportFormat::GeoJson, nullptr},
    {"csv-excel", "CSV pour Excel, point-virgule (*.csv)", "csv", std::nullopt, FrenchExcelCsv},
    {"csv-utf8", "CSV UTF-8, virgule (*.csv)", "csv", std::nullopt, Utf8Csv},
}};

const FileKind* KindNamed(const QString& name) {
    for (const FileKind& kind : kKinds)
        if (name == QLatin1String(kind.name))
            return &kind;
    return nullptr;
}

} // namespace

PlacesExporter::PlacesExporter(QString placesPath, PlatformServices& platform, QWidget* window)
    : placesPath_(std::move(placesPath))
    , platform_(platform)
    , window_(window) {
}

void PlacesExporter::Export(const QString& format, const QList<qint64>& ids) {
    const FileKind* kind = KindNamed(format);
    if (!kind) {
        Tell(QStringLiteral("Les lieux s'exportent en GPX, KML, GeoJSON ou CSV."));
        return;
    }
    PlaceStore store(placesPath_);
    if (const StoreOutcome opened = store.Open(); !opened.done) {
        Tell(opened.problem);
        return;
    }
    QList<SavedPlace> places = store.List();
    if (!ids.isEmpty()) {
        const QSet<qint64> chosen(ids.begin(), ids.end());
        places.removeIf([&](const SavedPlace& place) { return !chosen.contains(place.id); });
    }
    if (places.isEmpty()) {
        Tell(QStringLiteral("Aucun lieu à exporter."));
        return;
    }
    const QString suffix = QLatin1String(kind->suffix);
    const QString folder = lastPath_.isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                               : QFileInfo(lastPath_).absolutePath();
    SaveDialogRequest request;
    request.title = QStringLiteral("Exporter mes lieux");
    request.initialDirectory = folder;
    request.filterDescription = QString::fromUtf8(kind->description);
    request.filterPattern = u"*."_qs + suffix;
    request.defaultSuffix = suffix;
    request.previousPath = QDir(folder).filePath(u"mes-lieux."_qs + suffix);
    const std::optional<SaveDialogChoice> choice =
        platform_.saveDialog.AskSavePath(window_, request);
    if (!choice)
        return;
    const ExportOutcome outcome = kind->format
                                      ? WritePlacesFile(choice->path, *kind->format, places)
                                      : WritePlacesTable(choice->path, kind->dialect(), places);
    if (!outcome.written) {
        Tell(outcome.problem);
        return;
    }
    lastPath_ = choice->path;
}

void PlacesExporter::Tell(const QString& text) {
    platform_.messages.Show(window_, text, QStringLiteral("Mes lieux"), MessageIcon::Exclamation);
}

} // namespace tarnel
