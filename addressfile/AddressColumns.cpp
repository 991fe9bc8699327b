#include "addressfile/AddressColumns.h"

#include <QRegularExpression>
#include <QStringList>
#include <array>

namespace tarnel {

namespace {

enum class Part {
    Number,
    Street,
    StreetOrFull,
    Complement,
    Postcode,
    City,
    Country,
    CityCode,
    Full
};

struct Names {
    Part part;
    QStringList exact;
    // Beginnings that name the part with more words after them ("Code postal du client").
    QStringList prefixes;
};

const std::array<Names, 9>& Table() {
    static const std::array<Names, 9> table = {{
        {Part::Full,
         {u"adressecomplete"_qs, u"fulladdress"_qs, u"completeaddress"_qs,
          u"adressepostalecomplete"_qs, u"adresseentiere"_qs},
         {u"adressecomplete"_qs}},
        {Part::Complement,
         {u"complement"_qs, u"adresse2"_qs, u"adresseligne2"_qs, u"address2"_qs, u"addressline2"_qs,
          u"lieudit"_qs, u"ligne2"_qs},
         {u"complement"_qs}},
        {Part::Number,
         {u"numero"_qs, u"num"_qs, u"no"_qs, u"n"_qs, u"nr"_qs, u"number"_qs, u"housenumber"_qs,
          u"streetnumber"_qs, u"numerodevoie"_qs, u"numerovoie"_qs, u"numvoie"_qs, u"numerorue"_qs,
          u"numeroderue"_qs, u"ndevoie"_qs, u"nvoie"_qs, u"nderue"_qs},
         {}},
        {Part::Postcode,
         {u"codepostal"_qs, u"cp"_qs, u"postcode"_qs, u"postalcode"_qs, u"zip"_qs, u"zipcode"_qs,
          u"cpostal"_qs},
         {u"codepostal"_qs}},
        {Part::CityCode,
         {u"codeinsee"_qs, u"insee"_qs, u"codecommune"_qs, u"citycode"_qs, u"depcom"_qs,
          u"codeinseecommune"_qs},
         {u"codeinsee"_qs}},
        {Part::City,
         {u"ville"_qs, u"commune"_qs, u"town"_qs, u"city"_qs, u"localite"_qs, u"nomcommune"_qs,
          u"nomdelacommune"_qs, u"libellecommune"_qs, u"municipality"_qs},
         {u"ville"_qs, u"commune"_qs, u"nomcommune"_qs}},
        {Part::Country, {u"pays"_qs, u"country"_qs, u"countrycode"_qs}, {u"pays"_qs}},
        {Part::Street,
         {u"rue"_qs, u"voie"_qs, u"street"_qs, u"streetname"_qs, u"libellevoie"_qs,
          u"libelledevoie"_qs, u"nomvoie"_qs, u"nomdevoie"_qs, u"nomdelavoie"_qs, u"adresse1"_qs,
          u"adresseligne1"_qs, u"address1"_qs, u"addressline1"_qs, u"ligne1"_qs, u"road"_qs},
         {u"libellevoie"_qs, u"nomdelavoie"_qs, u"nomvoie"_qs}},
        {Part::StreetOrFull,
         {u"adresse"_qs, u"address"_qs, u"adressepostale"_qs, u"adr"_qs, u"streetaddress"_qs},
         {u"adresse"_qs, u"address"_qs}},
    }};
    return table;
}

// Words that make a column something else than an address part, even when it starts like one.
bool NamesSomethingElse(const QString& name) {
    static const QStringList others = {u"mail"_qs, u"courriel"_qs, u"telephone"_qs, u"phone"_qs,
                                       u"fax"_qs,  u"web"_qs,      u"url"_qs,       u"http"_qs};
    for (const QString& other : others) {
        if (name.contains(other)) {
            return true;
        }
    }
    return name.endsWith(u"ip"_qs);
}

qsizetype& Slot(AddressColumns& columns, Part part) {
    switch (part) {
    case Part::Number:
        return columns.number;
    case Part::Street:
    case Part::StreetOrFull:
        return columns.street;
    case Part::Complement:
        return columns.complement;
    case Part::Postcode:
        return columns.postcode;
    case Part::City:
        return columns.city;
    case Part::Country:
        return columns.country;
    case Part::CityCode:
        return columns.cityCode;
    case Part::Full:
        break;
    }
    return columns.fullAddress;
}

} // namespace

bool AddressColumns::Usable() const {
    return fullAddress >= 0 || street >= 0 || postcode >= 0 || city >= 0;
}

QString NormalisedHeader(QStringView header) {
    QString name;
    for (const QChar c : header.toString().normalized(QString::NormalizationForm_D)) {
        if (c.isLetterOrNumber() && c.unicode() < 0x80) {
            name += c.toLower();
        }
    }
    return name;
}

AddressColumns RecogniseAddressColumns(const Row& header) {
    AddressColumns columns;
    bool streetIsGeneric = false;
    // Exact names first, so that "Adresse" after "Code postal du client" is still the street.
    for (const bool byPrefix : {false, true}) {
        for (qsizetype i = 0; i < header.size(); ++i) {
            const QString name = NormalisedHeader(header[i].text);
            if (name.isEmpty() || (byPrefix && NamesSomethingElse(name))) {
                continue;
            }
            for (const Names& names : Table()) {
                bool matches = names.exact.contains(name);
                for (const QString& prefix : names.prefixes) {
                    matches = matches || (byPrefix && name.startsWith(prefix));
                }
                qsizetype& slot = Slot(columns, names.part);
                if (!matches || slot >= 0) {
                    continue;
                }
                const bool taken = columns.number == i || columns.street == i ||
                                   columns.complement == i || columns.postcode == i ||
                                   columns.city == i || columns.country == i ||
                                   columns.cityCode == i || columns.fullAddress == i;
                if (!taken) {
                    slot = i;
                    if (names.part == Part::Street || names.part == Part::StreetOrFull) {
                        streetIsGeneric = names.part == Part::StreetOrFull;
                    }
                }
                break;
            }
        }
    }
    if (streetIsGeneric && columns.fullAddress < 0 && columns.postcode < 0 && columns.city < 0) {
        columns.fullAddress = columns.street;
        columns.street = -1;
    }
    return columns;
}

QString PostalCodeText(const Cell& cell) {
    static const QRegularExpression stored(QStringLiteral("^(\\d{3,5})(?:[.,]0+)?$"));
    const QString text = cell.text.trimmed();
    const QRegularExpressionMatch match = stored.match(text);
    if (!match.hasMatch()) {
        return text;
    }
    return match.captured(1).rightJustified(5, u'0');
}

} // namespace tarnel
