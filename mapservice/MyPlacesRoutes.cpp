#include "mapservice/MyPlacesRoutes.h"

#include "mapservice/JsonAnswer.h"
#include "places/DuplicateFinding.h"
#include "places/PlaceJson.h"
#include "places/PlaceStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <httplib.h>

#include <functional>
#include <mutex>
#include <optional>
#include <utility>

namespace tarnel {

namespace {

constexpr auto kListPath = "/lieux";
constexpr auto kAddPath = "/lieux/ajout";
constexpr auto kRenamePath = "/lieux/nom";
constexpr auto kNotePath = "/lieux/note";
constexpr auto kRemovePath = "/lieux/suppression";
constexpr auto kRestorePath = "/lieux/retour";
constexpr auto kImportPath = "/lieux/import";
constexpr size_t kLargestPlace = 16 * 1024;

const QString kUnreadable = QStringLiteral(
    "La demande de la carte n'a pas pu être lue : la liste de mes lieux reste telle quelle.");

const QString kGone =
    QStringLiteral("Ce lieu n'est plus dans la liste : un autre programme l'a peut-être supprimé.");

void Answer(httplib::Response& response, int status, const QJsonDocument& body) {
    SendJson(response, body.toJson(QJsonDocument::Compact), status);
}

void Refuse(httplib::Response& response, int status, const QString& problem) {
    Answer(response, status, QJsonDocument(QJsonObject{{QStringLiteral("error"), problem}}));
}

std::optional<QString> TextOf(const QJsonObject& body, QLatin1String key) {
    const QJsonValue value = body.value(key);
    return value.isString() ? std::optional(value.toString()) : std::nullopt;
}

// Runs `use` on the store at `path`, opened, one request at a time (`turn`); answers 503 with
// the store's sentence when it cannot be opened.
void OnStore(std::mutex& turn, const QString& path, httplib::Response& response,
             const std::function<void(PlaceStore&)>& use) {
    const std::lock_guard lock(turn);
    PlaceStore store(path);
    if (const StoreOutcome open = store.Open(); !open.done) {
        Refuse(response, 503, open.problem);
        return;
    }
    use(store);
}

// One write: `change` reads the body and acts on the store, filling in the place to answer
// with; nothing when the body is not what it needs.
using Change =
    std::function<std::optional<StoreOutcome>(PlaceStore&, const QJsonObject&, SavedPlace&)>;

} // namespace

MyPlacesRoutes::MyPlacesRoutes(QString path)
    : path_(std::move(path)) {
}

bool MyPlacesRoutes::Serves(const std::string& path) {
    return path == kListPath || Writes(path);
}

bool MyPlacesRoutes::Writes(const std::string& path) {
    return LargestBody(path) > 0;
}

size_t MyPlacesRoutes::LargestBody(const std::string& path) {
    if (path == kImportPath)
        return kLargestBody;
    for (const char* write : {kAddPath, kRenamePath, kNotePath, kRemovePath, kRestorePath}) {
        if (path == write)
            return kLargestPlace;
    }
    return 0;
}

void MyPlacesRoutes::Register(httplib::Server& server) {
    server.Get(kListPath, [this](const httplib::Request&, httplib::Response& response) {
        OnStore(turn_, path_, response, [&](PlaceStore& store) {
            Answer(response, 200, QJsonDocument(PlacesJson(store.List())));
        });
    });
    server.Post(kImportPath, [this](const httplib::Request& request, httplib::Response& response) {
        Import(request, response);
    });
    const auto route = [this, &server](const char* path, Change change) {
        server.Post(path, [this, change = std::move(change)](const httplib::Request& request,
                                                             httplib::Response& response) {
            const QJsonDocument body =
                QJsonDocument::fromJson(QByteArray::fromStdString(request.body));
            if (!body.isObject()) {
                Refuse(response, 400, kUnreadable);
                return;
            }
            OnStore(turn_, path_, response, [&](PlaceStore& store) {
                SavedPlace place;
                const std::optional<StoreOutcome> outcome = change(store, body.object(), place);
                if (!outcome) {
                    Refuse(response, 400, kUnreadable);
                } else if (!outcome->done) {
                    Refuse(response, 409, outcome->problem);
                } else {
                    Answer(response, 200, QJsonDocument(PlaceJson(place)));
                }
            });
        });
    };
    // Add and restore: the place of the body, as the store then holds it (an added one with its
    // new id and time).
    const auto put = [](auto write, bool stored) {
        return [write, stored](PlaceStore& store, const QJsonObject& body, SavedPlace& place) {
            std::optional<SavedPlace> given = PlaceFromJson(body, stored);
            if (!given)
                return std::optional<StoreOutcome>();
            place = *given;
            return std::optional(std::invoke(write, store, place));
        };
    };
    route(kAddPath, put(&PlaceStore::Add, false));
    route(kRestorePath, put(&PlaceStore::Restore, true));
    // Rename and note: the place as it now is, read back.
    const auto edit = [](auto write, QLatin1String key) {
        return [write, key](PlaceStore& store, const QJsonObject& body, SavedPlace& place) {
            const auto id = PlaceIdFromJson(body.value(QLatin1String("id")));
            const auto text = TextOf(body, key);
            if (!id || !text)
                return std::optional<StoreOutcome>();
            const StoreOutcome outcome = std::invoke(write, store, *id, *text);
            if (outcome.done)
                place = store.Find(*id).value_or(SavedPlace{});
            return std::optional(outcome);
        };
    };
    route(kRenamePath, edit(&PlaceStore::Rename, QLatin1String("name")));
    route(kNotePath, edit(&PlaceStore::EditNote, QLatin1String("note")));
    route(kRemovePath, [](PlaceStore& store, const QJsonObject& body, SavedPlace& place) {
        const auto id = PlaceIdFromJson(body.value(QLatin1String("id")));
        if (!id)
            return std::optional<StoreOutcome>();
        // Read first: the answer is what an undo puts back.
        const std::optional<SavedPlace> found = store.Find(*id);
        if (!found)
            return std::optional(StoreOutcome{false, kGone});
        place = *found;
        return std::optional(store.Remove(*id));
    });
}

void MyPlacesRoutes::Import(const httplib::Request& request, httplib::Response& response) {
    const QJsonObject body =
        QJsonDocument::fromJson(QByteArray::fromStdString(request.body)).object();
    const QString name = body.value(QLatin1String("name")).toString();
    const auto data =
        QByteArray::fromBase64Encoding(body.value(QLatin1String("data")).toString().toLatin1(),
                                       QByteArray::AbortOnBase64DecodingErrors);
    if (name.isEmpty() || !data) {
        Refuse(response, 400, kUnreadable);
        return;
    }
    const PlaceFileReading reading =
        ReadNamedPlaceBytes(name, *data, body.value(QLatin1String("routes")).toBool());
    if (!reading.problem.isEmpty()) {
        Refuse(response, 422, reading.problem);
        return;
    }
    OnStore(turn_, path_, response, [&](PlaceStore& store) {
        const QList<Duplicate> duplicates = FindDuplicates(reading.places, store.List());
        QList<SavedPlace> kept;
        if (body.value(QLatin1String("skip")).toBool()) {
            QList<bool> same(reading.places.size(), false);
            for (const Duplicate& duplicate : duplicates)
                same[duplicate.index] = true;
            for (qsizetype i = 0; i < reading.places.size(); ++i) {
                if (!same[i])
                    kept.append(reading.places[i]);
            }
        } else {
            kept = reading.places;
        }
        const bool trial = body.value(QLatin1String("trial")).toBool();
        if (!trial) {
            if (const StoreOutcome added = store.AddAll(kept); !added.done) {
                Refuse(response, 409, added.problem);
                return;
            }
        }
        Answer(response, 200,
               QJsonDocument(QJsonObject{
                   {QStringLiteral("places"), reading.places.size()},
                   {QStringLiteral("duplicates"), duplicates.size()},
                   {QStringLiteral("added"), trial ? 0 : kept.size()},
                   {QStringLiteral("warnings"), QJsonArray::fromStringList(reading.warnings)}}));
    });
}

} // namespace tarnel
