// Fuzz target of a reader of a point fact's answers, TARNEL_READER::ReadAnswer with the panel's
// sentence TARNEL_PANEL made of it, as chosen when it is built: the Géoplateforme altimetry
// service's (Altitude: AltitudeService::ReadAnswer for one point, AltitudeBatch::ReadAnswer for
// many, and the address window's AltitudeOfAnswer), geo.api.gouv.fr's commune (Commune:
// CommuneService::ReadAnswer) or API Carto's cadastral parcel (Parcel: ParcelService::ReadAnswer),
// the panel's sentences being PointFactJson's: bytes that come from the network.
//
// Checked on every input, besides no crash and no sanitizer report: reading finds, finds none
// or fails; a fact found is whole (an altitude some ground has, never the "no data" -99999; a
// commune with a name and a five-character code; a parcel with its section and number and an
// area that is none (-1) or not negative); none comes with an answer that found none; the panel's
// answer is a JSON object with a status and a sentence. For the altitude also: the address window
// reads back from the panel's answer the altitude found, to the centimetre, and a finite altitude
// or none from any bytes; the reader of many points gives as many altitudes as asked or none, each
// one some ground has, and for one point agrees with the reader of one.

#include "core/AltitudeQuery.h"
#include "fuzz/FuzzSupport.h"
#include "geocoding/AltitudeBatch.h"
#include "mapservice/PointFactJson.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdint>

using namespace tarnel;
using Outcome = GeocodeResult::Outcome;
using tarnel::fuzz::Require;

namespace {

bool OnGround(double metres) {
    return std::isfinite(metres) && metres >= -500 && metres <= 9000;
}

// What a reading holds, whether a fact found is whole, and what else reads an altitude: the
// reader of many points and the address window.
struct Fact {
    static QString Parts(const PointAltitude& altitude) { return QString::number(altitude.metres); }
    static bool Whole(const PointAltitude& altitude) { return OnGround(altitude.metres); }
    static QString Parts(const PointCommune& commune) {
        return QStringList{commune.name, commune.code, commune.departmentName,
                           commune.departmentCode, commune.postcodes.join(u',')}
            .join(u'|');
    }
    static bool Whole(const PointCommune& commune) {
        return !commune.name.isEmpty() && commune.code.size() == 5;
    }
    static QString Parts(const CadastralParcel& parcel) {
        return QStringList{parcel.idu,    parcel.prefix,  parcel.section,
                           parcel.number, parcel.commune, QString::number(parcel.area)}
            .join(u'|');
    }
    static bool Whole(const CadastralParcel& parcel) {
        return !parcel.section.isEmpty() && !parcel.number.isEmpty() && parcel.area >= -1;
    }
    static void CheckOtherReaders(const QByteArray&, const auto&, const QByteArray&) {}
    static void CheckOtherReaders(const QByteArray& bytes, const PointAltitude& altitude,
                                  const QByteArray& panel);
};

void Fact::CheckOtherReaders(const QByteArray& bytes, const PointAltitude& altitude,
                             const QByteArray& panel) {
    for (const qsizetype count : {1, 2, 3}) {
        const auto many = AltitudeBatch::ReadAnswer(bytes, count);
        Require(!many || many->size() == count, "as many altitudes as points asked, or none");
        for (const std::optional<double>& metres : many.value_or(QList<std::optional<double>>{}))
            Require(!metres || OnGround(*metres), "an altitude of many is one some ground has");
        Require(count > 1 || !many ||
                    (many->front().has_value() == (altitude.outcome == Outcome::Found) &&
                     many->front().value_or(0) == altitude.metres),
                "one point read alike by both readers");
    }
    const std::optional<double> told = AltitudeOfAnswer(panel);
    // Half a centimetre at most, give or take the last bit of a double: -9.135 is
    // -9.13499999…, but times 100 it rounds to -913.5, which goes to -9.14.
    Require(told.has_value() == (altitude.outcome == Outcome::Found) &&
                (!told || std::abs(*told - altitude.metres) <= 0.005 + 1e-9),
            "the window reads back the altitude found");
    const std::optional<double> window = AltitudeOfAnswer(bytes);
    Require(!window || std::isfinite(*window), "the window reads a finite altitude or none");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    using Read = decltype(TARNEL_READER::ReadAnswer(bytes));
    const Read fact = TARNEL_READER::ReadAnswer(bytes);
    if (fact.outcome == Outcome::Found) {
        Require(Fact::Whole(fact), "a fact found is whole", Fact::Parts(fact));
    } else {
        Require(fact.outcome == Outcome::NoMatch || fact.outcome == Outcome::Failed,
                "reading an answer finds, finds none or fails");
        Require(Fact::Parts(fact) == Fact::Parts(Read{}),
                "nothing comes with an answer that found none");
    }
    const QByteArray panel = TARNEL_PANEL(fact);
    const QJsonObject json = QJsonDocument::fromJson(panel).object();
    Require(!json.value(QLatin1String("status")).toString().isEmpty() &&
                !json.value(QLatin1String("message")).toString().isEmpty(),
            "the panel is told a status and a sentence");
    Fact::CheckOtherReaders(bytes, fact, panel);
    return 0;
}
