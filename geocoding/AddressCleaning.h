#pragma once

#include <QString>

namespace tarnel {

// Drops from one part of an address what the French address base's own query cleaning
// (addok-france's clean_query) drops, since no address of the base carries it: postal boxes
// ("BP 123", "B.P. N 7015", "CS 40001", "TSA 30719", "CIDEX 304"), "Cedex N", a floor ("4ème
// étage") and "lieu-dit" before a name; "s/" and "s/s" are spelt "sur" and "sous". Blanks are
// collapsed and the part trimmed.
QString CleanAddressPart(const QString& part);

// True when the part holds "Cedex": its five-digit code is then no postal code of a place and
// only its département tells where the place is.
bool MentionsCedex(const QString& part);

} // namespace tarnel
