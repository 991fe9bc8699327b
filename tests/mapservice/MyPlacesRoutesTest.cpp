#include "mapservice/MapService.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <httplib.h>

using namespace tarnel;
using namespace Qt::StringLiterals;

// The page's routes to the user's places through the running service: the writes, and every
// write refused (a body it cannot read, a store that says no, another site) leaving the list as
// it was.
class MyPlacesRoutesTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void writesAndUndo();
    void refusedWritesChangeNothing_data();
    void refusedWritesChangeNothing();
    void importsAFile_data();
    void importsAFile();
    void takesRouteAndTrackPoints_data();
    void takesRouteAndTrackPoints();

private:
    // POST `body` as the page does, from `origin` ("own" for the service's own; empty: none).
    QJsonObject Post(const std::string& path, const QByteArray& body, int& status,
                     const QByteArray& origin = "own", const std::string& type = "application/json",
                     const QByteArray& site = "same-origin") const;
    QJsonArray List() const;

    QTemporaryDir folder_;
    std::unique_ptr<MapService> service_;
};

void MyPlacesRoutesTest::init() {
    service_ = std::make_unique<MapService>(nullptr, nullptr);
    // A file per case and row: each starts from an empty list.
    service_->KeepPlacesIn(folder_.filePath(u"%1-%2.sqlite"_s.arg(
        QLatin1String(QTest::currentTestFunction()), QLatin1String(QTest::currentDataTag()))));
    QVERIFY(service_->Start());
}

QJsonObject MyPlacesRoutesTest::Post(const std::string& path, const QByteArray& body, int& status,
                                     const QByteArray& origin, const std::string& type,
                                     const QByteArray& site) const {
    httplib::Client client("127.0.0.1", service_->Port());
    httplib::Headers headers{{"Sec-Fetch-Site", site.toStdString()}};
    if (!origin.isEmpty())
        headers.emplace("Origin", origin == "own"
                                      ? "http://127.0.0.1:" + std::to_string(service_->Port())
                                      : origin.toStdString());
    const auto result = path.empty() ? client.Get("/lieux/ajout", headers)
                                     : client.Post(path, headers, body.toStdString(), type);
    status = result ? result->status : 0;
    return result ? QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object()
                  : QJsonObject();
}

QJsonArray MyPlacesRoutesTest::List() const {
    httplib::Client client("127.0.0.1", service_->Port());
    const auto result = client.Get("/lieux");
    return result ? QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).array()
                  : QJsonArray();
}

void MyPlacesRoutesTest::writesAndUndo() {
    int status = 0;
    const QByteArray id = QByteArray::number(
        Post("/lieux/ajout", R"({"name":" Gare ","latitude":48.8443,"longitude":2.3744})", status)
            .value(u"id"_s)
            .toInteger());
    Post("/lieux/ajout", R"({"name":"Abbaye","latitude":49.1,"longitude":-1.5})", status);
    Post("/lieux/nom", R"({"id":)" + id + R"(,"name":"Zénith"})", status);
    const QJsonObject noted =
        Post("/lieux/note", R"({"id":)" + id + R"(,"note":"quai 3"})", status);
    QCOMPARE(noted.value(u"name"_s).toString(), u"Zénith"_s);
    QCOMPARE(noted.value(u"note"_s).toString(), u"quai 3"_s);
    const QJsonArray before = List();
    QCOMPARE(before.size(), 2);
    QCOMPARE(before[1].toObject(), noted); // sorted by name
    const QJsonObject removed = Post("/lieux/suppression", R"({"id":)" + id + '}', status);
    QCOMPARE(List().size(), 1);
    // What the removal answered, sent back, puts the place back whole.
    Post("/lieux/retour", QJsonDocument(removed).toJson(), status);
    QCOMPARE(status, 200);
    QCOMPARE(List(), before);
}

void MyPlacesRoutesTest::refusedWritesChangeNothing_data() {
    QTest::addColumn<QByteArray>("path"); // empty: a GET
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("origin");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("problem"); // in the French sentence
    const QByteArray add = R"({"name":"x","latitude":1,"longitude":2})";
    const QByteArray json = "application/json";
    QTest::newRow("not JSON") << "/lieux/ajout"_ba
                              << "name=x"_ba
                              << "own"_ba << json << 400 << u"lue"_s;
    QTest::newRow("off Earth") << "/lieux/ajout"_ba
                               << R"({"name":"a","latitude":91,"longitude":1})"_ba
                               << "own"_ba << json << 409 << u"Terre"_s;
    QTest::newRow("rename gone") << "/lieux/nom"_ba
                                 << R"({"id":9,"name":"b"})"_ba
                                 << "own"_ba << json << 409 << u"plus dans la liste"_s;
    QTest::newRow("remove gone") << "/lieux/suppression"_ba
                                 << R"({"id":9})"_ba
                                 << "own"_ba << json << 409 << u"plus dans la liste"_s;
    QTest::newRow("id not whole") << "/lieux/nom"_ba
                                  << R"({"id":1.5,"name":"b"})"_ba
                                  << "own"_ba << json << 400 << u"lue"_s;
    QTest::newRow("restore without its time")
        << "/lieux/retour"_ba
        << R"({"id":7,"name":"c","latitude":1,"longitude":1})"_ba
        << "own"_ba << json << 400 << u"lue"_s;
    // A form of another site needs no browser's leave; its fetch of JSON would.
    QTest::newRow("other site's form")
        << "/lieux/ajout"_ba << add << "http://example.org"_ba
        << "application/x-www-form-urlencoded"_ba << 403 << QString();
    QTest::newRow("no origin") << "/lieux/ajout"_ba << add << ""_ba << json << 403 << QString();
    QTest::newRow("text body") << "/lieux/ajout"_ba << add << "own"_ba
                               << "text/plain"_ba << 403 << QString();
    QTest::newRow("too large for a place") << "/lieux/ajout"_ba << QByteArray(20000, ' ') + add
                                           << "own"_ba << json << 413 << QString();
    QTest::newRow("GET of a write") << ""_ba
                                    << ""_ba
                                    << "own"_ba << json << 405 << QString();
}

void MyPlacesRoutesTest::refusedWritesChangeNothing() {
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, origin);
    QFETCH(QByteArray, type);
    QFETCH(int, status);
    QFETCH(QString, problem);
    int answered = 0;
    Post("/lieux/ajout", R"({"name":"Kept","latitude":1,"longitude":2})", answered);
    const QJsonArray before = List();
    const QJsonObject reply = Post(path.toStdString(), body, answered, origin, type.toStdString(),
                                   origin.startsWith("http://e") ? "cross-site" : "same-origin");
    QCOMPARE(answered, status);
    QVERIFY2(reply.value(u"error"_s).toString().contains(problem),
             qPrintable(reply.value(u"error"_s).toString()));
    QCOMPARE(List(), before);
}

void MyPlacesRoutesTest::importsAFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("skip");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("added"); // at the second import of the same file
    // Written by GPSBabel: 9 geocaching waypoints (source in tests/places/data/README.md).
    QFile file(QStringLiteral(TARNEL_PLACES_DATA "/gpsbabel-geocaching.gpx"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray gpx = file.readAll();
    QTest::newRow("duplicates skipped") << u"caches.gpx"_s << gpx << true << 200 << 0;
    QTest::newRow("duplicates kept") << u"caches.GPX"_s << gpx << false << 200 << 9;
    QTest::newRow("read as its extension says") << u"caches.kml"_s << gpx << true << 422 << 0;
    QTest::newRow("entities expanded")
        << u"bomb.gpx"_s << R"(<?xml version="1.0"?><!DOCTYPE gpx [<!ENTITY a
        "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">]><gpx version="1.1"><wpt
        lat="1" lon="2"><name>&b;</name></wpt></gpx>)"_ba
        << true << 422 << 0;
}

void MyPlacesRoutesTest::importsAFile() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, skip);
    QFETCH(int, status);
    QFETCH(int, added);
    const auto body = [&](bool trial) {
        return QJsonDocument(QJsonObject{{u"name"_s, name},
                                         {u"data"_s, QString::fromLatin1(bytes.toBase64())},
                                         {u"skip"_s, skip},
                                         {u"trial"_s, trial}})
            .toJson();
    };
    int answered = 0;
    QJsonObject reply = Post("/lieux/import", body(true), answered);
    QCOMPARE(answered, status);
    QVERIFY(List().isEmpty()); // a trial adds nothing
    if (status != 200) {
        QVERIFY(reply.value(u"error"_s).toString().startsWith(u"Le fichier « "_s + name));
        return;
    }
    QCOMPARE(reply.value(u"places"_s).toInt(), 9);
    QCOMPARE(Post("/lieux/import", body(false), answered).value(u"added"_s).toInt(), 9);
    reply = Post("/lieux/import", body(false), answered);
    QCOMPARE(reply.value(u"duplicates"_s).toInt(), 9);
    QCOMPARE(reply.value(u"added"_s).toInt(), added);
    QCOMPARE(List().size(), 9 + added);
}

void MyPlacesRoutesTest::takesRouteAndTrackPoints_data() {
    QTest::addColumn<QJsonValue>("routes");
    QTest::addColumn<int>("added");
    QTest::addColumn<int>("warnings");
    QTest::newRow("not asked") << QJsonValue() << 2 << 1;
    QTest::newRow("refused") << QJsonValue(false) << 2 << 1;
    QTest::newRow("asked") << QJsonValue(true) << 6 << 0;
}

void MyPlacesRoutesTest::takesRouteAndTrackPoints() {
    QFETCH(QJsonValue, routes);
    QFETCH(int, added);
    QFETCH(int, warnings);
    // Written by Garmin BaseCamp: 2 waypoints, a route and a track of 4 points in all (source in
    // tests/places/data/README.md).
    QFile file(QStringLiteral(TARNEL_PLACES_DATA "/garmin-basecamp.gpx"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QJsonObject body{{u"name"_s, u"basecamp.gpx"_s},
                     {u"data"_s, QString::fromLatin1(file.readAll().toBase64())}};
    if (!routes.isUndefined())
        body.insert(u"routes"_s, routes);
    int answered = 0;
    const QJsonObject reply = Post("/lieux/import", QJsonDocument(body).toJson(), answered);
    QCOMPARE(answered, 200);
    QCOMPARE(reply.value(u"added"_s).toInt(), added);
    QCOMPARE(reply.value(u"warnings"_s).toArray().size(), warnings);
    QCOMPARE(List().size(), added);
}

QTEST_GUILESS_MAIN(MyPlacesRoutesTest)
#include "MyPlacesRoutesTest.moc"
