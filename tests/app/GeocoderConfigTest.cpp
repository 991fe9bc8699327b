#include "app/GeocoderConfig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnel;

namespace {

const QString kFrance = QStringLiteral("https://data.geopf.fr/geocodage/search");
const QString kWorld = QStringLiteral("https://nominatim.openstreetmap.org/search");
// Marks a row without a configuration file.
const QByteArray kNoFile = "<none>";

// The configuration read from `file` (none for kNoFile) in `dir`, with `environment` (NAME=value).
GeocoderEndpoints Read(const QTemporaryDir& dir, const QByteArray& file,
                       const QStringList& environment, QStringList& said) {
    const QString path = dir.filePath(u"tarnel.conf"_qs);
    QFile out(path);
    if (file != kNoFile && out.open(QIODevice::WriteOnly))
        out.write(file);
    out.close();
    QProcessEnvironment variables;
    for (const QString& entry : environment)
        variables.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    return ReadGeocoderConfig(path, variables, said);
}

} // namespace

class GeocoderConfigTest : public QObject {
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void fileIsNeverWritten();
    void otherKeys_data();
    void otherKeys();
    void ownKeys_data();
    void ownKeys();
};

void GeocoderConfigTest::read_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("environment"); // NAME=value
    QTest::addColumn<QString>("france");
    QTest::addColumn<QString>("world");
    QTest::addColumn<QString>("contact");
    QTest::addColumn<int>("warnings");

    QTest::newRow("no file, no variable")
        << kNoFile << QStringList() << kFrance << kWorld << QString() << 0;
    QTest::newRow("empty file") << QByteArray() << QStringList() << kFrance << kWorld << QString()
                                << 0;
    QTest::newRow("other sections only")
        << QByteArray("[carte]\nfrance=http://ignored.example/search\n") << QStringList() << kFrance
        << kWorld << QString() << 0;
    QTest::newRow("all three keys")
        << QByteArray("[geocoders]\nfrance=https://ban.example.org/search\n"
                      "world=http://10.0.0.7:8080/nominatim/search\ncontact=ops@example.org\n")
        << QStringList() << u"https://ban.example.org/search"_qs
        << u"http://10.0.0.7:8080/nominatim/search"_qs << u"ops@example.org"_qs << 0;
    QTest::newRow("empty value turns a geocoder off")
        << QByteArray("[geocoders]\nworld=\n") << QStringList() << kFrance << QString() << QString()
        << 0;
    QTest::newRow("contact with a comma")
        << QByteArray("[geocoders]\ncontact=Mairie de Tarnel, ops@example.org\n") << QStringList()
        << kFrance << kWorld << u"Mairie de Tarnel, ops@example.org"_qs << 0;
    QTest::newRow("environment overrides the file")
        << QByteArray("[geocoders]\nfrance=https://ban.example.org/search\ncontact=a@b.org\n")
        << QStringList{u"TARNEL_GEOCODER_FRANCE_URL=http://127.0.0.1:8000/search"_qs,
                       u"TARNEL_CONTACT=c@d.org"_qs}
        << u"http://127.0.0.1:8000/search"_qs << kWorld << u"c@d.org"_qs << 0;
    QTest::newRow("empty variable turns a geocoder off")
        << kNoFile
        << QStringList{u"TARNEL_GEOCODER_FRANCE_URL="_qs, u"TARNEL_GEOCODER_WORLD_URL="_qs}
        << QString() << QString() << QString() << 0;
    QTest::newRow("other variables are not read")
        << kNoFile << QStringList{u"TARNEL_GEOCODER_URL=http://x.example/search"_qs} << kFrance
        << kWorld << QString() << 0;
    QTest::newRow("not http") << QByteArray("[geocoders]\nfrance=ftp://ban.example.org/search\n")
                              << QStringList() << QString() << kWorld << QString() << 1;
    QTest::newRow("no host") << kNoFile
                             << QStringList{u"TARNEL_GEOCODER_WORLD_URL=https:///search"_qs}
                             << kFrance << QString() << QString() << 1;
    QTest::newRow("query already there")
        << kNoFile << QStringList{u"TARNEL_GEOCODER_WORLD_URL=https://n.example/search?a=1"_qs}
        << kFrance << QString() << QString() << 1;
    QTest::newRow("not a URL") << QByteArray("[geocoders]\nfrance=data.geopf.fr\n") << QStringList()
                               << QString() << kWorld << QString() << 1;
}

void GeocoderConfigTest::read() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, environment);
    QFETCH(QString, france);
    QFETCH(QString, world);
    QFETCH(QString, contact);
    QFETCH(int, warnings);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QStringList said;
    const GeocoderEndpoints endpoints = Read(dir, file, environment, said);
    QCOMPARE(endpoints.france, france);
    QCOMPARE(endpoints.world, world);
    QCOMPARE(endpoints.contact, contact);
    QCOMPARE(said.size(), warnings);
    QCOMPARE(QFile::exists(dir.filePath(u"tarnel.conf"_qs)), file != kNoFile);
}

void GeocoderConfigTest::fileIsNeverWritten() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(u"tarnel.conf"_qs);
    // Written as a person would, comments and odd spacing included.
    const QByteArray text = "; Tarnel\n[geocoders]\n  world = https://n.example/search  \n";
    {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(text);
    }
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
    const QFile::Permissions permissions = QFile::permissions(path);
    QStringList said;
    QCOMPARE(ReadGeocoderConfig(path, {}, said).world, u"https://n.example/search"_qs);
    QFile in(path);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QCOMPARE(in.readAll(), text);
    QCOMPARE(QFile::permissions(path), permissions);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"tarnel.conf"_qs});
}

// The reverse searches and the map's tile templates: the same file and variables, their own keys.
void GeocoderConfigTest::otherKeys_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("environment"); // NAME=value
    QTest::addColumn<QStringList>("urls"); // France's and Nominatim's reverse, osm, plan, ortho
    QTest::addColumn<int>("warnings");

    const QString france = u"https://data.geopf.fr/geocodage/reverse"_qs;
    const QString world = u"https://nominatim.openstreetmap.org/reverse"_qs;
    const TileUrls tiles;
    QTest::newRow("defaults") << kNoFile << QStringList()
                              << QStringList{france, world, tiles.osm, tiles.plan, tiles.ortho}
                              << 0;
    QTest::newRow("off in the file, a template with a query")
        << QByteArray("[geocoders]\nworld-reverse=\n"
                      "[carte]\nosm=http://127.0.0.1:9/t/{z}/{x}/{y}.png?k=1&s=a\northo=\n")
        << QStringList()
        << QStringList{france,
                       {},
                       u"http://127.0.0.1:9/t/{z}/{x}/{y}.png?k=1&s=a"_qs,
                       tiles.plan,
                       {}}
        << 0;
    QTest::newRow("the environment overrides the file")
        << QByteArray("[geocoders]\nfrance-reverse=https://ban.example.org/reverse\n")
        << QStringList{u"TARNEL_GEOCODER_FRANCE_REVERSE_URL="_qs,
                       u"TARNEL_GEOCODER_WORLD_REVERSE_URL=http://127.0.0.1:8000/reverse"_qs}
        << QStringList{{}, u"http://127.0.0.1:8000/reverse"_qs, tiles.osm, tiles.plan, tiles.ortho}
        << 0;
    QTest::newRow("the searches' servers answer the reverse searches, or none")
        << kNoFile
        << QStringList{u"TARNEL_GEOCODER_FRANCE_URL=http://127.0.0.1:9/geocodage/search"_qs,
                       u"TARNEL_GEOCODER_WORLD_URL="_qs}
        << QStringList{u"http://127.0.0.1:9/geocodage/reverse"_qs,
                       {},
                       tiles.osm,
                       tiles.plan,
                       tiles.ortho}
        << 0;
    QTest::newRow("a reverse search of its own is kept")
        << QByteArray("[geocoders]\nworld=https://n.example/api/v1\nfrance-reverse=\n")
        << QStringList() << QStringList{{}, world, tiles.osm, tiles.plan, tiles.ortho} << 0;
    QTest::newRow("unusable addresses are turned off")
        << QByteArray("[geocoders]\nworld-reverse=file:///reverse\n"
                      "[carte]\nosm=file:///t/{z}/{x}/{y}.png\nplan=https://p.example/{z}/{x}\n")
        << QStringList() << QStringList{france, {}, {}, {}, tiles.ortho} << 3;
}

void GeocoderConfigTest::otherKeys() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, environment);
    QFETCH(QStringList, urls);
    QFETCH(int, warnings);

    QTemporaryDir dir;
    QStringList said;
    const GeocoderEndpoints read = Read(dir, file, environment, said);
    QCOMPARE((QStringList{read.franceReverse, read.worldReverse, read.tiles.osm, read.tiles.plan,
                          read.tiles.ortho}),
             urls);
    QCOMPARE(said.size(), warnings);
}

// The geocoding of files follows the French search unless set on its own; the point's services
// (altitude, commune, parcel) are read each alone, on with the searches off.
void GeocoderConfigTest::ownKeys_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("environment"); // NAME=value
    QTest::addColumn<QStringList>("urls");        // files' geocoding, altitude, commune, parcel
    QTest::addColumn<int>("warnings");

    const GeocoderEndpoints d;
    QTest::newRow("off with the French search, the point's services on")
        << QByteArray("[geocoders]\nfrance=\nworld=\n") << QStringList()
        << QStringList{{}, d.altitude, d.commune, d.parcel} << 0;
    QTest::newRow("another French search keeps the default")
        << QByteArray("[geocoders]\nfrance=https://ban.example.org/api/geocode\n") << QStringList()
        << QStringList{d.franceCsv, d.altitude, d.commune, d.parcel} << 0;
    QTest::newRow("set in the file, one off")
        << QByteArray("[geocoders]\nfrance=http://s.example/search\nfrance-csv=https://c.example/\n"
                      "altitude=http://a.example/\nparcel=\n")
        << QStringList()
        << QStringList{u"https://c.example/"_qs, u"http://a.example/"_qs, d.commune, {}} << 0;
    QTest::newRow("the environment overrides the file, even empty")
        << QByteArray("[geocoders]\nfrance-csv=https://csv.example.org/batch\n"
                      "commune=https://c.example/communes\n")
        << QStringList{u"TARNEL_GEOCODER_FRANCE_CSV_URL="_qs, u"TARNEL_COMMUNE_URL="_qs,
                       u"TARNEL_PARCEL_URL=http://127.0.0.1:8000/parcelle"_qs}
        << QStringList{{}, d.altitude, {}, u"http://127.0.0.1:8000/parcelle"_qs} << 0;
    QTest::newRow("unusable addresses are turned off")
        << QByteArray("[geocoders]\nfrance-csv=ftp://csv.example.org/\naltitude=file:///alti\n")
        << QStringList{u"TARNEL_COMMUNE_URL=https://c.example/communes?lat=1"_qs}
        << QStringList{{}, {}, {}, d.parcel} << 3;
}

void GeocoderConfigTest::ownKeys() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, environment);
    QFETCH(QStringList, urls);
    QFETCH(int, warnings);

    QTemporaryDir dir;
    QStringList said;
    const GeocoderEndpoints read = Read(dir, file, environment, said);
    QCOMPARE((QStringList{read.franceCsv, read.altitude, read.commune, read.parcel}), urls);
    QCOMPARE(said.size(), warnings);
}

QTEST_GUILESS_MAIN(GeocoderConfigTest)
#include "GeocoderConfigTest.moc"
