#include "app/AddressFileOpener.h"
#include "tests/support/FakePlatform.h"

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnel;
using namespace tarnel::testing;

// The ways in to the window of a file of addresses reach one window, and its points the map.
class AddressFileOpenerTest : public QObject {
    Q_OBJECT

private slots:
    void waysIn() {
        QTemporaryDir dir;
        FakePlatform platform;
        FakeMapView map;
        int made = 0;
        AddressFileOpener opener(
            [&] {
                ++made;
                return new AddressFileWindow({nullptr, dir.filePath(u"journal.sqlite"_qs), {}, {}},
                                             platform.services);
            },
            &map);

        emit map.AddressFileAsked();
        QVERIFY(opener.Window() && opener.Window()->isVisible());
        // A path as dropped, relative: the window is given it whole.
        emit map.FilesDropped({u"clients.csv"_qs, u"other.csv"_qs});
        QCOMPARE(made, 1);
        QCOMPARE(opener.Window()->findChild<QLabel*>(u"fileName"_qs)->text(),
                 QDir::current().absoluteFilePath(u"clients.csv"_qs));

        emit opener.Window()->PointsFound({{3, 49.03, 2.06, u"Cergy"_qs, u"trouvée"_qs}});
        QCOMPARE(map.filePoints.size(), 1);
        emit opener.Window()->RunStarted();
        QVERIFY(map.filePoints.isEmpty());

        opener.Window()->close(); // deleted on close: the next ask makes another
        QTRY_VERIFY(!opener.Window());
        opener.Open();
        QCOMPARE(made, 2);
        delete opener.Window();
    }
};

QTEST_MAIN(AddressFileOpenerTest)
#include "AddressFileOpenerTest.moc"
