#include "mapservice/MapService.h"
#include "FakeGeocoderServer.h"
#include "core/Geocoding.h"
#include "mapservice/GeoplateformeGeocoder.h"
#include "mapservice/GuardedServer.h"
#include "mapservice/NominatimGeocoder.h"

#include <httplib.h>

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

namespace {

const QByteArray TestAgent = "TarnelTest/1.0 (+https://tarnel.example)";
constexpr HttpLimits TestLimits{1000ms, 1500ms, 256 * 1024};
constexpr auto TestInterval = 20ms;
// Limits long enough that a test can tell waiting them out from a prompt end.
constexpr HttpLimits LongLimits{1000ms, 8000ms, 256 * 1024};
constexpr auto LongInterval = 4000ms;
// What the program promises: it ends within this of its main window closing.
constexpr auto PromptEnd = 1000ms;

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
class TestMapService : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void pages_data();
    void pages();
    void hangingUpstreamIsBounded();
    void sameAddressAskedOnce_data();
    void sameAddressAskedOnce();
    void concurrentLookupsShareOneRequest();
    void queryIsEscaped_data();
    void queryIsEscaped();
    void refusals_data();
    void refusals();
    void upstreamRequestsFollowTheirFormats_data();
    void upstreamRequestsFollowTheirFormats();
    void nominatimRequestsAreSpaced();
    void openDataAgentNamesTheProgram();
    void lifecycle();
    void crossSiteRequestsAreRefused_data();
    void crossSiteRequestsAreRefused();
    void ownRequestIsAnsweredBesideSlowConnections_data();
    void ownRequestIsAnsweredBesideSlowConnections();
    void stopIsPrompt_data();
    void stopIsPrompt();
    void stopBeforeTheLoopRunsIsHeard();

private:
    httplib::Result Fetch(const QByteArray& rawQuery) const;

    std::unique_ptr<FakeGeocoderServer> fake_;
    std::unique_ptr<MapService> service_;
};

void TestMapService::initTestCase() {
    fake_ = std::make_unique<FakeGeocoderServer>();
    const auto national = Endpoint::National;
    const auto nominatim = Endpoint::Nominatim;
    fake_->Set(national, u"1 rue X, Paris, 75001"_qs, Behaviour::Place, 48.8625, 2.3417);
    fake_->Set(national, u"1 RUE X, paris, 75001"_qs, Behaviour::Place, 48.8625, 2.3417);
    fake_->Set(national, u"Rue de la cité, PARIS, 75004"_qs, Behaviour::Place, 48.8536, 2.347);
    fake_->Set(national, u"2 rue Y, Lyon, 69001"_qs, Behaviour::Place, 45.7676, 4.8344, 300ms);
    fake_->Set(national, u"1 rue Lente, Paris, 75001"_qs, Behaviour::Hang);
    fake_->Set(national, u"Grosse Rue, Paris, 75001"_qs, Behaviour::Huge, 48.86, 2.34);
    fake_->Set(nominatim, u"Unter den Linden 77, Berlin, Germany, 10117"_qs, Behaviour::Place,
               52.5162746, 13.3777041);
    fake_->Set(nominatim, u"Berlin, 10115"_qs, Behaviour::Place, 52.5323, 13.3846);
    fake_->Set(nominatim, u"Garbage Street, Nowhere"_qs, Behaviour::Garbage);
    fake_->Set(nominatim, u"Broken Road, Oslo, Norway"_qs, Behaviour::ServerError);
}

void TestMapService::init() {
    fake_->ClearCounts();
    service_ = std::make_unique<MapService>(
        std::make_unique<GeoplateformeGeocoder>(fake_->SearchUrl(Endpoint::National), TestAgent,
                                                TestLimits),
        std::make_unique<NominatimGeocoder>(fake_->SearchUrl(Endpoint::Nominatim), TestAgent,
                                            TestLimits, TestInterval));
    QVERIFY(service_->Start());
}

void TestMapService::cleanup() {
    service_.reset();
}

httplib::Result TestMapService::Fetch(const QByteArray& rawQuery) const {
    httplib::Client client("127.0.0.1", service_->port());
    client.set_url_encode(false); // the query goes out exactly as the program writes it
    client.set_read_timeout(10, 0);
    return client.Get(("/maps?q=" + rawQuery).toStdString());
}

void TestMapService::pages_data() {
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QString>("latitude"); // as the extraction cuts it; empty: nothing found
    QTest::addColumn<QString>("longitude");
    QTest::addColumn<int>("nationalHits");
    QTest::addColumn<int>("nominatimHits");

    QTest::newRow("decimal pair") << QByteArray("48.8584%2C2.2945") << u"48.858400000"_qs
                                  << u"2.2945000000"_qs << 0 << 0;
    QTest::newRow("start-up plain comma")
        << QByteArray("48.8584,2.2945") << u"48.858400000"_qs << u"2.2945000000"_qs << 0 << 0;
    QTest::newRow("south east") << QByteArray("-33.8568%2C151.2153") << u"-33.85680000"_qs
                                << u"151.21530000"_qs << 0 << 0;
    QTest::newRow("decimal commas")
        << QByteArray("48,8584%2C2,2945") << u"48.858400000"_qs << u"2.2945000000"_qs << 0 << 0;
    QTest::newRow("dms, browser escapes") << QByteArray("48%C2%B051'23%22%2C2%C2%B017'40%22")
                                          << u"48.856388900"_qs << u"2.2944444000"_qs << 0 << 0;
    QTest::newRow("dms, windows-1252 escapes")
        << QByteArray("48%B051%2723%22%2C2%B017%2740%22") << u"48.856388900"_qs
        << u"2.2944444000"_qs << 0 << 0;
    QTest::newRow("dms south west") << QByteArray("-33%C2%B051'24%22%2C-70%C2%B038'59%22")
                                    << u"-33.85666670"_qs << u"-70.64972220"_qs << 0 << 0;
    QTest::newRow("longest values") << QByteArray("-89.9999999%2C-179.9999999")
                                    << u"-89.99999990"_qs << u"-179.9999999"_qs << 0 << 0;
    QTest::newRow("shortest values")
        << QByteArray("0.0001%2C0.0001") << u"0.0001000000"_qs << u"0.0001000000"_qs << 0 << 0;
    QTest::newRow("address in France") << QByteArray("1+rue+X,+Paris,+FRANCE,+75001")
                                       << u"48.862500000"_qs << u"2.3417000000"_qs << 1 << 0;
    QTest::newRow("address window, accent") << QByteArray("Rue+de+la+cit%E9,+PARIS,+FRANCE,+75004")
                                            << u"48.853600000"_qs << u"2.3470000000"_qs << 1 << 0;
    QTest::newRow("main window, no country") << QByteArray("1%20rue%20X,+Paris,+75001")
                                             << u"48.862500000"_qs << u"2.3417000000"_qs << 1 << 0;
    QTest::newRow("address elsewhere") << QByteArray("Unter+den+Linden+77,+Berlin,+Germany,+10117")
                                       << u"52.516274600"_qs << u"13.377704100"_qs << 0 << 1;
    QTest::newRow("likely France, found elsewhere")
        << QByteArray("Berlin,+10115") << u"52.532300000"_qs << u"13.384600000"_qs << 1 << 1;
    QTest::newRow("not found in France")
        << QByteArray("Nulle+part,+Atlantide,+FRANCE,+99999") << QString() << QString() << 1 << 0;
    QTest::newRow("not found elsewhere")
        << QByteArray("abc%2Cdef") << QString() << QString() << 0 << 1;
    QTest::newRow("garbage answer")
        << QByteArray("Garbage+Street,+Nowhere") << QString() << QString() << 0 << 1;
    QTest::newRow("upstream error")
        << QByteArray("Broken+Road,+Oslo,+Norway") << QString() << QString() << 0 << 1;
    QTest::newRow("oversized answer")
        << QByteArray("Grosse+Rue,+Paris,+FRANCE,+75001") << QString() << QString() << 1 << 0;
    QTest::newRow("pair off Earth") << QByteArray("91%2C0") << QString() << QString() << 0 << 0;
    QTest::newRow("empty query") << QByteArray() << QString() << QString() << 0 << 0;
    QTest::newRow("forged arrangement")
        << QByteArray("x:%7Blat:12.3456789,lng:2.3456789%7D,+Nowhere") << QString() << QString()
        << 0 << 1;
}

void TestMapService::pages() {
    QFETCH(QByteArray, query);
    QFETCH(QString, latitude);
    QFETCH(QString, longitude);
    QFETCH(int, nationalHits);
    QFETCH(int, nominatimHits);

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
        QVERIFY(page.contains("<iframe"));
        QVERIFY(page.contains("https://www.openstreetmap.org/export/embed.html?bbox="));
        QVERIFY(page.contains("&amp;marker="));
        QVERIFY(page.contains(u"© contributeurs OpenStreetMap"_qs.toUtf8()));
    } else {
        QVERIFY(!page.contains("<iframe"));
        // Before any search the page invites one; afterwards it says nothing was found.
        const QString sentence =
            query.isEmpty() ? u"Saisissez une adresse ou des coordonnées"_qs
                            : u"Aucun lieu correspondant à cette recherche n'a été trouvé."_qs;
        QVERIFY(page.contains(sentence.toUtf8()));
    }

    QCOMPARE(fake_->Hits(Endpoint::National), nationalHits);
    QCOMPARE(fake_->Hits(Endpoint::Nominatim), nominatimHits);
}

void TestMapService::hangingUpstreamIsBounded() {
    const auto start = std::chrono::steady_clock::now();
    const auto result = Fetch("1+rue+Lente,+Paris,+FRANCE,+75001");
    const auto elapsed = std::chrono::steady_clock::now() - start;
    QVERIFY(result);
    QCOMPARE(result->status, 200);
    QVERIFY(!ExtractCoordinates(QByteArray::fromStdString(result->body)));
    QVERIFY(elapsed >= TestLimits.totalTimeout);
    QVERIFY(elapsed < TestLimits.totalTimeout + 2s);
}

void TestMapService::sameAddressAskedOnce_data() {
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
                                      << QByteArray("Nulle+part,+Atlantide,+FRANCE,+99999") << 1;
    QTest::newRow("failure is asked again")
        << QByteArray("Broken+Road,+Oslo,+Norway") << QByteArray("Broken+Road,+Oslo,+Norway") << 2;
    QTest::newRow("other addresses") << QByteArray("1+rue+X,+Paris,+FRANCE,+75001")
                                     << QByteArray("Rue+de+la+cit%E9,+PARIS,+FRANCE,+75004") << 2;
}

void TestMapService::sameAddressAskedOnce() {
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

void TestMapService::concurrentLookupsShareOneRequest() {
    constexpr int Visitors = 4;
    std::vector<std::thread> visitors;
    std::vector<std::string> pages(Visitors);
    for (int i = 0; i < Visitors; ++i) {
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

void TestMapService::queryIsEscaped_data() {
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<QByteArray>("absent");
    QTest::newRow("script") << QByteArray("%3Cscript%3Ealert(1)%3C/script%3E")
                            << QByteArray("&lt;script&gt;alert(1)&lt;/script&gt;")
                            << QByteArray("<script");
    QTest::newRow("raw script") << QByteArray("<script>alert(1)</script>")
                                << QByteArray("&lt;script&gt;alert(1)&lt;/script&gt;")
                                << QByteArray("<script");
    QTest::newRow("quotes and ampersand")
        << QByteArray("A+%26+B+%22x%22+'y'") << QByteArray("A &amp; B &quot;x&quot; &#39;y&#39;")
        << QByteArray("\"x\"");
    QTest::newRow("braces") << QByteArray("%7Blat:1%7D") << QByteArray("&#123;lat:1&#125;")
                            << QByteArray("{lat:1}");
}

void TestMapService::queryIsEscaped() {
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, shown);
    QFETCH(QByteArray, absent);
    const auto result = Fetch(query);
    QVERIFY(result);
    const QByteArray page = QByteArray::fromStdString(result->body);
    QVERIFY(page.contains("<h1>" + shown + "</h1>"));
    QVERIFY(!page.contains(absent));
}

void TestMapService::refusals_data() {
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
}

void TestMapService::refusals() {
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, host);
    QFETCH(int, status);
    httplib::Client client("127.0.0.1", service_->port());
    client.set_url_encode(false);
    httplib::Headers headers;
    if (!host.isEmpty()) {
        const QString value = QString::fromLatin1(host);
        headers.emplace(
            "Host", (value.contains(u"%1") ? value.arg(service_->port()) : value).toStdString());
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
    QCOMPARE(QByteArray::fromStdString(result->body).contains("viewport:"), status == 200);
}

void TestMapService::upstreamRequestsFollowTheirFormats_data() {
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QByteArray>("target");
    QTest::newRow("national address base")
        << QByteArray("Rue+de+la+cit%E9,+PARIS,+FRANCE,+75004")
        << QByteArray("/geocodage/search?q=Rue%20de%20la%20cit%C3%A9%2C%20PARIS%2C%2075004"
                      "&limit=1");
    QTest::newRow("nominatim") << QByteArray("A+%26+B,+Oslo,+Norway")
                               << QByteArray("/search?format=jsonv2&limit=1&q=A%20%26%20B%2C%20"
                                             "Oslo%2C%20Norway");
}

void TestMapService::upstreamRequestsFollowTheirFormats() {
    QFETCH(QByteArray, query);
    QFETCH(QByteArray, target);
    QVERIFY(Fetch(query));
    QCOMPARE(fake_->LastTarget(), target);
    QCOMPARE(fake_->LastUserAgent(), TestAgent);
}

void TestMapService::nominatimRequestsAreSpaced() {
    constexpr auto Interval = 300ms;
    NominatimGeocoder geocoder(fake_->SearchUrl(Endpoint::Nominatim), TestAgent, TestLimits,
                               Interval);
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
        // The fake notes arrival a little after the turn began; allow for that jitter.
        QVERIFY(arrivals.at(i) - arrivals.at(i - 1) >= Interval - 20ms);
    }
}

void TestMapService::openDataAgentNamesTheProgram() {
    QCOMPARE(OpenDataUserAgent(), QByteArray("Tarnel/1.0.0 (+https://tarnel.example)"));
}

void TestMapService::lifecycle() {
    const quint16 port = service_->port();
    QVERIFY(port != 0);
    QCOMPARE(service_->BaseUrl(), u"http://127.0.0.1:%1/maps?q="_qs.arg(port));
    QVERIFY(service_->Start());
    QCOMPARE(service_->port(), port);

    MapService second(nullptr, nullptr);
    QVERIFY(second.Start());
    QVERIFY(second.port() != port);

    service_->Stop();
    QCOMPARE(service_->port(), quint16{0});
    QVERIFY(service_->BaseUrl().isEmpty());
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(1, 0);
    QVERIFY(!client.Get("/maps?q=1%2C1"));
}

void TestMapService::crossSiteRequestsAreRefused_data() {
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

void TestMapService::crossSiteRequestsAreRefused() {
    QFETCH(QByteArray, origin);
    QFETCH(QByteArray, fetchSite);
    QFETCH(int, status);
    httplib::Client client("127.0.0.1", service_->port());
    client.set_url_encode(false);
    httplib::Headers headers;
    if (!origin.isEmpty()) {
        headers.emplace("Origin", QString::fromLatin1(origin).arg(service_->port()).toStdString());
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

void TestMapService::ownRequestIsAnsweredBesideSlowConnections_data() {
    QTest::addColumn<QByteArray>("sent"); // what each of the other connections sends
    QTest::newRow("idle") << QByteArray();
    QTest::newRow("first header line only") << QByteArray("GET /maps?q=1%2C1 HTTP/1.1\r\n");
    QTest::newRow("a few bytes") << QByteArray("GE");
}

void TestMapService::ownRequestIsAnsweredBesideSlowConnections() {
    QFETCH(QByteArray, sent);
    constexpr int Others = 50;
    std::vector<std::unique_ptr<RawConnection>> others;
    for (int i = 0; i < Others; ++i) {
        others.push_back(std::make_unique<RawConnection>(service_->port()));
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
    qInfo("the program's requests beside %d other connections: slowest answered in %lld ms", Others,
          slowest);
    QVERIFY(slowest < 1000);
    // The others are not held for ever: the idle limit and the header deadline close them.
    QVERIFY(others.front()->ClosedWithin(GuardedServer::HeaderDeadline + GuardedServer::IdleLimit));
}

void TestMapService::stopIsPrompt_data() {
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

void TestMapService::stopIsPrompt() {
    QFETCH(QByteArrayList, queries);
    QFETCH(QByteArray, raw);
    auto service = std::make_unique<MapService>(
        std::make_unique<GeoplateformeGeocoder>(fake_->SearchUrl(Endpoint::National), TestAgent,
                                                LongLimits),
        std::make_unique<NominatimGeocoder>(fake_->SearchUrl(Endpoint::Nominatim), TestAgent,
                                            LongLimits, LongInterval));
    QVERIFY(service->Start());
    const quint16 port = service->port();
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
    QVERIFY(stopped < PromptEnd);
    QVERIFY(answered < PromptEnd);
    fake_->Release();
}

void TestMapService::stopBeforeTheLoopRunsIsHeard() {
    // Stop between binding and the accept loop's start: the loop must end as soon as it runs.
    GuardedServer server;
    QVERIFY(server.bind_to_any_port("127.0.0.1") > 0);
    server.StopServing();
    auto serving = std::async(std::launch::async, [&server] { server.listen_after_bind(); });
    const bool ended = serving.wait_for(PromptEnd) == std::future_status::ready;
    if (!ended) {
        server.stop(); // lets the test end after the failure
    }
    QVERIFY(ended);
}

QTEST_GUILESS_MAIN(TestMapService)
#include "MapServiceTest.moc"
