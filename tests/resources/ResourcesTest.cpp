#include "resources/Resources.h"
#include "resources/ProgramIcon.h"

#include <QGuiApplication>
#include <QImage>
#include <QTest>

using namespace tarnel;

// Every picture the windows load by its ":/" path is compiled in, at the size they draw it.
class ResourcesTest : public QObject {
    Q_OBJECT

private slots:
    void pictures_data();
    void pictures();
    void programIcon();
};

void ResourcesTest::pictures_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::newRow("about window icon") << ":/about/Tarnel32.png" << QSize(32, 32);
    QTest::newRow("donation button") << ":/about/Don.png" << QSize(100, 44);
    QTest::newRow("clear button") << ":/address/erase.png" << QSize(32, 32);
    QTest::newRow("export button") << ":/address/export.png" << QSize(32, 32);
    QTest::newRow("close button") << ":/address/close.png" << QSize(32, 32);
}

void ResourcesTest::pictures() {
    QFETCH(QString, path);
    QFETCH(QSize, size);
    RegisterResources();
    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), size);
}

void ResourcesTest::programIcon() {
    const QIcon icon = ProgramIcon();
    QVERIFY(!icon.isNull());
    QVERIFY(!icon.pixmap(32, 32).isNull());
}

QTEST_MAIN(ResourcesTest)
#include "ResourcesTest.moc"
