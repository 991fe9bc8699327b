// The program as shipped quits promptly while a lookup is held open upstream: a geocoder that
// takes the connection and never answers, as a stalled server would. Driven with the keyboard on
// a virtual X screen.

#include "ShippedProgram.h"
#include "XdoTool.h"

#include <QElapsedTimer>
#include <QTest>
#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace tarnel::testing;

namespace {

// Within this of the quit command, the process must be gone.
constexpr qint64 kPromptEndMs = 1000;

// Accepts every connection on 127.0.0.1 and keeps it open without a byte of answer.
class SilentGeocoder {
public:
    SilentGeocoder() {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            listen(listener_, 16) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            return;
        port_ = ntohs(address.sin_port);
        accepting_ = std::thread([this] { Accept(); });
    }
    SilentGeocoder(const SilentGeocoder&) = delete;
    SilentGeocoder& operator=(const SilentGeocoder&) = delete;
    ~SilentGeocoder() {
        stop_ = true;
        if (accepting_.joinable())
            accepting_.join();
        for (const int connection : held_)
            close(connection);
        if (listener_ >= 0)
            close(listener_);
    }

    QString SearchUrl() const {
        return port_ ? QStringLiteral("http://127.0.0.1:%1/search").arg(port_) : QString();
    }
    int Held() const { return heldCount_; }

private:
    void Accept() {
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (poll(&waiting, 1, 50) <= 0)
                continue;
            const int connection = accept(listener_, nullptr, nullptr);
            if (connection >= 0) {
                held_.push_back(connection);
                ++heldCount_;
            }
        }
    }

    int listener_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_ = false;
    std::atomic<int> heldCount_ = 0;
    std::vector<int> held_; // only the accepting thread touches it until it is joined
    std::thread accepting_;
};

} // namespace

class QuitProgramTest : public QObject {
    Q_OBJECT

private slots:
    void quitWithALookupHeldIsPrompt();
};

void QuitProgramTest::quitWithALookupHeldIsPrompt() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X display (run under xvfb-run)");
    SilentGeocoder geocoder;
    QVERIFY(!geocoder.SearchUrl().isEmpty());
    ShippedProgram program;
    const QString failure = program.Start(geocoder.SearchUrl(), geocoder.SearchUrl());
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY2(ShippedProgram::FocusMainWindow(), "no map page or no main window");

    // Street, town, postal code, country, then the search by address.
    for (const char* part : {"1 rue Lente", "Paris", "75001", "France"}) {
        QVERIFY(Type(QString::fromUtf8(part)));
        QVERIFY(Keys({QStringLiteral("Tab")}));
    }
    QVERIFY(Keys({QStringLiteral("space")}));
    QTRY_VERIFY_WITH_TIMEOUT(geocoder.Held() > 0, 30000);

    QVERIFY(Keys({QStringLiteral("alt+q")}));
    QElapsedTimer quitting;
    quitting.start();
    QVERIFY(program.process().waitForFinished(10000));
    const qint64 ended = quitting.elapsed();
    qInfo("the program ended %lld ms after the quit command, %d lookup(s) held", ended,
          geocoder.Held());
    QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process().exitCode(), 0);
    QVERIFY2(ended < kPromptEndMs, qPrintable(QString::number(ended)));
}

QTEST_GUILESS_MAIN(QuitProgramTest)
#include "QuitProgramTest.moc"
