#include "ui/common/KeyPress.h"

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>

using namespace tarnel;

// Characters typed through an input method (dead keys, compose sequences, on-screen keyboards)
// reach a box as one committed text instead of key presses: the box's filter must see them too.
class KeyPressTest : public QObject {
    Q_OBJECT

private slots:
    void committedTextIsFiltered_data();
    void committedTextIsFiltered();
};

void KeyPressTest::committedTextIsFiltered_data() {
    QTest::addColumn<QString>("allowed");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("committed");
    QTest::addColumn<QString>("after");

    QTest::newRow("composed letter dropped") << kUnsignedNumberKeys << "75" << u"é"_qs << "75";
    QTest::newRow("digits kept") << kUnsignedNumberKeys << "75"
                                 << "001"
                                 << "75001";
    QTest::newRow("mixed text keeps its allowed characters")
        << kSignedNumberKeys << "" << u"-4a8°.5"_qs << "-48.5";
    QTest::newRow("minus refused by the unsigned set") << kUnsignedNumberKeys << ""
                                                       << "-1"
                                                       << "1";
    QTest::newRow("character beyond the basic plane dropped")
        << kSignedNumberKeys << "4" << u"\U0001F600"_qs << "4";
}

void KeyPressTest::committedTextIsFiltered() {
    QFETCH(QString, allowed);
    QFETCH(QString, before);
    QFETCH(QString, committed);
    QFETCH(QString, after);

    QLineEdit box;
    InstallKeyPress(&box,
                    [allowed](int& keyAscii) { keyAscii = FilterNumericKey(keyAscii, allowed); });
    box.setText(before);
    // A composition first shows its text unconfirmed, then commits it.
    QInputMethodEvent preedit(committed, {});
    QCoreApplication::sendEvent(&box, &preedit);
    QInputMethodEvent commit;
    commit.setCommitString(committed);
    QCoreApplication::sendEvent(&box, &commit);
    QCOMPARE(box.text(), after);
}

QTEST_MAIN(KeyPressTest)
#include "KeyPressTest.moc"
