#include "mapservice/MapService.h"
#include "FakeGeocoderServer.h"
#include "core/Geocoding.h"
#include "geocoding/GeoplateformeGeocoder.h"
#include "geocoding/NominatimGeocoder.h"
#include "mapservice/GuardedServer.h"
#include "mapservice/MapPage.h"

#include <httplib.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <future>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace tarnel;
using namespace std::chrono_literals;
using Endpoint = FakeGeocoderServer::Endpoint;
using Behaviour = FakeGeocoderServer::Behaviour;

Q_DECLARE_METATYPE(tarnel::Absence)

namespace {

const QByteArray kTestAgent = "TarnelTest/1.0 (+https://tarnel.example)";
constexpr HttpLimits kTestLimits{1000ms, 1500ms, 256 * 1024};
constexpr auto kTestInterval = 20ms;
// Limits long enough that a test can tell waiting them out from a prompt end.
constexpr HttpLimits kLongLimits{1000ms, 8000ms, 256 * 1024};
constexpr auto kLongInterval = 4000ms;
// What the program promises: it ends within this of its main window closing.
constexpr auto kPromptEnd = 1000ms;

// A raw connection to the service, for clients that send slowly or not at all.
class RawConnection {
public:
    explicit RawConnection(quint16 port)
        : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = socket_ >= 0 &&
                     ::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;
    ~RawConnection() {
        if (socket_ >= 0) {
            ::close(socket_);
        }
    }
    bool Connected() const { return connected_; }
    bool Send(const QByteArray& bytes) const {
        return ::send(socket_, bytes.constData(), static_cast<size_t>(bytes.size()),
                      MSG_NOSIGNAL) == bytes.size();
    }
    // True when the service closes the connection within `wait`, whatever it sends first.
    bool ClosedWithin(std::chrono::milliseconds wait) const {
        const auto until = std::chrono::steady_clock::now() + wait;
        const timeval slice{0, 50 * 1000};
        setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &slice, sizeof slice);
        char buffer[8192];
        while (std::chrono::steady_clock::now() < until) {
            const ssize_t received = ::recv(socket_, buffer, sizeof buffer, 0);
            if (received == 0) {
                return true;
            }
            if (received < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                return true; // reset
            }
        }
        return false;
    }

private:
    int socket_ = -1;
    bool connected_ = false;
};

} // namespace

// The built-in map service end to end: pages over HTTP for each kind of query, read back by the
// program's own coordinate extraction, with both geocoders answered by loopback fakes.
class MapServiceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void pages_data();
    void pages();
    void unreadablePairPage_data();
    void unreadablePairPage();
    void hangingUpstreamIsBounded();
    void sameAddressAskedOnce_data();
    void sameAddressAskedOnce();
    void concurrentLookupsShareOneRequest();
    void queryIsEscaped_data();
    void queryIsEscaped();
    void namesakesAreListed();
    void absenceSentencesDiffer();
    void placeAnswersAsThePage();
    void unreachableGeocodersAreNamed();
    void certificateFailureIsNamed();
    void disabledGeocodersAreNotAsked();
    void requestsAreOnesTheServicesAccept_data();
    void requestsAreOnesTheServicesAccept();
    void refusals_data();
    void refusals();
    void upstreamRequestsFollowTheirFormats_data();
    void upstreamRequestsFollowTheirFormats();
    void nominatimRequestsAreSpaced();
    void openDataAgentNamesTheProgram_data();
    void openDataAgentNamesTheProgram();
    void lifecycle();
    void crossSiteRequestsAreRefused_data();
    void crossSiteRequestsAreRefused();
    void ownRequestIsAnsweredBesideSlowConnections_data();
    void ownRequestIsAnsweredBesideSlowConnections();
    void stopIsPrompt_data();
    void stopIsPrompt();
    void stopBeforeTheLoopRunsIsHeard();
    void pageFiles_data();
    void pageFiles();
    void pageHeadersAndData();

private:
    httplib::Result Fetch(const QByteArray& rawQuery) const;

    std::unique_ptr<FakeGeocoderServer> fake_;
    std::unique_ptr<MapService> service_;
};

void MapServiceTest::initTestCase() {
    fake_ = std::make_unique<FakeGeocoderServer>();
    const auto national = Endpoint::National;
    const auto nominatim = Endpoint::Nominatim;
    fake_->Set(national, u"1 rue X, Paris, 75001"_qs, Behaviour::Place, 48.8625, 2.3417);
    fake_->Set(national, u"1 RUE X, paris, 75001"_qs, Behaviour::Place, 48.8625, 2.3417);
    fake_->Set(national, u"Rue de la cité, PARIS, 75004"_qs, Behaviour::Place, 48.8536, 2.347);
    fake_->Set(national, u"2 rue Y, Lyon, 69001"_qs, Behaviour::Place, 45.7676, 4.8344, 300ms);
    fake_->Set(national, u"1 rue Lente, Paris, 75001"_qs, Behaviour::Hang);
    fake_->Set(national, u"Grosse Rue, Paris, 75001"_qs, Behaviour::Huge, 48.86, 2.34);
    fake_->Set(nominatim, u"Unter den Linden 77, Berlin, 10117"_qs, Behaviour::Place, 52.5162746,
               13.3777041);
    fake_->Set(nominatim, u"Berlin, 10115"_qs, Behaviour::Place, 52.5323, 13.3846);
    fake_->Set(nominatim, u"Garbage Street, Nowhere"_qs, Behaviour::Garbage);
    fake_->Set(nominatim, u"Broken Road, Oslo"_qs, Behaviour::ServerError);
    // A German address without its country: the French base's best guess is a French street of
    // another postal code, so the place comes from Nominatim.
    fake_->Set(national, u"Hauptstraße 1, Berlin, 10115"_qs, Behaviour::OtherPostcode, 48.3, 4.07);
    fake_->Set(nominatim, u"Hauptstraße 1, Berlin, 10115"_qs, Behaviour::Place, 52.5323, 13.3846);
    fake_->Set(national, u"Rue de la Paix, Paris, 75002"_qs, Behaviour::Namesake, 48.8691, 2.3317);
    fake_->Set(national, u"3 rue Z, Paris, 75003"_qs, Behaviour::Gzip, 48.8637, 2.3615);
    fake_->Set(nominatim, u"Gzip Road 3, Oslo"_qs, Behaviour::Gzip, 59.9139, 10.7522);
    fake_->Set(national, u"Rue Refus, Paris, 75005"_qs, Behaviour::BadRequest);
    fake_->Set(nominatim, u"Rue Refus, Paris, 75005"_qs, Behaviour::Place, 48.8448, 2.3471);
    fake_->Set(national, u"Rue Bloquée, Paris, 75006"_qs, Behaviour::Forbidden);
    fake_->Set(nominatim, u"Storgata 1, Oslo"_qs, Behaviour::TooManyRequests);
    fake_->Set(national, u"Rue Vide, Paris, 75007"_qs, Behaviour::Empty);
    // Real answers of the French base, whatever the request asks besides its text.
    for (const auto& [query, answer] : {std::pair{u"10 PL 5 MARTYRS LYCEE BUFFON, PARIS, 75015"_qs,
                                                  u"ban-les-emplois-10-pl-5-martyrs"_qs},
                                        std::pair{u"8 bd du port"_qs, u"ban-8-bd-du-port"_qs}}) {
        QFile recorded(QStringLiteral(TARNEL_RECORDED_DIR "/") + answer + u".json"_qs);
        QVERIFY(recorded.open(QIODevice::ReadOnly));
        fake_->SetRecorded(national, query, recorded.readAll());
    }
}

void MapServiceTest::init() {
    fake_->ClearCounts();
    service_ = std::make_unique<MapService>(
        std::make_unique<GeoplateformeGeocoder>(fake_->SearchUrl(Endpoint::National), kTestAgent,
                                                kTestLimits),
        std::make_unique<NominatimGeocoder>(fake_->SearchUrl(Endpoint::Nominatim), kTestAgent,
                                            kTestLimits, kTestInterval));
    QVERIFY(service_->Start());
}

void MapServiceTest::cleanup() {
    service_.reset();
}

httplib::Result MapServiceTest::Fetch(const QByteArray& rawQuery) const {
    httplib::Client client("127.0.0.1", service_->Port());
    client.set_url_encode(false); // the query goes out exactly as the program writes it
    client.set_read_timeout(10, 0);
    return client.Get(("/maps?q=" + rawQuery).toStdString());
}

void MapServiceTest::pages_data() {
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QString>("latitude"); // as the extraction cuts it; empty: nothing found
    QTest::addColumn<QString>("longitude");
    QTest::addColumn<int>("nationalHits");
    QTest::addColumn<int>("nominatimHits");
    QTest::addColumn<Absence>("why"); // when nothing is found

    const Absence none = Absence::NotFound;
    QTest::newRow("decimal pair") << QByteArray("48.8584%2C2.2945") << u"48.858400000"_qs
                                  << u"2.2945000000"_qs << 0 << 0 << none;
    QTest::newRow("start-up plain comma") << QByteArray("48.8584,2.2945") << u"48.858400000"_qs
                                          << u"2.2945000000"_qs << 0 << 0 << none;
    QTest::newRow("south east") << QByteArray("-33.8568%2C151.2153") << u"-33.85680000"_qs
                                << u"151.21530000"_qs << 0 << 0 << none;
    QTest::newRow("decimal commas") << QByteArray("48,8584%2C2,2945") << u"48.858400000"_qs
                                    << u"2.2945000000"_qs << 0 << 0 << none;
    QTest::newRow("dms, browser escapes")
        << QByteArray("48%C2%B051'23%22%2C2%C2%B017'40%22") << u"48.856388900"_qs
        << u"2.2944444000"_qs << 0 << 0 << none;
    QTest::newRow("dms, windows-1252 escapes")
        << QByteArray("48%B051%2723%22%2C2%B017%2740%22") << u"48.856388900"_qs
        << u"2.2944444000"_qs << 0 << 0 << none;
    QTest::newRow("dms south west") << QByteArray("-33%C2%B051'24%22%2C-70%C2%B038'59%22")
                                    << u"-33.85666670"_qs << u"-70.64972220"_qs << 0 << 0 << none;
    QTest::newRow("longest values") << QByteArray("-89.9999999%2C-179.9999999")
                                    << u"-89.99999990"_qs << u"-179.9999999"_qs << 0 << 0 << none;
    QTest::newRow("shortest values") << QByteArray("0.0001%2C0.0001") << u"0.0001000000"_qs
                                     << u"0.0001000000"_qs << 0 << 0 << none;
    QTest::newRow("address in France")
        << QByteArray("1+rue+X,+Paris,+FRANCE,+75001") << u"48.862500000"_qs << u"2.3417000000"_qs
        << 1 << 0 << none;
    QTest::newRow("address window, accent")
        << QByteArray("Rue+de+la+cit%E9,+PARIS,+FRANCE,+75004") << u"48.853600000"_qs
        << u"2.3470000000"_qs << 1 << 0 << none;
    QTest::newRow("main window, no country")
        << QByteArray("1%20rue%20X,+Paris,+75001") << u"48.862500000"_qs << u"2.3417000000"_qs << 1
        << 0 << none;
    QTest::newRow("namesake in another town first")
        << QByteArray("Rue+de+la+Paix,+Paris,+FRANCE,+75002") << u"48.869100000"_qs
        << u"2.3317000000"_qs << 1 << 0 << none;
    QTest::newRow("gzip answer, France")
        << QByteArray("3+rue+Z,+Paris,+FRANCE,+75003") << u"48.863700000"_qs << u"2.3615000000"_qs
        << 1 << 0 << none;
    QTest::newRow("gzip answer, elsewhere")
        << QByteArray("Gzip+Road+3,+Oslo,+Norway") << u"59.913900000"_qs << u"10.752200000"_qs << 0
        << 1 << none;
    QTest::newRow("address elsewhere")
        << QByteArray("Unter+den+Linden+77,+Berlin,+Germany,+10117") << u"52.516274600"_qs
        << u"13.377704100"_qs << 0 << 1 << none;
    QTest::newRow("likely France, found elsewhere")
        << QByteArray("Berlin,+10115") << u"52.532300000"_qs << u"13.384600000"_qs << 1 << 1
        << none;
    QTest::newRow("French guess of another postal code, found elsewhere")
        << QByteArray("Hauptstra%C3%9Fe%201,+Berlin,+10115") << u"52.532300000"_qs
        << u"13.384600000"_qs << 1 << 1 << none;
    QTest::newRow("French refusal, found elsewhere")
        << QByteArray("Rue+Refus,+Paris,+FRANCE,+75005") << u"48.844800000"_qs << u"2.3471000000"_qs
        << 1 << 1 << none;
    QTest::newRow("only low-score guesses in France")
        << QByteArray("Nulle+part,+Atlantide,+FRANCE,+99999") << QString() << QString() << 1 << 1
        << Absence::NotFound;
    QTest::newRow("empty French answer") << QByteArray("Rue+Vide,+Paris,+FRANCE,+75007")
                                         << QString() << QString() << 1 << 1 << Absence::NotFound;
    QTest::newRow("not found elsewhere")
        << QByteArray("abc%2Cdef") << QString() << QString() << 0 << 1 << Absence::NotFound;
    QTest::newRow("French 403") << QByteArray("Rue+Bloqu%C3%A9e,+Paris,+FRANCE,+75006") << QString()
                                << QString() << 1 << 1 << Absence::Refused;
    QTest::newRow("Nominatim 429") << QByteArray("Storgata+1,+Oslo,+Norway") << QString()
                                   << QString() << 1 << 1 << Absence::Refused;
    QTest::newRow("garbage answer") << QByteArray("Garbage+Street,+Nowhere") << QString()
                                    << QString() << 1 << 1 << Absence::Failed;
    QTest::newRow("upstream error") << QByteArray("Broken+Road,+Oslo,+Norway") << QString()
                                    << QString() << 1 << 1 << Absence::Failed;
    QTest::newRow("oversized answer") << QByteArray("Grosse+Rue,+Paris,+FRANCE,+75001") << QString()
                                      << QString() << 1 << 1 << Absence::Failed;
    QTest::newRow("recorded answer, abbreviations scored 0.52")
        << QByteArray("10+PL+5+MARTYRS+LYCEE+BUFFON,+PARIS,+FRANCE,+75015") << u"48.838411000"_qs
        << u"2.3167540000"_qs << 1 << 0 << none;
    QTest::newRow("bad postal code")
        << QByteArray(",+Paris,+FRANCE,+7500") << QString() << QString() << 0 << 0 << none;
    QTest::newRow("empty query") << QByteArray() << QString() << QString() << 0 << 0 << none;
    QTest::newRow("forged arrangement")
        << QByteArray("x:%7Blat:12.3456789,lng:2.3456789%7D,+Nowhere") << QString() << QString()
        << 0 << 1 << Absence::NotFound;
}

// A pair the service cannot place: no geocoder is asked, and the page says which box and why
// (the sentences themselves: MapServiceQueryTest).
void MapServiceTest::unreadablePairPage_data() {
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QString>("sentence");
    QTest::newRow("latitude off Earth")
        << QByteArray("91%2C0") << u"La case Latitude est hors limites : « 91 »"_qs;
    QTest::newRow("longitude not understood")
        << QByteArray("48.85%2C2%C2%B017%C2%B0") << u"La case Longitude n"_qs;
}

void MapServiceTest::unreadablePairPage() {
    QFETCH(QByteArray, query);
    QFETCH(QString, sentence);
    const auto result = Fetch(query);
    QVERIFY(result);
    const QByteArray page = QByteArray::fromStdString(result->body);
    QVERIFY2(page.contains(sentence.toUtf8()), page.constData());
    QVERIFY(page.contains(u"Formes acceptées"_qs.toUtf8()));
    QVERIFY(!ExtractCoordinates(page));
    QCOMPARE(fake_->Hits(Endpoint::National) + fake_->Hits(Endpoint::Nominatim), 0);
}

void MapServiceTest::pages() {
    QFETCH(QByteArray, query);
    QFETCH(QString, latitude);
    QFETCH(QString, longitude);
    QFETCH(int, nationalHits);
    QFETCH(int, nominatimHits);
    QFETCH(Absence, why);

    const auto result = Fetch(query);
    QVERIFY(result);
    QCOMPARE(result->status, 200);
    QCOMPARE(result->get_header_value("Content-Type"), std::string("text/html; charset=utf-8"));
    const QByteArray page = QByteArray::fromStdString(result->body);
    QVERIFY(page.contains("<html lang=\"fr\">"));

    const auto extracted = ExtractCoordinates(page);
    QCOMPARE(extracted.has_value(), !latitude.isEmpty());
    if (extracted) {
        QCOMPARE(extracted->latitude, latitude);
        QCOMPARE(extracted->longitude, longitude);
        // The map's script is handed the place.
        QVERIFY(page.contains("\"place\":{\"lat\":"));
        QVERIFY(page.contains(u"© contributeurs OpenStreetMap"_qs.toUtf8()));
    } else {
        QVERIFY(page.contains("\"place\":null"));
        // Before any search the page invites one; afterwards it says why nothing is shown.
        const QString sentence = query.isEmpty() ? u"Saisissez une adresse ou des coordonnées"_qs
                                 : query.endsWith("+7500") ? u"pas cinq chiffres"_qs
                                                           : AbsenceText(why);
        QVERIFY2(page.contains(sentence.toUtf8()), page.constData());
    }

    QCOMPARE(fake_->Hits(Endpoint::National), nationalHits);
    QCOMPARE(fake_->Hits(Endpoint::Nominatim), nominatimHits);
    QVERIFY2(fake_->Broken().isEmpty(), qPrintable(fake_->Broken().join(u'|')));
}

void MapServiceTest::namesakesAreListed() {
    // The documented example's recorded answer: five towns have an 8 boulevard du Port.
    const auto result = Fetch("8+bd+du+port,+,+FRANCE,+");
    QVERIFY(result);
    const QByteArray page = QByteArray::fromStdString(result->body);
    const auto shown = ExtractCoordinates(page);
    QVERIFY(shown);
    QCOMPARE(shown->latitude, u"49.897443000"_qs);
    QVERIFY(page.indexOf("viewport:") < page.indexOf("<title>"));
    QVERIFY(
        page.contains(u"<p>Autres lieux possibles :</p>\n<ul id=\"other-places\">"_qs.toUtf8()));
    QVERIFY(page.contains(u"<li><a href=\"/maps?q=43.4252250%2C3.6058840\">8 Boulevard du Port "
                          "34140 Mèze</a></li>"_qs.toUtf8()));
    QCOMPARE(page.count("<li><a href=\"/maps?q="), 4);
}

void MapServiceTest::absenceSentencesDiffer() {
    // The page tells each case apart, and says it in French.
    const QList<Absence> all{Absence::NotFound, Absence::Unreachable, Absence::Certificates,
                             Absence::Refused,  Absence::Failed,      Absence::NoGeocoder};
    QSet<QString> sentences;
    for (const Absence why : all) {
        sentences.insert(AbsenceText(why));
    }
    QCOMPARE(sentences.size(), all.size());
    QVERIFY(AbsenceText(Absence::Unreachable).contains(u"connecté à Internet"_qs));
    QVERIFY(AbsenceText(Absence::Certificates).contains(u"certificats"_qs));
    QVERIFY(AbsenceText(Absence::Refused).contains(u"limite d'utilisation"_qs));
}

void MapServiceTest::placeAnswersAsThePage() {
    // The page's own question about another search, raw as it sends it: never cached, with the
    // place, the other candidates and the arrangement of that search's page.
    const QByteArray query = "8+bd+du+port,+,+FRANCE,+";
    httplib::Client client("127.0.0.1", service_->Port());
    client.set_url_encode(false);
    const auto result = client.Get("/place?q=" + query.toStdString());
    QVERIFY(result);
    QCOMPARE(result->get_header_value("Cache-Control"), "no-store");
    const QJsonObject json =
        QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object();
    QCOMPARE(json[u"heading"_qs].toString(), u"8 bd du port, , FRANCE, "_qs);
    QCOMPARE(json[u"source"_qs].toString(), u"Base Adresse Nationale"_qs);
    QCOMPARE(json[u"others"_qs].toArray().size(), 4);
    const auto page = ExtractCoordinates(QByteArray::fromStdString(Fetch(query)->body));
    QVERIFY(page);
    QVERIFY(json[u"viewport"_qs].toString().startsWith(u"viewport:{center:{lat:"_qs +
                                                       page->latitude.left(10)));
    QCOMPARE(json[u"place"_qs][u"lng"_qs].toDouble(), page->longitude.toDouble());
}

void MapServiceTest::unreachableGeocodersAreNamed() {
    // Nothing listens on port 1 of the loopback interface: every connection is refused, as
    // without a network.
    MapService offline(std::make_unique<GeoplateformeGeocoder>(
                           u"http://127.0.0.1:1/geocodage/search"_qs, kTestAgent, kTestLimits),
                       std::make_unique<NominatimGeocoder>(u"http://127.0.0.1:1/search"_qs,
                                                           kTestAgent, kTestLimits, kTestInterval));
    QVERIFY(offline.Start());
    httplib::Client client("127.0.0.1", offline.Port());
    client.set_url_encode(false);

    const auto address = client.Get("/maps?q=1+rue+X,+Paris,+FRANCE,+75001");
    QVERIFY(address);
    const QByteArray addressPage = QByteArray::fromStdString(address->body);
    QVERIFY(addressPage.contains(AbsenceText(Absence::Unreachable).toUtf8()));
    QVERIFY(!ExtractCoordinates(addressPage));

    // A coordinate pair needs no geocoder: the page gives the place, a link to it and a
    // notice for when the map cannot load.
    const auto pair = client.Get("/maps?q=48.8584%2C2.2945");
    QVERIFY(pair);
    const QByteArray pairPage = QByteArray::fromStdString(pair->body);
    QVERIFY(ExtractCoordinates(pairPage));
    QVERIFY(pairPage.contains("Latitude 48.8584000, longitude 2.2945000"));
    QVERIFY(pairPage.contains("href=\"https://www.openstreetmap.org/?mlat=48.8584000"));
    QVERIFY(pairPage.contains(u"La carte ne peut pas s'afficher"_qs.toUtf8()));
}

void MapServiceTest::certificateFailureIsNamed() {
    // A TLS server whose certificate no authority signed: what every https lookup meets with an
    // empty CA bundle.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString cert = dir.filePath(u"cert.pem"_qs);
    const QString key = dir.filePath(u"key.pem"_qs);
    QProcess openssl;
    openssl.start(u"openssl"_qs, {u"req"_qs, u"-x509"_qs, u"-newkey"_qs, u"rsa:2048"_qs,
                                  u"-nodes"_qs, u"-days"_qs, u"2"_qs, u"-subj"_qs,
                                  u"/CN=127.0.0.1"_qs, u"-keyout"_qs, key, u"-out"_qs, cert});
    QVERIFY(openssl.waitForFinished(30000));
    QCOMPARE(openssl.exitCode(), 0);
    httplib::SSLServer tls(cert.toUtf8().constData(), key.toUtf8().constData());
    QVERIFY(tls.is_valid());
    tls.Get("/search", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("[]", "application/json");
    });
    const int port = tls.bind_to_any_port("127.0.0.1");
    QVERIFY(port > 0);
    std::thread serving([&tls] { tls.listen_after_bind(); });
    const auto url = u"https://127.0.0.1:%1/search"_qs.arg(port);
    NominatimGeocoder geocoder(url, kTestAgent, kTestLimits, kTestInterval);
    const GeocodeResult result = geocoder.Locate(u"Storgata 1, Oslo, Norway"_qs);
    tls.stop();
    serving.join();
    QCOMPARE(result.outcome, GeocodeResult::Outcome::Certificates);
}

void MapServiceTest::disabledGeocodersAreNotAsked() {
    MapService worldOnly(
        nullptr, std::make_unique<NominatimGeocoder>(fake_->SearchUrl(Endpoint::Nominatim),
                                                     kTestAgent, kTestLimits, kTestInterval));
    QVERIFY(worldOnly.Start());
    httplib::Client client("127.0.0.1", worldOnly.Port());
    client.set_url_encode(false);
    const auto found = client.Get("/maps?q=Berlin,+10115");
    QVERIFY(found && ExtractCoordinates(QByteArray::fromStdString(found->body)));
    QCOMPARE(fake_->Hits(Endpoint::National), 0);
    QCOMPARE(fake_->Hits(Endpoint::Nominatim), 1);

    MapService none(nullptr, nullptr);
    QVERIFY(none.Start());
    httplib::Client noneClient("127.0.0.1", none.Port());
    noneClient.set_url_encode(false);
    const auto off = noneClient.Get("/maps?q=Berlin,+10115");
    QVERIFY(off);
    QVERIFY(
        QByteArray::fromStdString(off->body).contains(AbsenceText(Absence::NoGeocoder).toUtf8()));
}

void MapServiceTest::requestsAreOnesTheServicesAccept_data() {
    QTest::addColumn<QByteArray>("query");
    QTest::newRow("typed as usual") << QByteArray("1+rue+X,+Paris,+FRANCE,+75001");
    QTest::newRow("parenthesis first") << QByteArray("(B%E2t.+A)+3+rue+Y,+Lyon,+FRANCE,+69003");
    QTest::newRow("French quotes first")
        << QByteArray("%C2%AB+Les+Pins+%C2%BB,+Nice,+FRANCE,+06000");
    QTest::newRow("dash first") << QByteArray("-+3+rue+Y,+Lyon,+69003");
    QTest::newRow("apostrophe first") << QByteArray("'Les+Pins',+Nice,+06000");
    QTest::newRow("hash first") << QByteArray("%233+R%C3%A9sidence+Les+Pins,+Nice,+FRANCE,+06000");
    QTest::newRow("two characters for France") << QByteArray("%C2%AB,+Y,+FRANCE,+");
    QTest::newRow("country only") << QByteArray(",+,+FRANCE,+");
    QTest::newRow("two hundred and fifty characters")
        << QByteArray("Chemin+" + QByteArray("tres+long+").repeated(25) + ",+Paris,+FRANCE,+75001");
    QTest::newRow("elsewhere, punctuation first") << QByteArray("%C2%AB+Storgata+1+%C2%BB,+Oslo");
}

void MapServiceTest::requestsAreOnesTheServicesAccept() {
    QFETCH(QByteArray, query);
    const QByteArray agent = OpenDataUserAgent(u"ops@example.org"_qs);
    MapService service(std::make_unique<GeoplateformeGeocoder>(fake_->SearchUrl(Endpoint::National),
                                                               agent, kTestLimits),
                       std::make_unique<NominatimGeocoder>(fake_->SearchUrl(Endpoint::Nominatim),
                                                           agent, kTestLimits, kTestInterval));
    QVERIFY(service.Start());
    httplib::Client client("127.0.0.1", service.Port());
    client.set_url_encode(false);
    QVERIFY(client.Get(("/maps?q=" + query).toStdString()));

    QVERIFY2(fake_->Broken().isEmpty(), qPrintable(fake_->Broken().join(u'|')));
    QVERIFY(fake_->Hits(Endpoint::National) + fake_->Hits(Endpoint::Nominatim) > 0);
    QCOMPARE(fake_->LastUserAgent(), QByteArray("Tarnel/1.0.0 (+https://tarnel.example; "
                                                "ops@example.org)"));
    if (fake_->LastTarget().startsWith("/geocodage/")) {
        QVERIFY(fake_->LastTarget().contains("&autocomplete=0&"));
    }
}

void MapServiceTest::hangingUpstreamIsBounded() {
    const auto start = std::chrono::steady_clock::now();
    const auto result = Fetch("1+rue+Lente,+Paris,+FRANCE,+75001");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    QVERIFY(result);
    QCOMPARE(result->status, 200);
    QVERIFY(!ExtractCoordinates(QByteArray::fromStdString(result->body)));
    QVERIFY(elapsed >= kTestLimits.totalTimeout);
    QVERIFY(elapsed < kTestLimits.totalTimeout + 2s);
}

void MapServiceTest::sameAddressAskedOnce_data() {
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<int>("requests");
    QTest::newRow("same address") << QByteArray("1+rue+X,+Paris,+FRANCE,+75001")
                                  << QByteArray("1+rue+X,+Paris,+FRANCE,+75001") << 1;
    QTest::newRow("other case and blanks") << QByteArray("1+rue+X,+Paris,+FRANCE,+75001")
                                           << QByteArray("1+RUE++X,+paris,+France,+75001") << 1;
    QTest::newRow("same address elsewhere")
        << QByteArray("Unter+den+Linden+77,+Berlin,+Germany,+10117")
        << QByteArray("Unter+den+Linden+77,+Berlin,+Germany,+10117") << 1;
    QTest::newRow("no match is kept") << QByteArray("Nulle+part,+Atlantide,+FRANCE,+99999")
                                      << QByteArray("Nulle+part,+Atlantide,+FRANCE,+99999") << 2;
    // Nominatim failed twice; the French base's no-match was kept from the first time.
    QTest::newRow("failure is asked again")
        << QByteArray("Broken+Road,+Oslo,+Norway") << QByteArray("Broken+Road,+Oslo,+Norway") << 3;
    QTest::newRow("refusal is asked again")
        << QByteArray("Storgata+1,+Oslo,+Norway") << QByteArray("Storgata+1,+Oslo,+Norway") << 3;
    QTest::newRow("other addresses") << QByteArray("1+rue+X,+Paris,+FRANCE,+75001")
                                     << QByteArray("Rue+de+la+cit%E9,+PARIS,+FRANCE,+75004") << 2;
}

void MapServiceTest::sameAddressAskedOnce() {
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(int, requests);
    const auto firstPage = Fetch(first);
    const auto secondPage = Fetch(second);
    QVERIFY(firstPage && secondPage);
    QCOMPARE(ExtractCoordinates(QByteArray::fromStdString(secondPage->body)).has_value(),
             ExtractCoordinates(QByteArray::fromStdString(firstPage->body)).has_value());
    QCOMPARE(fake_->Hits(Endpoint::National) + fake_->Hits(Endpoint::Nominatim), requests);
}

void MapServiceTest::concurrentLookupsShareOneRequest() {
    constexpr int kVisitors = 4;
    std::vector<std::thread> visitors;
    std::vector<std::string> pages(kVisitors);
    for (int i = 0; i < kVisitors; ++i) {
        visitors.emplace_back([this, &pages, i] {
            if (const auto result = Fetch("2+rue+Y,+Lyon,+FRANCE,+69001")) {
                pages[static_cast<std::size_t>(i)] = result->body;
            }
        });
    }
    for (auto& visitor : visitors) {
        visitor.join();
    }
    for (const std::string& page : pages) {
        const auto extracted = ExtractCoordinates(QByteArray::fromStdString(page));
        QVERIFY(extracted);
        QCOMPARE(extracted->latitude, u"45.767600000"_qs);
    }
    QCOMPARE(fake_->Hits(Endpoint::National), 1);
}

void MapServiceTest::queryIsEscaped_data() {
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<QByteArray>("absent");
    QTest::newRow("script") << QByteArray("%3Cscript%3Ealert(1)%3C/script%3E")
                            << QByteArray("&lt;script&gt;alert(1)&lt;/script&gt;")
                            << QByteArray("<script>alert");
    QTest::newRow("raw script") << QByteArray("<script>alert(1)</script>")
                                << QByteArray("&lt;script&gt;alert(1)&lt;/script&gt;")
                                << QByteArray("</script>alert");
    QTest::newRow("quotes and ampersand")
        << QByteArray("A+%26+B+%22x%22+'y'") << QByteArray("A &amp; B &quot;x&quot; &#39;y&#39;")
        << QByteArray("\"x\"");
    QTest::newRow("braces") << QByteArray("%7Blat:1%7D") << QByteArray("&#123;lat:1&#125;")
                            << QByteArray("{lat:1}");
}

void MapServiceTest::queryIsEscaped() {
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, shown);
    QFETCH(QByteArray, absent);
    const auto result = Fetch(query);
    QVERIFY(result);
    const QByteArray page = QByteArray::fromStdString(result->body);
    QVERIFY(page.contains("<h1>" + shown + "</h1>"));
    QVERIFY(!page.contains(absent));
}

void MapServiceTest::refusals_data() {
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("host"); // %1 stands for the service's port; empty: its own
    QTest::addColumn<int>("status");
    QTest::newRow("page") << QByteArray("GET") << QByteArray("/maps?q=1%2C1") << QByteArray()
                          << 200;
    QTest::newRow("icon") << QByteArray("GET") << QByteArray("/favicon.ico") << QByteArray() << 204;
    QTest::newRow("root") << QByteArray("GET") << QByteArray("/") << QByteArray() << 404;
    QTest::newRow("other path") << QByteArray("GET") << QByteArray("/admin?q=1") << QByteArray()
                                << 404;
    QTest::newRow("below maps") << QByteArray("GET") << QByteArray("/maps/x?q=1") << QByteArray()
                                << 404;
    QTest::newRow("post") << QByteArray("POST") << QByteArray("/maps?q=1") << QByteArray() << 405;
    QTest::newRow("delete") << QByteArray("DELETE") << QByteArray("/maps?q=1") << QByteArray()
                            << 405;
    QTest::newRow("foreign host") << QByteArray("GET") << QByteArray("/maps?q=1%2C1")
                                  << QByteArray("evil.example") << 403;
    QTest::newRow("foreign host, own port")
        << QByteArray("GET") << QByteArray("/maps?q=1%2C1") << QByteArray("evil.example:%1") << 403;
    QTest::newRow("localhost name")
        << QByteArray("GET") << QByteArray("/maps?q=1%2C1") << QByteArray("localhost:%1") << 403;
    QTest::newRow("other port") << QByteArray("GET") << QByteArray("/maps?q=1%2C1")
                                << QByteArray("127.0.0.1:1") << 403;
    QTest::newRow("no port") << QByteArray("GET") << QByteArray("/maps?q=1%2C1")
                             << QByteArray("127.0.0.1") << 403;
    QTest::newRow("foreign host, other path")
        << QByteArray("GET") << QByteArray("/admin") << QByteArray("evil.example") << 403;
    // The map page's questions about a point, behind the same guard.
    QTest::newRow("point") << QByteArray("GET") << QByteArray("/point?lat=1&lon=2") << QByteArray()
                           << 200;
    QTest::newRow("address") << QByteArray("GET") << QByteArray("/adresse?lat=1&lon=2")
                             << QByteArray() << 200;
    QTest::newRow("beside the point")
        << QByteArray("GET") << QByteArray("/points?lat=1") << QByteArray() << 404;
    QTest::newRow("post to the point")
        << QByteArray("POST") << QByteArray("/point?lat=1&lon=2") << QByteArray() << 405;
    QTest::newRow("address, foreign host")
        << QByteArray("GET") << QByteArray("/adresse?lat=1&lon=2") << QByteArray("localhost:%1")
        << 403;
    // The page's question about another search, the same.
    QTest::newRow("post to the place")
        << QByteArray("POST") << QByteArray("/place?q=1%2C1") << QByteArray() << 405;
    QTest::newRow("place, foreign host")
        << QByteArray("GET") << QByteArray("/place?q=1%2C1") << QByteArray("localhost:%1") << 403;
}

void MapServiceTest::refusals() {
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, host);
    QFETCH(int, status);
    httplib::Client client("127.0.0.1", service_->Port());
    client.set_url_encode(false);
    httplib::Headers headers;
    if (!host.isEmpty()) {
        const QString value = QString::fromLatin1(host);
        headers.emplace(
            "Host", (value.contains(u"%1") ? value.arg(service_->Port()) : value).toStdString());
    }
    const std::string target = path.toStdString();
    const auto send = [&]() {
        if (method == "GET") {
            return client.Get(target, headers);
        }
        if (method == "POST") {
            return client.Post(target, headers, "x", "text/plain");
        }
        return client.Delete(target, headers);
    };
    const httplib::Result result = send();
    QVERIFY(result);
    QCOMPARE(result->status, status);
    const bool page = path.startsWith("/maps");
    QCOMPARE(QByteArray::fromStdString(result->body).contains("viewport:"), page && status == 200);
    if (!page && status == 200) {
        QCOMPARE(result->get_header_value("Content-Type"), "application/json; charset=utf-8");
    }
}

void MapServiceTest::upstreamRequestsFollowTheirFormats_data() {
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("target");
    QTest::newRow("national address base")
        << QByteArray("Rue+de+la+cit%E9,+PARIS,+FRANCE,+75004")
        << QByteArray("/geocodage/search?q=Rue%20de%20la%20cit%C3%A9%2C%20PARIS%2C%2075004"
                      "&autocomplete=0&limit=5");
    QTest::newRow("nominatim") << QByteArray("A+%26+B,+Oslo,+Norway")
                               << QByteArray("/search?format=jsonv2&addressdetails=1&limit=5"
                                             "&countrycodes=no&street=A%20%26%20B&city=Oslo");
}

void MapServiceTest::upstreamRequestsFollowTheirFormats() {
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, target);
    QVERIFY(Fetch(query));
    QCOMPARE(fake_->LastTarget(), target);
    QCOMPARE(fake_->LastUserAgent(), kTestAgent);
}

void MapServiceTest::nominatimRequestsAreSpaced() {
    constexpr auto kInterval = 500ms;
    NominatimGeocoder geocoder(fake_->SearchUrl(Endpoint::Nominatim), kTestAgent, kTestLimits,
                               kInterval);
    std::vector<std::thread> lookups;
    for (const QString& address : {u"a1"_qs, u"a2"_qs, u"a3"_qs}) {
        lookups.emplace_back([&geocoder, address] { geocoder.Locate(address); });
    }
    for (auto& lookup : lookups) {
        lookup.join();
    }
    const auto arrivals = fake_->Arrivals();
    QCOMPARE(arrivals.size(), 3);
    for (qsizetype i = 1; i < arrivals.size(); ++i) {
        // The fake notes arrival some time after the turn began, later still on a busy machine;
        // requests sent together would arrive within a few milliseconds of each other.
        QVERIFY(arrivals.at(i) - arrivals.at(i - 1) >= kInterval / 2);
    }
}

void MapServiceTest::openDataAgentNamesTheProgram_data() {
    QTest::addColumn<QString>("contact");
    QTest::addColumn<QByteArray>("agent");
    QTest::newRow("no contact") << QString()
                                << QByteArray("Tarnel/1.0.0 (+https://tarnel.example)");
    QTest::newRow("mail address") << u" ops@example.org "_qs
                                  << QByteArray("Tarnel/1.0.0 (+https://tarnel.example; "
                                                "ops@example.org)");
    QTest::newRow("header injection") << u"a@b.org\r\nX-Forged: 1"_qs
                                      << QByteArray("Tarnel/1.0.0 (+https://tarnel.example; "
                                                    "a@b.orgX-Forged: 1)");
    QTest::newRow("parentheses and accents")
        << u"Zoé (mairie)"_qs << QByteArray("Tarnel/1.0.0 (+https://tarnel.example; Zo mairie)");
}

void MapServiceTest::openDataAgentNamesTheProgram() {
    QFETCH(QString, contact);
    QFETCH(QByteArray, agent);
    QCOMPARE(OpenDataUserAgent(contact), agent);
}

void MapServiceTest::lifecycle() {
    const quint16 port = service_->Port();
    QVERIFY(port != 0);
    QCOMPARE(service_->BaseUrl(), u"http://127.0.0.1:%1/maps?q="_qs.arg(port));
    QVERIFY(service_->Start());
    QCOMPARE(service_->Port(), port);

    MapService second(nullptr, nullptr);
    QVERIFY(second.Start());
    QVERIFY(second.Port() != port);

    service_->Stop();
    QCOMPARE(service_->Port(), quint16{0});
    QVERIFY(service_->BaseUrl().isEmpty());
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(1, 0);
    QVERIFY(!client.Get("/maps?q=1%2C1"));
}

void MapServiceTest::crossSiteRequestsAreRefused_data() {
    QTest::addColumn<QByteArray>("origin");    // %1 stands for the service's port; empty: none
    QTest::addColumn<QByteArray>("fetchSite"); // Sec-Fetch-Site; empty: none
    QTest::addColumn<int>("status");
    QTest::newRow("another site") << QByteArray("https://evil.example") << QByteArray() << 403;
    QTest::newRow("another site, fetch metadata")
        << QByteArray("https://evil.example") << QByteArray("cross-site") << 403;
    QTest::newRow("opaque origin") << QByteArray("null") << QByteArray() << 403;
    QTest::newRow("another port of this host")
        << QByteArray("http://127.0.0.1:1") << QByteArray("same-site") << 403;
    QTest::newRow("own host, other scheme")
        << QByteArray("https://127.0.0.1:%1") << QByteArray() << 403;
    QTest::newRow("cross-site navigation") << QByteArray() << QByteArray("cross-site") << 403;
    QTest::newRow("same-site navigation") << QByteArray() << QByteArray("same-site") << 403;
    QTest::newRow("program's fetch, no browser headers") << QByteArray() << QByteArray() << 200;
    QTest::newRow("map view's navigation") << QByteArray() << QByteArray("none") << 200;
    QTest::newRow("the page's own request")
        << QByteArray("http://127.0.0.1:%1") << QByteArray("same-origin") << 200;
}

void MapServiceTest::crossSiteRequestsAreRefused() {
    QFETCH(QByteArray, origin);
    QFETCH(QByteArray, fetchSite);
    QFETCH(int, status);
    httplib::Client client("127.0.0.1", service_->Port());
    client.set_url_encode(false);
    httplib::Headers headers;
    if (!origin.isEmpty()) {
        headers.emplace("Origin", QString::fromLatin1(origin).arg(service_->Port()).toStdString());
    }
    if (!fetchSite.isEmpty()) {
        headers.emplace("Sec-Fetch-Site", fetchSite.toStdString());
    }
    const auto start = std::chrono::steady_clock::now();
    const auto result = client.Get("/maps?q=2+rue+Y,+Lyon,+FRANCE,+69001", headers);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    QVERIFY(result);
    QCOMPARE(result->status, status);
    // A refused request tells nothing of the address, not even through its timing.
    QCOMPARE(fake_->Hits(Endpoint::National), status == 200 ? 1 : 0);
    QCOMPARE(ExtractCoordinates(QByteArray::fromStdString(result->body)).has_value(),
             status == 200);
    if (status != 200) {
        QVERIFY(elapsed < 200ms);
    }
}

void MapServiceTest::ownRequestIsAnsweredBesideSlowConnections_data() {
    QTest::addColumn<QByteArray>("sent"); // what each of the other connections sends
    QTest::newRow("idle") << QByteArray();
    QTest::newRow("first header line only") << QByteArray("GET /maps?q=1%2C1 HTTP/1.1\r\n");
    QTest::newRow("a few bytes") << QByteArray("GE");
}

void MapServiceTest::ownRequestIsAnsweredBesideSlowConnections() {
    QFETCH(QByteArray, sent);
    constexpr int kOthers = 50;
    std::vector<std::unique_ptr<RawConnection>> others;
    for (int i = 0; i < kOthers; ++i) {
        others.push_back(std::make_unique<RawConnection>(service_->Port()));
        QVERIFY(others.back()->Connected());
        if (!sent.isEmpty()) {
            QVERIFY(others.back()->Send(sent));
        }
    }
    // The others keep trickling one more header line a second, as a slow client would.
    std::atomic<bool> done = false;
    std::thread trickle([&others, &done, &sent] {
        for (int tick = 1; tick <= 60 && !done && !sent.isEmpty(); ++tick) {
            std::this_thread::sleep_for(50ms);
            if (tick % 20 == 0) {
                for (const auto& other : others) {
                    other->Send("X-Slow: 1\r\n");
                }
            }
        }
    });
    std::this_thread::sleep_for(200ms);
    qint64 slowest = 0;
    for (const QByteArray& query :
         {QByteArray("48.8584%2C2.2945"), QByteArray("1+rue+X,+Paris,+FRANCE,+75001")}) {
        const auto start = std::chrono::steady_clock::now();
        const auto result = Fetch(query);
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        slowest = std::max<qint64>(slowest, elapsed.count());
        QVERIFY(result);
        QCOMPARE(result->status, 200);
        QVERIFY(ExtractCoordinates(QByteArray::fromStdString(result->body)));
    }
    done = true;
    trickle.join();
    qInfo("the program's requests beside %d other connections: slowest answered in %lld ms",
          kOthers, slowest);
    QVERIFY(slowest < 1000);
    // The others are not held for ever: the idle limit and the header deadline close them.
    QVERIFY(
        others.front()->ClosedWithin(GuardedServer::kHeaderDeadline + GuardedServer::kIdleLimit));
}

void MapServiceTest::stopIsPrompt_data() {
    QTest::addColumn<QByteArrayList>("queries"); // sent at once, each on its own connection
    QTest::addColumn<QByteArray>("raw");         // sent on a raw connection, left open
    QTest::newRow("upstream lookup held")
        << QByteArrayList{"1+rue+Lente,+Paris,+FRANCE,+75001"} << QByteArray();
    QTest::newRow("waiting for a Nominatim turn")
        << QByteArrayList{"abc%2Cdef", "ghi%2Cjkl"} << QByteArray();
    QTest::newRow("idle connection between requests")
        << QByteArrayList{}
        << QByteArray("GET /maps?q=1%2C1 HTTP/1.1\r\nHost: 127.0.0.1:%1\r\n\r\n");
    QTest::newRow("header sent slowly")
        << QByteArrayList{} << QByteArray("GET /maps?q=1%2C1 HTTP/1.1\r\n");
}

void MapServiceTest::stopIsPrompt() {
    QFETCH(QByteArrayList, queries);
    QFETCH(QByteArray, raw);
    auto service = std::make_unique<MapService>(
        std::make_unique<GeoplateformeGeocoder>(fake_->SearchUrl(Endpoint::National), kTestAgent,
                                                kLongLimits),
        std::make_unique<NominatimGeocoder>(fake_->SearchUrl(Endpoint::Nominatim), kTestAgent,
                                            kLongLimits, kLongInterval));
    QVERIFY(service->Start());
    const quint16 port = service->Port();
    std::vector<std::thread> clients;
    for (const QByteArray& query : queries) {
        clients.emplace_back([port, query] {
            httplib::Client client("127.0.0.1", port);
            client.set_url_encode(false);
            client.set_read_timeout(10, 0);
            client.Get(("/maps?q=" + query).toStdString());
        });
        std::this_thread::sleep_for(50ms); // in this order
    }
    RawConnection connection(port);
    QVERIFY(connection.Connected());
    if (!raw.isEmpty()) {
        QVERIFY(connection.Send(QString::fromLatin1(raw).arg(port).toLatin1()));
    }
    std::this_thread::sleep_for(300ms);

    const auto start = std::chrono::steady_clock::now();
    service.reset();
    const auto stopped = std::chrono::steady_clock::now() - start;
    for (auto& client : clients) {
        client.join();
    }
    const auto answered = std::chrono::steady_clock::now() - start;
    qInfo("stopped in %lld ms, every client answered in %lld ms",
          static_cast<long long>(
              std::chrono::duration_cast<std::chrono::milliseconds>(stopped).count()),
          static_cast<long long>(
              std::chrono::duration_cast<std::chrono::milliseconds>(answered).count()));
    QVERIFY(stopped < kPromptEnd);
    QVERIFY(answered < kPromptEnd);
    fake_->Release();
}

void MapServiceTest::stopBeforeTheLoopRunsIsHeard() {
    // Stop between binding and the accept loop's start: the loop must end as soon as it runs.
    GuardedServer server;
    QVERIFY(server.bind_to_any_port("127.0.0.1") > 0);
    server.StopServing();
    auto serving = std::async(std::launch::async, [&server] { server.listen_after_bind(); });
    const bool ended = serving.wait_for(kPromptEnd) == std::future_status::ready;
    if (!ended) {
        server.stop(); // lets the test end after the failure
    }
    QVERIFY(ended);
}

void MapServiceTest::pageFiles_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("acceptEncoding");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<QString>("sameAs"); // the file whose bytes come; empty for a 404
    const auto row = [](const char* name, const char* path, const char* accept,
                        const char* encoding, const QString& sameAs) {
        QTest::newRow(name) << QByteArray(path) << QByteArray(accept) << QByteArray(encoding)
                            << sameAs;
    };
    const QString leaflet = u"/usr/share/javascript/leaflet/"_qs;
    row("page script", "/page/map.js", "gzip", "", u":/page/map.js"_qs);
    row("Leaflet, Brotli preferred", "/leaflet/leaflet.min.js?v=1", "gzip, deflate, br", "br",
        leaflet + u"leaflet.min.js.brotli"_qs);
    row("Leaflet, Brotli refused, no gzip", "/leaflet/leaflet.min.js", "br;q=0, identity", "",
        leaflet + u"leaflet.min.js"_qs);
    row("picture", "/leaflet/images/layers.png", "gzip", "", leaflet + u"images/layers.png"_qs);
    row("source map", "/leaflet/leaflet.min.js.map", "", "", {});
    row("climbing out", "/leaflet/..%2F..%2F..%2Fetc%2Fpasswd", "", "", {});
    row("page skeleton", "/page/map.html", "", "", {});
}

void MapServiceTest::pageFiles() {
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, acceptEncoding);
    QFETCH(QByteArray, encoding);
    QFETCH(QString, sameAs);
    httplib::Client client("127.0.0.1", service_->Port());
    client.set_url_encode(false);
    client.set_decompress(false);
    const auto result =
        client.Get(path.toStdString(), {{"Accept-Encoding", acceptEncoding.toStdString()}});
    QVERIFY(result);
    QCOMPARE(result->status, sameAs.isEmpty() ? 404 : 200);
    if (sameAs.isEmpty()) {
        return;
    }
    QCOMPARE(result->get_header_value("Content-Type"),
             path.endsWith(".png") ? "image/png" : "text/javascript; charset=utf-8");
    QCOMPARE(QByteArray::fromStdString(result->get_header_value("Content-Encoding")), encoding);
    QCOMPARE(result->get_header_value_count("Content-Encoding"), encoding.isEmpty() ? 0u : 1u);
    QFile file(sameAs);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(QByteArray::fromStdString(result->body) == file.readAll());
    const std::string cache = result->get_header_value("Cache-Control");
    QCOMPARE(cache,
             path.startsWith("/leaflet/") ? "public, max-age=31536000, immutable" : "no-cache");
    // The browser's copy is confirmed, not sent again.
    const auto again =
        client.Get(path.toStdString(), {{"Accept-Encoding", acceptEncoding.toStdString()},
                                        {"If-None-Match", result->get_header_value("ETag")}});
    QVERIFY(again);
    QCOMPARE(again->status, 304);
}

void MapServiceTest::pageHeadersAndData() {
    const TileUrls urls{.osm = u"http://127.0.0.1:9/{z}/{x}/{y}.png"_qs, .ortho = QString()};
    MapService service(nullptr, nullptr, TileLayersOf(urls));
    QVERIFY(service.Start());
    httplib::Client client("127.0.0.1", service.Port());
    client.set_url_encode(false);
    const auto result = client.Get("/maps?q=48.8584%2C2.2945");
    QVERIFY(result);
    QCOMPARE(
        result->get_header_value("Content-Security-Policy"),
        std::string("default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data: "
                    "http://127.0.0.1:9 https://data.geopf.fr; connect-src 'self'; "
                    "base-uri 'none'; form-action 'none'; frame-ancestors 'none'"));
    QCOMPARE(result->get_header_value("Referrer-Policy"),
             std::string("strict-origin-when-cross-origin"));
    const QByteArray page = QByteArray::fromStdString(result->body);
    // The arrangement still comes first in the head.
    QVERIFY(
        page.contains("<head>\n<meta charset=\"utf-8\">\n<!-- viewport:{center:{lat:48.8584000,"));
    const qsizetype start = page.indexOf("id=\"tarnel-place\">") + 18;
    const QJsonObject data =
        QJsonDocument::fromJson(page.mid(start, page.indexOf("</script>", start) - start)).object();
    QCOMPARE(data.value(u"place"_qs).toObject().value(u"lat"_qs).toDouble(), 48.8584);
    const QJsonArray tiles = data.value(u"tiles"_qs).toArray();
    QCOMPARE(tiles.size(), 2);
    QCOMPARE(tiles.at(0).toObject().value(u"url"_qs).toString(),
             u"http://127.0.0.1:9/{z}/{x}/{y}.png"_qs);
    QCOMPARE(tiles.at(1).toObject().value(u"id"_qs).toString(), u"plan"_qs);
}

QTEST_GUILESS_MAIN(MapServiceTest)
#include "MapServiceTest.moc"
