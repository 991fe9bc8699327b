#pragma once

#include <QByteArray>
#include <QString>

namespace tarnel {

// The agent the program names itself with to open-data services: program, version, the program's
// page and the contact given for this installation, as Nominatim's usage policy asks
// ("Tarnel/1.0.0 (+https://tarnel.example; ops@example.org)"). Characters that have no place
// in a header (controls, anything beyond printable ASCII, parentheses) are left out of the
// contact.
QByteArray OpenDataUserAgent(const QString& contact = {});

} // namespace tarnel
