#include "addressfile/RowAddress.h"

#include <QStringList>

namespace tarnel {

namespace {

const QString kFrance = QStringLiteral("FRANCE");

QString CellText(const Row& row, qsizetype column) {
    return column >= 0 && column < row.size() ? row[column].text.trimmed() : QString();
}

// Characters that no address holds: controls (C0 and C1, tab and line breaks aside) and the
// replacement character of bytes that could not be read.
bool HoldsNoText(const QString& text) {
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        const bool control = (code < 0x20 && code != u'\t' && code != u'\n' && code != u'\r') ||
                             (code >= 0x7F && code < 0xA0);
        if (control || code == 0xFFFD) {
            return true;
        }
    }
    return false;
}

QString Joined(const QStringList& parts) {
    QStringList kept = parts;
    kept.removeIf([](const QString& part) { return part.isEmpty(); });
    return kept.join(u' ');
}

} // namespace

RowAddress ReadRowAddress(const Row& row, const AddressColumns& columns) {
    RowAddress address;
    const QString full = CellText(row, columns.fullAddress);
    const QString number = CellText(row, columns.number);
    const QString street = CellText(row, columns.street);
    const QString complement = CellText(row, columns.complement);
    const QString town = CellText(row, columns.city);
    const QString country = CellText(row, columns.country);
    const QString postcode = columns.postcode >= 0 && columns.postcode < row.size()
                                 ? PostalCodeText(row[columns.postcode])
                                 : QString();
    for (const QString& part : {full, number, street, complement, town, country, postcode}) {
        if (part.size() > kLongestPart) {
            address.badRow = QStringLiteral("Adresse trop longue (%1 caractères) : la ligne est "
                                            "gardée telle quelle.")
                                 .arg(part.size());
            return address;
        }
        if (HoldsNoText(part)) {
            address.badRow = QStringLiteral("La ligne contient des caractères qui ne sont pas du "
                                            "texte : elle est gardée telle quelle.");
            return address;
        }
    }
    QString text;
    if (!full.isEmpty()) {
        QString completed = full;
        for (const QString& part : {town, postcode}) {
            if (!part.isEmpty() && !full.contains(part, Qt::CaseInsensitive)) {
                completed += QStringLiteral(", ") + part;
            }
        }
        text = completed;
        if (!country.isEmpty()) {
            text = completed + QStringLiteral(", ") + country;
        }
    } else {
        const QString way = street.isEmpty() ? complement : street;
        const QString place = Joined({number, way});
        text = QStringList{place, town, country.isEmpty() ? kFrance : country, postcode}.join(
            QStringLiteral(", "));
    }
    address.typed = ParseAddressQuery(text);
    if (!full.isEmpty() && country.isEmpty() &&
        address.typed.region == AddressQuery::Region::World && address.typed.country.isEmpty()) {
        // A full address without a country, in a file of a French user: France.
        address.typed = ParseAddressQuery(
            QStringList{address.typed.street, address.typed.town, kFrance, address.typed.code}.join(
                QStringLiteral(", ")));
    }
    if (address.typed.IsBare()) {
        address.nothingToAsk = QStringLiteral("Aucune adresse sur cette ligne.");
    } else if (!address.typed.problem.isEmpty()) {
        address.nothingToAsk = address.typed.problem;
    }
    address.world = address.typed.region == AddressQuery::Region::World;
    return address;
}

} // namespace tarnel
