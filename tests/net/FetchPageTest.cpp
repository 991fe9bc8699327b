#include "net/FetchPage.h"
#include "tests/support/LoopbackServer.h"

#include <QElapsedTimer>
#include <QTest>

#include <arpa/inet.h>
#include <future>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;
using tarnel::FetchLimits;
using tarnel::FetchPage;
using tarnel::FetchPageBytes;
using tarnel::testing::LoopbackServer;

namespace {

// A socket listening on a free loopback port that never accepts: the kernel completes the
// connection, the request goes out, and no answer ever comes.
class SilentListener {
public:
    SilentListener()
        : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::listen(fd_, 4) == 0 &&
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }
    ~SilentListener() { Close(); }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    int Port() const { return port_; }
    void Close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

private:
    int fd_;
    int port_ = -1;
};

// A loopback URL that refuses connections: the port was free a moment ago.
QString ClosedPortUrl() {
    SilentListener listener;
    const int port = listener.Port();
    listener.Close();
    return QStringLiteral("http://127.0.0.1:%1/").arg(port);
}

QByteArray Pattern(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>('a' + i % 26);
    }
    return bytes;
}

// Sends `chunks` as chunked transfer coding, one sink write each.
void ServeChunks(httplib::Response& response, const QList<QByteArray>& chunks) {
    response.set_chunked_content_provider("text/html", [chunks](size_t, httplib::DataSink& sink) {
        for (const QByteArray& chunk : chunks) {
            sink.write(chunk.constData(), static_cast<size_t>(chunk.size()));
        }
        sink.done();
        return true;
    });
}

// Sets (or, given an empty value, removes) an environment variable until the test row ends.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const QByteArray& value)
        : name_(name)
        , old_(qgetenv(name))
        , hadOld_(qEnvironmentVariableIsSet(name)) {
        if (value.isEmpty()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    }
    ~EnvironmentOverride() {
        if (hadOld_) {
            qputenv(name_, old_);
        } else {
            qunsetenv(name_);
        }
    }
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    const char* name_;
    QByteArray old_;
    bool hadOld_;
};

const QByteArrayList kSocketPseudoHeaders = {"LOCAL_ADDR", "LOCAL_PORT", "REMOTE_ADDR",
                                             "REMOTE_PORT"};

FetchLimits ShortStall() {
    FetchLimits limits;
    limits.stallTimeout = 500ms;
    return limits;
}

} // namespace

class FetchPageTest : public QObject {
    Q_OBJECT

private slots:
    void bodies_data();
    void bodies();
    void requestHeaders_data();
    void requestHeaders();
    void requestTarget_data();
    void requestTarget();
    void nothingFetched_data();
    void nothingFetched();
    void redirects_data();
    void redirects();
    void redirectLoop();
    void bodyBeyondCap_data();
    void bodyBeyondCap();
    void stalledServer_data();
    void stalledServer();
    void slowButSteadyServer();
    void tricklingServer();
    void droppedConnection_data();
    void droppedConnection();
    void silentServer();
    void concurrentFetches();
};

void FetchPageTest::bodies_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QString>("text");

    const QByteArray full = Pattern(8192);
    const QByteArray first(1000, 'a');
    const QByteArray second(500, 'b');
    QTest::newRow("empty body") << 200 << QList<QByteArray>{""} << QString();
    QTest::newRow("exactly one read")
        << 200 << QList<QByteArray>{full} << QString::fromLatin1(full);
    QTest::newRow("1000 then 500 bytes")
        << 200 << QList<QByteArray>{first, second} << QString::fromLatin1(first + second);
    QTest::newRow("error page 404") << 404 << QList<QByteArray>{"<h1>Introuvable</h1>"}
                                    << QStringLiteral("<h1>Introuvable</h1>");
    QTest::newRow("error page 500") << 500 << QList<QByteArray>{"panne"} << QStringLiteral("panne");
    QTest::newRow("latin byte") << 200 << QList<QByteArray>{"Besan\xE7on"}
                                << QStringLiteral("Besançon");
    QTest::newRow("byte windows-1252 leaves undefined")
        << 200 << QList<QByteArray>{"a\x81z"} << QStringLiteral("a\u0081z");
    QTest::newRow("windows-1252 euro") << 200 << QList<QByteArray>{"\x80"} << QStringLiteral("€");
    QTest::newRow("utf-8 read byte by byte")
        << 200 << QList<QByteArray>{"caf\xC3\xA9"} << QStringLiteral("cafÃ©");
    QTest::newRow("nul byte kept") << 200 << QList<QByteArray>{QByteArray("a\0b", 3)}
                                   << QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
}

void FetchPageTest::bodies() {
    QFETCH(int, status);
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QString, text);

    LoopbackServer server;
    server.Server().Get("/page", [&](const httplib::Request&, httplib::Response& response) {
        response.status = status;
        if (chunks.size() == 1) {
            response.set_content(chunks.front().toStdString(), "text/html");
        } else {
            ServeChunks(response, chunks);
        }
    });
    QVERIFY(server.Start());

    QCOMPARE(FetchPage(server.Url("/page")), text);
    QCOMPARE(FetchPageBytes(server.Url("/page")), chunks.join());
}

void FetchPageTest::requestHeaders_data() {
    QTest::addColumn<QByteArray>("variable");

    QTest::newRow("no proxy in the environment") << QByteArray();
    QTest::newRow("http_proxy") << QByteArray("http_proxy");
    QTest::newRow("HTTP_PROXY") << QByteArray("HTTP_PROXY");
    QTest::newRow("all_proxy") << QByteArray("all_proxy");
    QTest::newRow("ALL_PROXY") << QByteArray("ALL_PROXY");
}

void FetchPageTest::requestHeaders() {
    QFETCH(QByteArray, variable);

    // A proxy that refuses every connection: the page arrives only when the fetch goes direct.
    const QByteArray deadProxy = ClosedPortUrl().toLatin1();
    const EnvironmentOverride noProxy("no_proxy", {});
    const EnvironmentOverride noProxyUpper("NO_PROXY", {});
    std::optional<EnvironmentOverride> proxy;
    if (!variable.isEmpty()) {
        proxy.emplace(variable.constData(), deadProxy);
    }
    std::mutex mutex;
    QByteArray method;
    QByteArray target;
    QByteArray version;
    QStringList headers;
    LoopbackServer server;
    server.Server().Get("/who", [&](const httplib::Request& request, httplib::Response& response) {
        const std::lock_guard lock(mutex);
        method = QByteArray::fromStdString(request.method);
        target = QByteArray::fromStdString(request.target);
        version = QByteArray::fromStdString(request.version);
        for (const auto& [name, value] : request.headers) {
            // The server files the socket's addresses among the headers; they never went out.
            if (!kSocketPseudoHeaders.contains(QByteArray::fromStdString(name))) {
                headers << QString::fromStdString(name + ": " + value);
            }
        }
        response.set_content("direct", "text/plain");
    });
    QVERIFY(server.Start());

    QCOMPARE(FetchPage(server.Url("/who")), QStringLiteral("direct"));
    const std::lock_guard lock(mutex);
    QCOMPARE(method, QByteArray("GET"));
    QCOMPARE(target, QByteArray("/who"));
    QCOMPARE(version, QByteArray("HTTP/1.1"));
    headers.sort(Qt::CaseInsensitive);
    QCOMPARE(headers, QStringList({QStringLiteral("Host: 127.0.0.1:%1").arg(server.Port()),
                                   QStringLiteral("User-Agent: vb wininet")}));
}

void FetchPageTest::requestTarget_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("plain query") << QStringLiteral("/maps?q=1+rue,+Paris")
                                 << QByteArray("/maps?q=1+rue,+Paris");
    QTest::newRow("already escaped kept")
        << QStringLiteral("/maps?q=45.5%2C4.2") << QByteArray("/maps?q=45.5%2C4.2");
    QTest::newRow("accented letter in windows-1252")
        << QStringLiteral("/maps?q=Besançon") << QByteArray("/maps?q=Besan%E7on");
    QTest::newRow("blank") << QStringLiteral("/maps?q=a b") << QByteArray("/maps?q=a%20b");
    // Beyond windows-1252 the whole URL goes out in UTF-8, which the map service also reads.
    QTest::newRow("character beyond windows-1252")
        << QStringLiteral("/maps?q=\u4E2D") << QByteArray("/maps?q=%E4%B8%AD");
    QTest::newRow("Polish town, accents of both kinds")
        << QStringLiteral("/maps?q=Łódź,+Pologne")
        << QByteArray("/maps?q=%C5%81%C3%B3d%C5%BA,+Pologne");
    QTest::newRow("Czech name") << QStringLiteral("/maps?q=Dvořák+3,+Praha")
                                << QByteArray("/maps?q=Dvo%C5%99%C3%A1k+3,+Praha");
    QTest::newRow("Cyrillic") << QStringLiteral("/maps?q=Москва")
                              << QByteArray("/maps?q=%D0%9C%D0%BE%D1%81%D0%BA%D0%B2%D0%B0");
    QTest::newRow("euro sign stays windows-1252")
        << QStringLiteral("/maps?q=1€") << QByteArray("/maps?q=1%80");
}

void FetchPageTest::requestTarget() {
    QFETCH(QString, target);
    QFETCH(QByteArray, sent);

    std::mutex mutex;
    QByteArray seen;
    LoopbackServer server;
    server.Server().Get("/maps", [&](const httplib::Request& request, httplib::Response& response) {
        const std::lock_guard lock(mutex);
        seen = QByteArray::fromStdString(request.target);
        response.set_content("ok", "text/plain");
    });
    QVERIFY(server.Start());

    QCOMPARE(FetchPage(server.Url(target)), QStringLiteral("ok"));
    const std::lock_guard lock(mutex);
    QCOMPARE(seen, sent);
}

void FetchPageTest::nothingFetched_data() {
    QTest::addColumn<QString>("url");

    QTest::newRow("closed port") << ClosedPortUrl();
    QTest::newRow("empty url") << QString();
    QTest::newRow("malformed url") << QStringLiteral("http://[::1");
    QTest::newRow("local file") << QStringLiteral("file:///etc/passwd");
    QTest::newRow("other protocol") << QStringLiteral("ftp://127.0.0.1:1/");
}

void FetchPageTest::nothingFetched() {
    QFETCH(QString, url);

    QElapsedTimer elapsed;
    elapsed.start();
    QCOMPARE(FetchPage(url), QString());
    QVERIFY2(elapsed.elapsed() < 5000, "ended in bounded time");
}

void FetchPageTest::redirects_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("text");

    QTest::newRow("302 to another path")
        << 302 << QStringLiteral("/to") << QStringLiteral("arrivé");
    QTest::newRow("301 absolute") << 301 << QStringLiteral("http://127.0.0.1:%1/to")
                                  << QStringLiteral("arrivé");
    QTest::newRow("303 chain of three")
        << 303 << QStringLiteral("/hop2") << QStringLiteral("arrivé");
    QTest::newRow("307") << 307 << QStringLiteral("/to") << QStringLiteral("arrivé");
    QTest::newRow("to a local file") << 302 << QStringLiteral("file:///etc/passwd") << QString();
    QTest::newRow("to another protocol")
        << 302 << QStringLiteral("ftp://127.0.0.1:%1/") << QString();
}

void FetchPageTest::redirects() {
    QFETCH(int, status);
    QFETCH(QString, location);
    QFETCH(QString, text);

    LoopbackServer server;
    const auto redirectTo = [status](const std::string& target) {
        return [status, target](const httplib::Request&, httplib::Response& response) {
            response.set_redirect(target, status);
            response.set_content("redirection body", "text/plain");
        };
    };
    server.Server().Get("/hop2", redirectTo("/hop3"));
    server.Server().Get("/hop3", redirectTo("/to"));
    server.Server().Get("/to", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("arriv\xE9", "text/plain");
    });
    server.Server().Get("/from", [&](const httplib::Request& request, httplib::Response& response) {
        QString target = location;
        target.replace(QStringLiteral("%1"), QString::number(server.Port()));
        redirectTo(target.toStdString())(request, response);
    });
    QVERIFY(server.Start());

    QCOMPARE(FetchPage(server.Url("/from")), text);
}

void FetchPageTest::redirectLoop() {
    std::atomic<int> requests = 0;
    LoopbackServer server;
    server.Server().Get("/loop", [&](const httplib::Request&, httplib::Response& response) {
        ++requests;
        response.set_redirect("/loop", 302);
        response.set_content("still redirecting", "text/plain");
    });
    QVERIFY(server.Start());

    FetchLimits limits;
    limits.maxRedirects = 5;
    QElapsedTimer elapsed;
    elapsed.start();
    QCOMPARE(FetchPage(server.Url("/loop"), limits), QString());
    QVERIFY(elapsed.elapsed() < 5000);
    QCOMPARE(requests.load(), 6);
}

void FetchPageTest::bodyBeyondCap_data() {
    QTest::addColumn<bool>("announced");

    QTest::newRow("with Content-Length") << true;
    QTest::newRow("chunked") << false;
}

void FetchPageTest::bodyBeyondCap() {
    QFETCH(bool, announced);

    const QByteArray body = Pattern(5 * 1024 * 1024);
    LoopbackServer server;
    server.Server().Get("/huge", [&](const httplib::Request&, httplib::Response& response) {
        if (announced) {
            response.set_content(body.toStdString(), "text/html");
        } else {
            QList<QByteArray> chunks;
            for (qsizetype at = 0; at < body.size(); at += 64 * 1024) {
                chunks << body.mid(at, 64 * 1024);
            }
            ServeChunks(response, chunks);
        }
    });
    QVERIFY(server.Start());

    FetchLimits limits;
    limits.maxBodyBytes = 1024 * 1024;
    QElapsedTimer elapsed;
    elapsed.start();
    const QByteArray kept = FetchPageBytes(server.Url("/huge"), limits);
    QVERIFY(elapsed.elapsed() < 5000);
    QCOMPARE(kept.size(), limits.maxBodyBytes);
    QVERIFY(kept == body.first(limits.maxBodyBytes));
}

void FetchPageTest::stalledServer_data() {
    QTest::addColumn<QByteArray>("sentBeforeStall");
    QTest::addColumn<bool>("announced");

    QTest::newRow("after the headers") << QByteArray() << true;
    QTest::newRow("mid-body, with Content-Length") << Pattern(1000) << true;
    QTest::newRow("mid-body, chunked") << Pattern(1000) << false;
}

void FetchPageTest::stalledServer() {
    QFETCH(QByteArray, sentBeforeStall);
    QFETCH(bool, announced);

    LoopbackServer server;
    // Destroyed before the server, which lets a still held handler go.
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    const auto provider = [&, released](size_t, httplib::DataSink& sink) {
        sink.write(sentBeforeStall.constData(), static_cast<size_t>(sentBeforeStall.size()));
        released.wait_for(10s);
        return false;
    };
    server.Server().Get("/stall", [&](const httplib::Request&, httplib::Response& response) {
        if (announced) {
            response.set_content_provider(
                100000, "text/html",
                [provider](size_t, size_t, httplib::DataSink& sink) { return provider(0, sink); });
        } else {
            response.set_chunked_content_provider("text/html", provider);
        }
    });
    QVERIFY(server.Start());

    QElapsedTimer elapsed;
    elapsed.start();
    QCOMPARE(FetchPageBytes(server.Url("/stall"), ShortStall()), sentBeforeStall);
    QVERIFY(elapsed.elapsed() >= 450);
    QVERIFY(elapsed.elapsed() < 3000);
    release.set_value();
}

void FetchPageTest::slowButSteadyServer() {
    // Each byte restarts the stall clock: a page slower in total than the stall time is whole.
    LoopbackServer server;
    server.Server().Get("/slow", [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("text/html", [](size_t, httplib::DataSink& sink) {
            for (int i = 0; i < 8; ++i) {
                sink.write("x", 1);
                std::this_thread::sleep_for(150ms);
            }
            sink.done();
            return true;
        });
    });
    QVERIFY(server.Start());

    QCOMPARE(FetchPage(server.Url("/slow"), ShortStall()), QStringLiteral("xxxxxxxx"));
}

void FetchPageTest::tricklingServer() {
    // A byte now and then keeps the stall clock quiet; the total time still ends the fetch.
    LoopbackServer server;
    server.Server().Get("/trickle", [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("text/html", [](size_t, httplib::DataSink& sink) {
            for (int i = 0; i < 50 && sink.is_writable(); ++i) {
                if (!sink.write("x", 1)) {
                    return false;
                }
                std::this_thread::sleep_for(100ms);
            }
            sink.done();
            return true;
        });
    });
    QVERIFY(server.Start());

    FetchLimits limits = ShortStall();
    limits.totalTimeout = 700ms;
    QElapsedTimer timer;
    timer.start();
    const QString page = FetchPage(server.Url("/trickle"), limits);
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(!page.isEmpty());
    QVERIFY(page.size() < 50);
    QCOMPARE(page, QString(page.size(), QLatin1Char('x')));
}

void FetchPageTest::droppedConnection_data() {
    QTest::addColumn<bool>("announced");

    QTest::newRow("with Content-Length") << true;
    QTest::newRow("chunked") << false;
}

void FetchPageTest::droppedConnection() {
    QFETCH(bool, announced);

    const QByteArray sent = Pattern(1000);
    LoopbackServer server;
    server.Server().Get("/drop", [&](const httplib::Request&, httplib::Response& response) {
        // Returning false makes the server close the connection mid-body.
        if (announced) {
            response.set_content_provider(5000, "text/html",
                                          [&](size_t, size_t, httplib::DataSink& sink) {
                                              sink.write(sent.constData(), 1000);
                                              return false;
                                          });
        } else {
            response.set_chunked_content_provider("text/html",
                                                  [&](size_t, httplib::DataSink& sink) {
                                                      sink.write(sent.constData(), 1000);
                                                      return false;
                                                  });
        }
    });
    QVERIFY(server.Start());

    QElapsedTimer elapsed;
    elapsed.start();
    QCOMPARE(FetchPageBytes(server.Url("/drop"), ShortStall()), sent);
    QVERIFY(elapsed.elapsed() < 450);
}

void FetchPageTest::silentServer() {
    SilentListener listener;
    QVERIFY(listener.Port() > 0);

    QElapsedTimer elapsed;
    elapsed.start();
    QCOMPARE(FetchPage(QStringLiteral("http://127.0.0.1:%1/").arg(listener.Port()), ShortStall()),
             QString());
    QVERIFY(elapsed.elapsed() >= 450);
    QVERIFY(elapsed.elapsed() < 3000);
}

void FetchPageTest::concurrentFetches() {
    LoopbackServer server;
    server.Server().Get(R"(/page/(\d+))",
                        [](const httplib::Request& request, httplib::Response& response) {
                            const int size = std::stoi(request.matches[1].str());
                            response.set_content(Pattern(size).toStdString(), "text/html");
                        });
    QVERIFY(server.Start());

    const QList<int> sizes = {1, 8191, 8193, 70000, 300000, 1000000};
    std::vector<std::future<QByteArray>> fetches;
    for (const int size : sizes) {
        fetches.push_back(std::async(std::launch::async, [&server, size] {
            return FetchPageBytes(server.Url(QStringLiteral("/page/%1").arg(size)));
        }));
    }
    for (size_t i = 0; i < fetches.size(); ++i) {
        QVERIFY(fetches[i].get() == Pattern(sizes[static_cast<qsizetype>(i)]));
    }
}

QTEST_GUILESS_MAIN(FetchPageTest)
#include "FetchPageTest.moc"
