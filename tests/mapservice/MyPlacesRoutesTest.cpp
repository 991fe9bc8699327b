#include "mapservice/MapService.h"
#include "places/PlaceStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <httplib.h>

using namespace tarnel;
using namespace Qt::StringLiterals;

namespace {

struct Reply {
    int status = 0;
    QJsonDocument body;
};

} // namespace

// The page's routes to the user's places, through the running service: reads, writes, their
// refusals, and the guards that keep every other site out.
class MyPlacesRoutesTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void writesChangeTheList();
    void refusedWritesChangeNothing_data();
    void refusedWritesChangeNothing();
    void guardsRefuseOtherSites_data();
    void guardsRefuseOtherSites();
    void listFilters();
    void routesAbsentWithoutAStore();

private:
    Reply Post(const char* path, const QByteArray& body) const;
    Reply Get(const std::string& target) const;
    QStringList Names() const;

    QTemporaryDir folder_;
    std::unique_ptr<MapService> service_;
};

void MyPlacesRoutesTest::init() {
    service_ = std::make_unique<MapService>(nullptr, nullptr);
    // A file per case and row: every one starts from an empty list.
    service_->KeepPlacesIn(folder_.filePath(QStringLiteral("%1-%2.sqlite")
                                                .arg(QLatin1String(QTest::currentTestFunction()),
                                                     QLatin1String(QTest::currentDataTag()))));
    QVERIFY(service_->Start());
}

void MyPlacesRoutesTest::cleanup() {
    service_.reset();
}

Reply MyPlacesRoutesTest::Post(const char* path, const QByteArray& body) const {
    httplib::Client client("127.0.0.1", service_->Port());
    const std::string origin = "http://127.0.0.1:" + std::to_string(service_->Port());
    const auto result = client.Post(path, {{"Origin", origin}, {"Sec-Fetch-Site", "same-origin"}},
                                    body.toStdString(), "application/json");
    if (!result)
        return {};
    return {result->status, QJsonDocument::fromJson(QByteArray::fromStdString(result->body))};
}

Reply MyPlacesRoutesTest::Get(const std::string& target) const {
    httplib::Client client("127.0.0.1", service_->Port());
    const auto result = client.Get(target);
    if (!result)
        return {};
    return {result->status, QJsonDocument::fromJson(QByteArray::fromStdString(result->body))};
}

QStringList MyPlacesRoutesTest::Names() const {
    QStringList names;
    for (const QJsonValue& place : Get("/lieux").body.array())
        names.append(place[QLatin1String("name")].toString());
    return names;
}

void MyPlacesRoutesTest::writesChangeTheList() {
    const Reply added = Post("/lieux/ajout", R"({"name":" Gare de Lyon ","latitude":48.8443,
        "longitude":2.3744,"address":"Place Louis-Armand 75012 Paris","note":""})");
    QCOMPARE(added.status, 200);
    const QJsonObject place = added.body.object();
    const qint64 id = place[QLatin1String("id")].toInteger();
    QVERIFY(id > 0);
    QCOMPARE(place[QLatin1String("name")].toString(), u"Gare de Lyon"_qs);
    QVERIFY(Post("/lieux/ajout", R"({"name":"Abbaye","latitude":49.1,"longitude":-1.5})").status ==
            200);
    QCOMPARE(Names(), (QStringList{u"Abbaye"_qs, u"Gare de Lyon"_qs}));

    const QByteArray idText = QByteArray::number(id);
    QCOMPARE(Post("/lieux/nom", R"({"id":)" + idText + R"(,"name":"Zénith"})")
                 .body[QLatin1String("name")]
                 .toString(),
             u"Zénith"_qs);
    QCOMPARE(Post("/lieux/note", R"({"id":)" + idText + R"(,"note":"quai 3"})")
                 .body[QLatin1String("note")]
                 .toString(),
             u"quai 3"_qs);
    const Reply removed = Post("/lieux/suppression", R"({"id":)" + idText + '}');
    QCOMPARE(removed.status, 200);
    QCOMPARE(Names(), QStringList{u"Abbaye"_qs});
    // The removed place, sent back as it came, is put back whole.
    QCOMPARE(Post("/lieux/retour", removed.body.toJson()).status, 200);
    const QJsonArray list = Get("/lieux").body.array();
    QCOMPARE(list.size(), 2);
    QCOMPARE(list[1].toObject(), removed.body.object());
}

void MyPlacesRoutesTest::refusedWritesChangeNothing_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("problem"); // a word of the French sentence
    QTest::newRow("not JSON") << "/lieux/ajout"_ba
                              << "name=x"_ba << 400 << u"lue"_qs;
    QTest::newRow("no latitude") << "/lieux/ajout"_ba
                                 << R"({"name":"a","longitude":1})"_ba << 400 << u"lue"_qs;
    QTest::newRow("latitude as text")
        << "/lieux/ajout"_ba
        << R"({"name":"a","latitude":"1","longitude":1})"_ba << 400 << u"lue"_qs;
    QTest::newRow("off Earth") << "/lieux/ajout"_ba
                               << R"({"name":"a","latitude":91,"longitude":1})"_ba << 409
                               << u"Terre"_qs;
    QTest::newRow("rename unknown") << "/lieux/nom"_ba
                                    << R"({"id":999,"name":"b"})"_ba << 409 << u"plus"_qs;
    QTest::newRow("id fractional") << "/lieux/nom"_ba
                                   << R"({"id":1.5,"name":"b"})"_ba << 400 << u"lue"_qs;
    QTest::newRow("remove unknown") << "/lieux/suppression"_ba
                                    << R"({"id":999})"_ba << 409 << u"plus"_qs;
    QTest::newRow("restore over a kept one")
        << "/lieux/retour"_ba
        << R"({"id":1,"name":"c","latitude":1,"longitude":1,"added":"2026-12-08T10:00:00.000Z"})"_ba
        << 409 << QString();
    QTest::newRow("restore without its time")
        << "/lieux/retour"_ba
        << R"({"id":7,"name":"c","latitude":1,"longitude":1})"_ba << 400 << u"lue"_qs;
}

void MyPlacesRoutesTest::refusedWritesChangeNothing() {
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, body);
    QFETCH(int, status);
    QFETCH(QString, problem);
    QCOMPARE(Post("/lieux/ajout", R"({"name":"Kept","latitude":1,"longitude":2})").status, 200);
    const QJsonDocument before = Get("/lieux").body;
    const Reply reply = Post(path.constData(), body);
    QCOMPARE(reply.status, status);
    const QString error = reply.body[QLatin1String("error")].toString();
    QVERIFY2(!error.isEmpty() && error.contains(problem, Qt::CaseInsensitive), qPrintable(error));
    QCOMPARE(Get("/lieux").body, before);
}

void MyPlacesRoutesTest::guardsRefuseOtherSites_data() {
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("origin"); // %1: the service's port; empty for none
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("site");
    QTest::addColumn<int>("status");
    QTest::newRow("own page") << "POST"_ba
                              << "http://127.0.0.1:%1"_ba
                              << "application/json"_ba
                              << "same-origin"_ba << 200;
    QTest::newRow("other site's form") << "POST"_ba
                                       << "http://example.org"_ba
                                       << "application/x-www-form-urlencoded"_ba
                                       << "cross-site"_ba << 403;
    QTest::newRow("other site's fetch") << "POST"_ba
                                        << "http://example.org"_ba
                                        << "application/json"_ba
                                        << "cross-site"_ba << 403;
    QTest::newRow("other port") << "POST"_ba
                                << "http://127.0.0.1:1"_ba
                                << "application/json"_ba
                                << "same-site"_ba << 403;
    QTest::newRow("no origin") << "POST"_ba
                               << ""_ba
                               << "application/json"_ba
                               << ""_ba << 403;
    QTest::newRow("plain text body") << "POST"_ba
                                     << "http://127.0.0.1:%1"_ba
                                     << "text/plain"_ba
                                     << "same-origin"_ba << 403;
    QTest::newRow("GET of a write") << "GET"_ba
                                    << ""_ba
                                    << ""_ba
                                    << ""_ba << 405;
    QTest::newRow("PUT of a write") << "PUT"_ba
                                    << "http://127.0.0.1:%1"_ba
                                    << "application/json"_ba
                                    << "same-origin"_ba << 405;
}

void MyPlacesRoutesTest::guardsRefuseOtherSites() {
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, origin);
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, site);
    QFETCH(int, status);
    httplib::Client client("127.0.0.1", service_->Port());
    httplib::Headers headers;
    if (!origin.isEmpty())
        headers.emplace("Origin",
                        origin.replace("%1", QByteArray::number(service_->Port())).toStdString());
    if (!site.isEmpty())
        headers.emplace("Sec-Fetch-Site", site.toStdString());
    const std::string body = R"({"name":"Intrus","latitude":1,"longitude":2})";
    httplib::Result result = method == "GET" ? client.Get("/lieux/ajout", headers)
                             : method == "PUT"
                                 ? client.Put("/lieux/ajout", headers, body, type.toStdString())
                                 : client.Post("/lieux/ajout", headers, body, type.toStdString());
    QVERIFY(result);
    QCOMPARE(result->status, status);
    QCOMPARE(Names().size(), status == 200 ? 1 : 0);
}

void MyPlacesRoutesTest::listFilters() {
    for (const char* body : {R"({"name":"Église Saint-Michel","latitude":1,"longitude":2})",
                             R"({"name":"Mairie","latitude":1,"longitude":2,"note":"église"})",
                             R"({"name":"Gare","latitude":1,"longitude":2})"})
        QCOMPARE(Post("/lieux/ajout", body).status, 200);
    // Accents and case aside, any of the texts.
    QCOMPARE(Get("/lieux?filtre=EGLISE").body.array().size(), 2);
    QCOMPARE(Get("/lieux?filtre=eglise%20michel").body.array().size(), 1);
    QCOMPARE(Get("/lieux?filtre=").body.array().size(), 3);
}

void MyPlacesRoutesTest::routesAbsentWithoutAStore() {
    MapService bare(nullptr, nullptr);
    QVERIFY(bare.Start());
    httplib::Client client("127.0.0.1", bare.Port());
    QCOMPARE(client.Get("/lieux")->status, 404);
}

QTEST_GUILESS_MAIN(MyPlacesRoutesTest)
#include "MyPlacesRoutesTest.moc"
