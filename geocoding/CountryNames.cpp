#include "geocoding/CountryNames.h"

#include "geocoding/AddressWords.h"

#include <QHash>
#include <QSet>
#include <unicode/uldnames.h>
#include <unicode/uloc.h>

namespace tarnel {

namespace {

constexpr int32_t kNameCapacity = 128;

QString DisplayCountry(const char* locale, const char* inLocale) {
    UChar buffer[kNameCapacity];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = uloc_getDisplayCountry(locale, inLocale, buffer, kNameCapacity, &status);
    if (U_FAILURE(status) || status == U_USING_DEFAULT_WARNING || length <= 0 ||
        length > kNameCapacity) {
        return {};
    }
    return QString(reinterpret_cast<const QChar*>(buffer), length);
}

// The short name ICU gives a region in `language` ("UK", "US"), when it has one.
QString ShortCountry(const char* region, const char* language) {
    UDisplayContext shortNames = UDISPCTX_LENGTH_SHORT;
    UErrorCode status = U_ZERO_ERROR;
    ULocaleDisplayNames* names = uldn_openForContext(language, &shortNames, 1, &status);
    if (U_FAILURE(status)) {
        return {};
    }
    UChar buffer[kNameCapacity];
    const int32_t length = uldn_regionDisplayName(names, region, buffer, kNameCapacity, &status);
    uldn_close(names);
    if (U_FAILURE(status) || length <= 0 || length > kNameCapacity) {
        return {};
    }
    return QString(reinterpret_cast<const QChar*>(buffer), length);
}

QString Key(const QString& name) {
    return FoldedWords(name).join(u' ');
}

struct CountryTables {
    QHash<QString, QString> names; // folded name → code
    QHash<QString, QString> codes; // folded alpha-2 or alpha-3 → code
};

CountryTables BuildTables() {
    CountryTables tables;
    QSet<QString> known;
    for (const char* const* code = uloc_getISOCountries(); *code != nullptr; ++code) {
        const QString lower = QString::fromLatin1(*code).toLower();
        known.insert(lower);
        const QByteArray locale = QByteArray("und_") + *code;
        for (const char* language : {"fr", "en"}) {
            for (const QString& name :
                 {DisplayCountry(locale.constData(), language), ShortCountry(*code, language)}) {
                if (!name.isEmpty()) {
                    tables.names.insert(Key(name), lower);
                }
            }
        }
        tables.codes.insert(lower, lower);
        tables.codes.insert(QString::fromLatin1(uloc_getISO3Country(locale.constData())).toLower(),
                            lower);
    }
    // Each country's name in its own languages: those of the locales ICU has for it.
    for (int32_t i = 0; i < uloc_countAvailable(); ++i) {
        const char* locale = uloc_getAvailable(i);
        char region[ULOC_COUNTRY_CAPACITY] = {};
        UErrorCode status = U_ZERO_ERROR;
        uloc_getCountry(locale, region, ULOC_COUNTRY_CAPACITY, &status);
        const QString lower = QString::fromLatin1(region).toLower();
        if (U_FAILURE(status) || !known.contains(lower)) {
            continue;
        }
        const QString name = DisplayCountry(locale, locale);
        if (!name.isEmpty()) {
            tables.names.insert(Key(name), lower);
        }
    }
    tables.codes.remove(QString());
    tables.names.remove(QString());
    return tables;
}

const QSet<QString>& FrenchOverseas() {
    static const QSet<QString> kOverseas{u"gp"_qs, u"mq"_qs, u"gf"_qs, u"re"_qs,
                                         u"yt"_qs, u"pm"_qs, u"bl"_qs, u"mf"_qs};
    return kOverseas;
}

} // namespace

QString CountryCode(const QString& name, bool codesToo) {
    static const CountryTables kTables = BuildTables();
    const QString key = Key(name);
    if (const auto found = kTables.names.constFind(key); found != kTables.names.cend()) {
        return *found;
    }
    return codesToo ? kTables.codes.value(key) : QString();
}

bool IsFrenchCode(const QString& code) {
    return code == u"fr"_qs || FrenchOverseas().contains(code);
}

QString CountryFamily(const QString& code) {
    return IsFrenchCode(code) ? u"fr"_qs : code;
}

} // namespace tarnel
