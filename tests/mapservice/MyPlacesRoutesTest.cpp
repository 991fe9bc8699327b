#include "mapservice/MapService.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <httplib.h>

using namespace tarnel;
using namespace Qt::StringLiterals;

// The page's routes to the user's places through the running service: the edits the page makes
// nowhere else, and every kind of write refused (a body it cannot read, a store that says no, a
// file not imported, another site) leaving the list as it was. The page's own adds, removals,
// undos and imports are in MyPlacesPageTest.
class MyPlacesRoutesTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void renamesAndNotes();
    void refusedWritesChangeNothing_data();
    void refusedWritesChangeNothing();

private:
    // POSTs `body` as the page does, from `origin` ("own": the service's; empty: none), or GETs
    // `path` when `body` is null; status_ is the answer's status.
    QJsonDocument Send(const std::string& path, const QByteArray& body,
                       const QByteArray& origin = "own",
                       const std::string& type = "application/json");
    QJsonArray List() { return Send("/lieux", QByteArray()).array(); }

    QTemporaryDir folder_;
    std::unique_ptr<MapService> service_;
    int status_ = 0;
};

void MyPlacesRoutesTest::init() {
    service_ = std::make_unique<MapService>(nullptr, nullptr);
    // A file per case and row: each starts from an empty list.
    service_->KeepPlacesIn(folder_.filePath(u"%1-%2.sqlite"_s.arg(
        QLatin1String(QTest::currentTestFunction()), QLatin1String(QTest::currentDataTag()))));
    QVERIFY(service_->Start());
}

QJsonDocument MyPlacesRoutesTest::Send(const std::string& path, const QByteArray& body,
                                       const QByteArray& origin, const std::string& type) {
    const std::string own = "http://127.0.0.1:" + std::to_string(service_->Port());
    httplib::Headers headers{
        {"Sec-Fetch-Site", origin.startsWith("http") ? "cross-site" : "same-origin"}};
    if (!origin.isEmpty())
        headers.emplace("Origin", origin == "own" ? own : origin.toStdString());
    httplib::Client client("127.0.0.1", service_->Port());
    const auto result = body.isNull() ? client.Get(path, headers)
                                      : client.Post(path, headers, body.toStdString(), type);
    status_ = result ? result->status : 0;
    return QJsonDocument::fromJson(result ? QByteArray::fromStdString(result->body) : "");
}

void MyPlacesRoutesTest::renamesAndNotes() {
    const QByteArray id = QByteArray::number(
        Send("/lieux/ajout", R"({"name":"Gare","latitude":48.8443,"longitude":2.3744})")
            .object()
            .value(u"id"_s)
            .toInteger());
    Send("/lieux/nom", R"({"id":)" + id + R"(,"name":"Zénith"})");
    const QJsonObject noted =
        Send("/lieux/note", R"({"id":)" + id + R"(,"note":"quai 3"})").object();
    QCOMPARE(noted.value(u"name"_s).toString(), u"Zénith"_s);
    QCOMPARE(noted.value(u"note"_s).toString(), u"quai 3"_s);
    QCOMPARE(List(), QJsonArray{noted});
}

void MyPlacesRoutesTest::refusedWritesChangeNothing_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("body"); // null: a GET
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
    QTest::newRow("remove gone") << "/lieux/suppression"_ba
                                 << R"({"id":9})"_ba
                                 << "own"_ba << json << 409 << u"plus dans la liste"_s;
    const QByteArray entities = R"(<!DOCTYPE gpx [<!ENTITY a "a">]><gpx version="1.1"><wpt
        lat="1" lon="2"><name>&a;</name></wpt></gpx>)";
    QTest::newRow("file not imported")
        << "/lieux/import"_ba
        << QJsonDocument(QJsonObject{{u"name"_s, u"bomb.gpx"_s},
                                     {u"data"_s, QString::fromLatin1(entities.toBase64())}})
               .toJson()
        << "own"_ba << json << 422 << u"Le fichier « bomb.gpx » n'a pas été importé"_s;
    // A form of another site needs no browser's leave; its fetch of JSON would.
    QTest::newRow("other site's form")
        << "/lieux/ajout"_ba << add << "http://example.org"_ba
        << "application/x-www-form-urlencoded"_ba << 403 << QString();
    QTest::newRow("no origin") << "/lieux/ajout"_ba << add << ""_ba << json << 403 << QString();
    QTest::newRow("too large for a place") << "/lieux/ajout"_ba << QByteArray(20000, ' ') + add
                                           << "own"_ba << json << 413 << QString();
    QTest::newRow("GET of a write")
        << "/lieux/ajout"_ba << QByteArray() << "own"_ba << json << 405 << QString();
}

void MyPlacesRoutesTest::refusedWritesChangeNothing() {
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, origin);
    QFETCH(QByteArray, type);
    QFETCH(int, status);
    QFETCH(QString, problem);
    Send("/lieux/ajout", R"({"name":"Kept","latitude":1,"longitude":2})");
    const QJsonArray before = List();
    const QString error = Send(path.toStdString(), body, origin, type.toStdString())
                              .object()
                              .value(u"error"_s)
                              .toString();
    QCOMPARE(status_, status);
    QVERIFY2(error.contains(problem), qPrintable(error));
    QCOMPARE(List(), before);
}

QTEST_GUILESS_MAIN(MyPlacesRoutesTest)
#include "MyPlacesRoutesTest.moc"
