#include "places/PlaceColumns.h"

#include "places/CellCoordinates.h"
#include "places/TextFolding.h"

#include <QList>
#include <QStringList>

namespace tarnel {

namespace {

// The header as it is compared: folded, its underscores and hyphens as blanks.
QString Folded(const Cell& cell) {
    QString folded = FoldedText(cell.text);
    folded.replace(u'_', u' ').replace(u'-', u' ');
    return folded.simplified();
}

QString FirstWord(const QString& folded) {
    const qsizetype end = folded.indexOf(u' ');
    return end < 0 ? QString() : folded.left(end);
}

struct Role {
    qsizetype PlaceColumns::*column;
    QList<QStringView> words;
};

const Role kRoles[] = {
    {&PlaceColumns::latitude, {u"latitude", u"lat", u"y"}},
    {&PlaceColumns::longitude, {u"longitude", u"lon", u"lng", u"long", u"x"}},
    {&PlaceColumns::coordinates,
     {u"coordonnees", u"coordinates", u"position", u"geo point", u"geo point 2d"}},
    {&PlaceColumns::name, {u"nom", u"name", u"titre", u"title", u"libelle"}},
    {&PlaceColumns::note, {u"note", u"description", u"desc", u"commentaire", u"comment"}},
    {&PlaceColumns::address, {u"adresse", u"address"}},
    {&PlaceColumns::altitude, {u"altitude", u"alt", u"ele", u"elevation"}},
};

// The first column, by the order of `words`, whose header `key` gives as one of them.
qsizetype Find(const QStringList& headers, const Role& role, QString (*key)(const QString&)) {
    for (const QStringView word : role.words) {
        for (qsizetype i = 0; i < headers.size(); ++i) {
            if (key(headers[i]) == word)
                return i;
        }
    }
    return -1;
}

} // namespace

PlaceColumns FindPlaceColumns(const Row& header) {
    QStringList headers;
    for (const Cell& cell : header)
        headers.append(Folded(cell));
    PlaceColumns columns;
    for (const Role& role : kRoles) {
        qsizetype found = Find(headers, role, [](const QString& folded) { return folded; });
        if (found < 0)
            found = Find(headers, role, FirstWord);
        columns.*role.column = found;
    }
    return columns;
}

std::optional<GeoPoint> PlaceColumns::PointOf(const Row& row) const {
    if (latitude >= 0 && longitude >= 0)
        return ReadCoordinateCells(Text(row, latitude), Text(row, longitude));
    return ReadCoordinateCell(Text(row, coordinates));
}

QString PlaceColumns::Text(const Row& row, qsizetype column) {
    return column >= 0 && column < row.size() ? row[column].text.trimmed() : QString();
}

} // namespace tarnel
