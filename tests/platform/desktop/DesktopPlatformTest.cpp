#include "platform/desktop/DesktopFeedback.h"
#include "platform/desktop/DesktopMessageBoxes.h"
#include "platform/desktop/DesktopSaveDialog.h"
#include "platform/desktop/DesktopShell.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarnel;

class DesktopPlatformTest : public QObject {
    Q_OBJECT

private slots:
    void messageLines_data();
    void messageLines();
    void nameFilter_data();
    void nameFilter();
    void saveDialogReportsTheChosenType();
    void shellTarget_data();
    void shellTarget();
    void busyCursorIsBalanced();
};

void DesktopPlatformTest::messageLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    QTest::newRow("lone carriage returns") << "Tarnel version 1.0.0\r\rAuteur : X\r"
                                           << "Tarnel version 1.0.0\n\nAuteur : X\n";
    QTest::newRow("CR LF") << "a\r\nb"
                           << "a\nb";
    QTest::newRow("line feeds") << "a\n\nb"
                                << "a\n\nb";
    QTest::newRow("one line") << "Information Systeme introuvable !"
                              << "Information Systeme introuvable !";
}

void DesktopPlatformTest::messageLines() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(MessageBoxDisplayText(text), shown);
}

void DesktopPlatformTest::nameFilter_data() {
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("expected");

    QTest::newRow("pattern already shown, blanks around") << " Fichier Generic.ASC (*.asc) "
                                                          << "*.asc"
                                                          << "Fichier Generic.ASC (*.asc)";
    QTest::newRow("pattern not shown") << "Fichier Generic.ASC"
                                       << "*.asc"
                                       << "Fichier Generic.ASC (*.asc)";
    QTest::newRow("other pattern shown") << "Texte (*.txt)"
                                         << "*.asc"
                                         << "Texte (*.txt) (*.asc)";
    QTest::newRow("no description") << ""
                                    << "*.asc"
                                    << "(*.asc)";
    QTest::newRow("no pattern") << " Tous "
                                << ""
                                << "Tous";
}

void DesktopPlatformTest::nameFilter() {
    QFETCH(QString, description);
    QFETCH(QString, pattern);
    QFETCH(QString, expected);

    SaveDialogRequest request;
    request.filterDescription = description;
    request.filterPattern = pattern;
    QCOMPARE(SaveDialogNameFilter(request), expected);
}

// The dialog driven as a user does: the second file type picked with the arrow keys, a name typed
// without an extension.
void DesktopPlatformTest::saveDialogReportsTheChosenType() {
    QTemporaryDir dir;
    const SaveDialogRequest request{
        "Exporter",
        dir.path(),
        " Fichier Generic.ASC (*.asc) ",
        "*.asc",
        "asc",
        {},
        {{"GPX (*.gpx)", "*.gpx", "gpx"}, {"GeoJSON", "*.geojson *.json", "geojson"}}};
    QStringList shown;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        shown = dialog->nameFilters();
        QTest::keyClick(dialog->findChild<QComboBox*>("fileTypeCombo"), Qt::Key_Down);
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        name->setText("lieu");
        QTest::keyClick(name, Qt::Key_Return);
    });
    const std::optional<SaveDialogChoice> choice =
        DesktopSaveDialog().AskSavePath(nullptr, request);
    QCOMPARE(shown, QStringList({"Fichier Generic.ASC (*.asc)", "GPX (*.gpx)",
                                 "GeoJSON (*.geojson *.json)"}));
    QVERIFY(choice);
    QCOMPARE(choice->path, dir.filePath("lieu.gpx"));
    QCOMPARE(choice->filter, 1);
}

void DesktopPlatformTest::shellTarget_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("expected"); // "<dir>" stands for the working directory

    QTest::newRow("existing document") << "<dir>/AideTarnel.pdf"
                                       << "file://<dir>/AideTarnel.pdf";
    QTest::newRow("relative document") << "AideTarnel.pdf"
                                       << "file://<dir>/AideTarnel.pdf";
    QTest::newRow("missing document") << "<dir>/Absent.pdf"
                                      << "";
    QTest::newRow("web address") << "http://www.example.org/don?x=1"
                                 << "http://www.example.org/don?x=1";
    QTest::newRow("mail link") << "mailto:auteur@example.org"
                               << "mailto:auteur@example.org";
    QTest::newRow("nothing") << ""
                             << "";
}

void DesktopPlatformTest::shellTarget() {
    QFETCH(QString, target);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QFile document(dir.filePath(QStringLiteral("AideTarnel.pdf")));
    QVERIFY(document.open(QIODevice::WriteOnly));
    document.close();
    target.replace(QStringLiteral("<dir>"), dir.path());
    expected.replace(QStringLiteral("<dir>"), dir.path());

    const std::optional<QUrl> url = ShellTarget(target, dir.path());
    QCOMPARE(url ? url->toString() : QString(), expected);
}

void DesktopPlatformTest::busyCursorIsBalanced() {
    DesktopFeedback feedback;
    feedback.SetBusyCursor(true);
    feedback.SetBusyCursor(true);
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    feedback.SetBusyCursor(false);
    QVERIFY(!QApplication::overrideCursor());
    feedback.SetBusyCursor(false);
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(DesktopPlatformTest)
#include "DesktopPlatformTest.moc"
