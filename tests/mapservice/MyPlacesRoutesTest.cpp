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
    QJsonDocument Send(const QByteArray& path, const QByteArray& body,
                       const QByteArray& origin = "own",
                       const QByteArray& type = "application/json");
    QJsonArray List() { return Send("/lieux", QByteArray()).array(); }

    QTemporaryDir folder_;
    std::unique_ptr<MapService> service_;
    int status_ = 0;
    int runs_ = 0;
};

void MyPlacesRoutesTest::init() {
    service_ = std::make_unique<MapService>(nullptr, nullptr);
    service_->KeepPlacesIn(folder_.filePath(QString::number(++runs_))); // each from an empty list
    QVERIFY(service_->Start());
}

QJsonDocument MyPlacesRoutesTest::Send(const QByteArray& path, const QByteArray& body,
                                       const QByteArray& origin, const QByteArray& type) {
    httplib::Headers headers;
    if (!origin.isEmpty())
        headers.emplace("Origin", origin == "own"
                                      ? "http://127.0.0.1:" + std::to_string(service_->Port())
                                      : origin.toStdString());
    httplib::Client client("127.0.0.1", service_->Port());
    const auto result = body.isNull() ? client.Get(path.toStdString(), headers)
                                      : client.Post(path.toStdString(), headers, body.toStdString(),
                                                    type.toStdString());
    status_ = result ? result->status : 0;
    return QJsonDocument::fromJson(result ? QByteArray::fromStdString(result->body) : "");
}

void MyPlacesRoutesTest::renamesAndNotes() {
    const QByteArray id = QByteArray::number(
        Send("/lieux/ajout", R"({"name":"Gare","latitude":1,"longitude":2})")[u"id"].toInteger());
    Send("/lieux/nom", R"({"id":)" + id + R"(,"name":"Zénith"})");
    const auto note = Send("/lieux/note", R"({"id":)" + id + R"(,"note":"quai 3"})").object();
    QCOMPARE(note[u"name"].toString() + u'/' + note[u"note"].toString(), u"Zénith/quai 3"_s);
    QCOMPARE(List(), QJsonArray{note});
}

void MyPlacesRoutesTest::refusedWritesChangeNothing_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("body"); // null: a GET
    QTest::addColumn<QByteArray>("origin");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("problem"); // in the French sentence
    const QByteArray add = "/lieux/ajout", own = "own", json = "application/json";
    const QByteArray place = R"({"name":"x","latitude":1,"longitude":2})";
    const QByteArray entities =
        R"(<!DOCTYPE gpx [<!ENTITY a "a">]><gpx><wpt lat="1" lon="2"/></gpx>)";
    QTest::newRow("not JSON") << add << "name=x"_ba << own << json << 400 << u"lue"_s;
    QTest::newRow("off Earth") << add << R"({"name":"a","latitude":91,"longitude":1})"_ba << own
                               << json << 409 << u"Terre"_s;
    QTest::newRow("remove gone") << "/lieux/suppression"_ba
                                 << R"({"id":9})"_ba << own << json << 409
                                 << u"plus dans la liste"_s;
    QTest::newRow("file not imported")
        << "/lieux/import"_ba
        << R"({"name":"bomb.gpx","data":")" + entities.toBase64() + R"("})" << own << json << 422
        << u"Le fichier « bomb.gpx » n'a pas été importé"_s;
    // A form of another site needs no browser's leave; its fetch of JSON would.
    QTest::newRow("other site's form")
        << add << place << "http://example.org"_ba
        << "application/x-www-form-urlencoded"_ba << 403 << QString();
    QTest::newRow("no origin") << add << place << ""_ba << json << 403 << QString();
    QTest::newRow("text body") << add << place << own << "text/plain"_ba << 403 << QString();
    QTest::newRow("too large for a place")
        << add << QByteArray(20000, ' ') + place << own << json << 413 << QString();
    QTest::newRow("GET of a write") << add << QByteArray() << own << json << 405 << QString();
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
    const QString error = Send(path, body, origin, type)[u"error"].toString();
    QCOMPARE(status_, status);
    QVERIFY2(error.contains(problem), qPrintable(error));
    QCOMPARE(List(), before);
}

QTEST_GUILESS_MAIN(MyPlacesRoutesTest)
#include "MyPlacesRoutesTest.moc"
