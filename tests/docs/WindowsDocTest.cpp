// Keeps docs/WINDOWS.md true: every control it lists is in the constructed window, every handler
// is declared in the window's header, every test function exists, and every handler the headers
// declare is listed.

#include "core/ProgramTexts.h"
#include "tests/support/FakeMainWindow.h"
#include "tests/support/FakePlatform.h"
#include "ui/about/frmAbout.h"
#include "ui/address/FRmChCoord.h"
#include "ui/common/WindowContext.h"
#include "ui/conversion/FRM_Conv.h"
#include "ui/main/frmMap.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <memory>

using namespace tarnel;
using namespace tarnel::testing;

namespace {

const QString kSourceDir = QStringLiteral(TARNEL_SOURCE_DIR);

struct Row {
    QString control;
    QString handler;
    QString test;
};

// One "## `Window`" section of the page: its header, its test file and its table.
struct Section {
    QString window;
    QString header;
    QString testFile;
    QList<Row> rows;
};

QString ReadSource(const QString& relativePath) {
    QFile file(kSourceDir + u'/' + relativePath);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The text between the first pair of backquotes of `cell`.
QString Quoted(const QString& cell) {
    static const QRegularExpression code(QStringLiteral("`([^`]+)`"));
    const QRegularExpressionMatch match = code.match(cell);
    return match.hasMatch() ? match.captured(1) : QString();
}

QList<Section> ReadPage() {
    QList<Section> sections;
    const QStringList lines = ReadSource(QStringLiteral("docs/WINDOWS.md")).split(u'\n');
    static const QRegularExpression files(QStringLiteral("^Header: `([^`]+)` · Test: `([^`]+)`$"));
    for (const QString& line : lines) {
        if (line.startsWith(u"## ")) {
            sections.append({Quoted(line), {}, {}, {}});
            continue;
        }
        if (sections.isEmpty())
            continue;
        Section& section = sections.last();
        if (const QRegularExpressionMatch match = files.match(line); match.hasMatch()) {
            section.header = match.captured(1);
            section.testFile = match.captured(2);
            continue;
        }
        if (!line.startsWith(u"| `"))
            continue;
        const QStringList cells = line.split(u'|');
        // "", control, caption, handler, what it does, test, ""
        if (cells.size() != 7)
            qFatal("docs/WINDOWS.md: a table row without five cells: %s", qPrintable(line));
        section.rows.append({Quoted(cells[1]), Quoted(cells[3]), Quoted(cells[5])});
    }
    return sections;
}

// What every window needs around it; one for the whole test.
struct Program {
    ProgramTexts texts;
    FakePlatform platform;
    FakeMainWindow mainWindow;
    WindowContext context{texts, QString(), QStringLiteral("http://127.0.0.1:9/maps?q="),
                          platform.services};
};

std::unique_ptr<QWidget> MakeWindow(Program& program, const QString& name) {
    if (name == u"frmMap")
        return std::make_unique<frmMap>(program.context, new FakeMapView);
    if (name == u"FRM_Conv")
        return std::make_unique<FRM_Conv>(program.mainWindow, program.context, nullptr);
    if (name == u"FRmChCoord")
        return std::make_unique<FRmChCoord>(program.mainWindow, program.context, nullptr);
    if (name == u"frmAbout")
        return std::make_unique<frmAbout>(program.context, nullptr);
    return nullptr;
}

bool Declares(const QString& source, const QString& function) {
    return source.contains(QRegularExpression(QStringLiteral("\\bvoid\\s+(\\w+::)?") +
                                              QRegularExpression::escape(function) +
                                              QStringLiteral("\\s*\\(")));
}

} // namespace

class WindowsDocTest : public QObject {
    Q_OBJECT

private slots:
    void pageListsTheFourWindows();
    void rows_data();
    void rows();
    void everyHandlerIsListed_data();
    void everyHandlerIsListed();

private:
    Program program_;
};

void WindowsDocTest::pageListsTheFourWindows() {
    QStringList windows;
    for (const Section& section : ReadPage()) {
        windows.append(section.window);
        QVERIFY2(!section.header.isEmpty() && !section.testFile.isEmpty(),
                 qPrintable(section.window + QStringLiteral(": no Header/Test line")));
        QVERIFY2(!section.rows.isEmpty(),
                 qPrintable(section.window + QStringLiteral(": no table")));
    }
    QCOMPARE(windows, QStringList({"frmMap", "FRM_Conv", "FRmChCoord", "frmAbout"}));
}

void WindowsDocTest::rows_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("testFile");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("handler");
    QTest::addColumn<QString>("test");
    for (const Section& section : ReadPage()) {
        for (const Row& row : section.rows) {
            QTest::addRow("%s %s %s", qPrintable(section.window), qPrintable(row.control),
                          qPrintable(row.handler))
                << section.window << section.header << section.testFile << row.control
                << row.handler << row.test;
        }
    }
}

void WindowsDocTest::rows() {
    QFETCH(QString, window);
    QFETCH(QString, header);
    QFETCH(QString, testFile);
    QFETCH(QString, control);
    QFETCH(QString, handler);
    QFETCH(QString, test);

    const std::unique_ptr<QWidget> built = MakeWindow(program_, window);
    QVERIFY2(built, qPrintable(QStringLiteral("no way to build ") + window));
    QCOMPARE(built->objectName(), window);
    QVERIFY2(control == window || built->findChild<QObject*>(control),
             qPrintable(control + QStringLiteral(" is not in the window")));

    const QString declarations = ReadSource(header);
    QVERIFY2(!declarations.isEmpty(), qPrintable(header + QStringLiteral(" cannot be read")));
    QVERIFY2(Declares(declarations, handler),
             qPrintable(handler + QStringLiteral(" is not declared in ") + header));

    const QString tests = ReadSource(testFile);
    QVERIFY2(!tests.isEmpty(), qPrintable(testFile + QStringLiteral(" cannot be read")));
    QVERIFY2(Declares(tests, test),
             qPrintable(test + QStringLiteral(" is not a test of ") + testFile));
}

void WindowsDocTest::everyHandlerIsListed_data() {
    QTest::addColumn<QString>("header");
    QTest::addColumn<QStringList>("listed");
    for (const Section& section : ReadPage()) {
        QStringList listed;
        for (const Row& row : section.rows)
            listed.append(row.handler);
        QTest::newRow(qPrintable(section.window)) << section.header << listed;
    }
}

void WindowsDocTest::everyHandlerIsListed() {
    QFETCH(QString, header);
    QFETCH(QStringList, listed);
    static const QRegularExpression handler(
        QStringLiteral("\\bvoid\\s+(\\w+_(?:Click|KeyPress|Load|Resize))\\s*\\("));
    const QSet<QString> documented(listed.cbegin(), listed.cend());
    auto matches = handler.globalMatch(ReadSource(header));
    int declared = 0;
    while (matches.hasNext()) {
        const QString name = matches.next().captured(1);
        ++declared;
        QVERIFY2(documented.contains(name),
                 qPrintable(name + QStringLiteral(" is not in docs/WINDOWS.md")));
    }
    QVERIFY2(declared > 0, qPrintable(header + QStringLiteral(" declares no handler")));
}

QTEST_MAIN(WindowsDocTest)
#include "WindowsDocTest.moc"
