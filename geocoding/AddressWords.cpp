#include "geocoding/AddressWords.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace tarnel {

namespace {

// Kinds of way and how they are abbreviated, after the types the address base's own query
// reading knows (addok-france's TYPES).
const QHash<QString, QString>& Kinds() {
    static const QHash<QString, QString> kKinds = [] {
        const QList<QStringList> spellings{
            {u"rue"_qs, u"r"_qs},
            {u"avenue"_qs, u"av"_qs, u"ave"_qs, u"avn"_qs},
            {u"boulevard"_qs, u"bd"_qs, u"bld"_qs, u"blvd"_qs, u"bvd"_qs, u"boul"_qs},
            {u"place"_qs, u"pl"_qs},
            {u"chemin"_qs, u"ch"_qs, u"che"_qs, u"chem"_qs, u"chm"_qs},
            {u"route"_qs, u"rte"_qs, u"rt"_qs},
            {u"impasse"_qs, u"imp"_qs},
            {u"allee"_qs, u"all"_qs, u"allees"_qs},
            {u"cours"_qs, u"crs"_qs},
            {u"quai"_qs, u"qu"_qs, u"qai"_qs},
            {u"square"_qs, u"sq"_qs, u"squ"_qs},
            {u"passage"_qs, u"pass"_qs, u"psg"_qs},
            {u"faubourg"_qs, u"fg"_qs, u"fbg"_qs},
            {u"residence"_qs, u"res"_qs, u"resid"_qs},
            {u"lotissement"_qs, u"lot"_qs},
            {u"hameau"_qs, u"ham"_qs},
            {u"promenade"_qs, u"prom"_qs},
            {u"montee"_qs, u"mte"_qs},
            {u"esplanade"_qs, u"esp"_qs, u"espl"_qs},
            {u"carrefour"_qs, u"car"_qs, u"carr"_qs},
            {u"sentier"_qs, u"sent"_qs},
            {u"terrasse"_qs, u"tsse"_qs},
            {u"villa"_qs, u"vla"_qs},
            {u"cite"_qs},
            {u"domaine"_qs, u"dom"_qs},
            {u"traverse"_qs, u"trav"_qs},
            {u"ruelle"_qs, u"rle"_qs},
            {u"quartier"_qs, u"qua"_qs, u"qrt"_qs},
            {u"chaussee"_qs, u"chs"_qs},
            {u"porte"_qs, u"pte"_qs},
            {u"venelle"_qs, u"ven"_qs},
            {u"parvis"_qs},
            {u"clos"_qs},
            {u"voie"_qs},
            {u"pont"_qs},
            {u"mail"_qs},
            {u"sente"_qs},
        };
        QHash<QString, QString> kinds;
        for (const QStringList& spelling : spellings) {
            for (const QString& form : spelling) {
                kinds.insert(form, spelling.first());
            }
        }
        return kinds;
    }();
    return kKinds;
}

// Titles street names abbreviate.
const QHash<QString, QString>& Titles() {
    static const QHash<QString, QString> kTitles{
        {u"st"_qs, u"saint"_qs},        {u"ste"_qs, u"sainte"_qs},     {u"gal"_qs, u"general"_qs},
        {u"gen"_qs, u"general"_qs},     {u"mal"_qs, u"marechal"_qs},   {u"pdt"_qs, u"president"_qs},
        {u"pres"_qs, u"president"_qs},  {u"dr"_qs, u"docteur"_qs},     {u"pr"_qs, u"professeur"_qs},
        {u"prof"_qs, u"professeur"_qs}, {u"cdt"_qs, u"commandant"_qs}, {u"lt"_qs, u"lieutenant"_qs},
        {u"cne"_qs, u"capitaine"_qs},   {u"col"_qs, u"colonel"_qs},    {u"gde"_qs, u"grande"_qs},
        {u"gd"_qs, u"grand"_qs},        {u"nd"_qs, u"notre dame"_qs},  {u"ld"_qs, u"lieu dit"_qs},
    };
    return kTitles;
}

// Number words, so that "Cinq Martyrs" and "5 MARTYRS" read alike.
const QHash<QString, int>& NumberWords() {
    static const QHash<QString, int> kNumbers{
        {u"un"_qs, 1},        {u"une"_qs, 1},     {u"premier"_qs, 1},   {u"1er"_qs, 1},
        {u"deux"_qs, 2},      {u"trois"_qs, 3},   {u"quatre"_qs, 4},    {u"cinq"_qs, 5},
        {u"six"_qs, 6},       {u"sept"_qs, 7},    {u"huit"_qs, 8},      {u"neuf"_qs, 9},
        {u"dix"_qs, 10},      {u"onze"_qs, 11},   {u"douze"_qs, 12},    {u"treize"_qs, 13},
        {u"quatorze"_qs, 14}, {u"quinze"_qs, 15}, {u"seize"_qs, 16},    {u"vingt"_qs, 20},
        {u"vingts"_qs, 20},   {u"trente"_qs, 30}, {u"quarante"_qs, 40}, {u"cinquante"_qs, 50},
        {u"soixante"_qs, 60}, {u"cent"_qs, 100},  {u"cents"_qs, 100},   {u"mil"_qs, 1000},
        {u"mille"_qs, 1000},
    };
    return kNumbers;
}

const QSet<QString>& LinkWords() {
    static const QSet<QString> kLinks{u"de"_qs, u"d"_qs,   u"du"_qs, u"des"_qs, u"la"_qs,
                                      u"le"_qs, u"les"_qs, u"l"_qs,  u"au"_qs,  u"aux"_qs,
                                      u"a"_qs,  u"et"_qs,  u"en"_qs};
    return kLinks;
}

// Consecutive number words as one number: "dix huit" 18, "quatre vingt dix" 90, "mil neuf
// cent quarante cinq" 1945.
QStringList WithNumbers(const QStringList& words) {
    QStringList out;
    int value = 0;
    int last = 0;
    bool inNumber = false;
    const auto close = [&] {
        if (inNumber) {
            out.append(QString::number(value));
        }
        inNumber = false;
        value = 0;
        last = 0;
    };
    for (const QString& word : words) {
        const auto number = NumberWords().constFind(word);
        if (number == NumberWords().cend()) {
            close();
            out.append(word);
            continue;
        }
        const int n = *number;
        if (n == 100 || n == 1000 || (n == 20 && last == 4)) {
            const int scaled = std::max(last, 1) * n;
            value += scaled - last;
            last = scaled;
        } else {
            value += n;
            last = n;
        }
        inNumber = true;
    }
    close();
    return out;
}

bool WithinOneSlip(const QString& a, const QString& b) {
    if (std::abs(a.size() - b.size()) > 1) {
        return false;
    }
    qsizetype i = 0;
    while (i < a.size() && i < b.size() && a.at(i) == b.at(i)) {
        ++i;
    }
    // The rest after one replaced, dropped or added letter.
    return a.mid(i + 1) == b.mid(i + 1) || a.mid(i) == b.mid(i + 1) || a.mid(i + 1) == b.mid(i);
}

bool SameWord(const QString& typed, const QString& named) {
    if (typed == named) {
        return true;
    }
    const bool digits = typed.front().isDigit() || named.front().isDigit();
    if (digits) {
        return false;
    }
    if (typed.size() >= 3 && named.startsWith(typed)) {
        return true; // "lyc" for "lycee"
    }
    return typed.size() >= 5 && named.size() >= 5 && WithinOneSlip(typed, named);
}

const QRegularExpression& HouseNumberPattern() {
    static const QRegularExpression kNumber(
        QStringLiteral(
            "^\\s*(\\d{1,4})(?!\\d)(?:\\s*-\\s*\\d{1,4})?(?:\\s*(?:bis|ter|quater|quinquies|"
            "[a-z])\\b)?\\s*,?\\s*"),
        QRegularExpression::CaseInsensitiveOption);
    return kNumber;
}

} // namespace

QStringList FoldedWords(const QString& text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing) {
            continue;
        }
        switch (c.toLower().unicode()) {
        case u'œ':
            folded += QLatin1String("oe");
            break;
        case u'æ':
            folded += QLatin1String("ae");
            break;
        case u'ß':
            folded += QLatin1String("ss");
            break;
        default:
            folded += c.isLetterOrNumber() ? c.toLower() : QChar(u' ');
            break;
        }
    }
    return folded.split(u' ', Qt::SkipEmptyParts);
}

QString TownKey(const QString& town) {
    static const QRegularExpression kArrondissement(
        QStringLiteral("^(\\d{1,2}(e|er|eme|ieme|em|re)?|arrondissement|arr|ardt|cedex)$"));
    QStringList words = FoldedWords(town);
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (i > 0 && kArrondissement.match(words.at(i)).hasMatch()) {
            words.resize(i);
            break;
        }
        if (words.at(i) == u"st"_qs) {
            words[i] = u"saint"_qs;
        } else if (words.at(i) == u"ste"_qs) {
            words[i] = u"sainte"_qs;
        }
    }
    return words.join(u' ');
}

StreetName ReadStreetName(const QString& street) {
    QStringList words;
    for (const QString& word : FoldedWords(street)) {
        if (LinkWords().contains(word)) {
            continue;
        }
        const auto title = Titles().constFind(word);
        words.append(title != Titles().cend() ? title->split(u' ') : QStringList{word});
    }
    StreetName name;
    if (!words.isEmpty()) {
        if (const auto kind = Kinds().constFind(words.first()); kind != Kinds().cend()) {
            name.kind = *kind;
            words.removeFirst();
        } else if (words.size() > 1 && words.at(0) == u"rond"_qs && words.at(1) == u"point"_qs) {
            name.kind = u"rond point"_qs;
            words.remove(0, 2);
        }
    }
    for (QString& word : words) {
        // A kind further on is a naming word ("Rue de la Cité"), spelt out all the same.
        if (word.size() > 1) {
            word = Kinds().value(word, word);
        }
    }
    name.words = WithNumbers(words);
    return name;
}

bool SameStreet(const StreetName& typed, const StreetName& named) {
    if (!typed.kind.isEmpty() && !named.kind.isEmpty() && typed.kind != named.kind) {
        return false;
    }
    if (typed.words.isEmpty() || named.words.isEmpty()) {
        return typed.words.isEmpty() && named.words.isEmpty() && !typed.kind.isEmpty();
    }
    QSet<qsizetype> matched;
    for (const QString& word : typed.words) {
        qsizetype found = -1;
        for (qsizetype i = 0; i < named.words.size() && found < 0; ++i) {
            if (SameWord(word, named.words.at(i))) {
                found = i;
            }
        }
        if (found < 0) {
            return false;
        }
        matched.insert(found);
    }
    // A kind typed that the name lacks ("avenue" for "Metro Kleber"): every word must be typed.
    if (!typed.kind.isEmpty() && named.kind.isEmpty()) {
        return matched.size() == named.words.size();
    }
    return matched.size() * 2 >= named.words.size();
}

QString LeadingHouseNumber(const QString& street) {
    const auto match = HouseNumberPattern().match(street);
    // A number followed by nothing is no house number ("Route 66" is not, "66" alone neither).
    return match.hasMatch() && match.capturedEnd() < street.size() ? match.captured(1) : QString();
}

QString WithoutHouseNumber(const QString& street) {
    const auto match = HouseNumberPattern().match(street);
    return match.hasMatch() && match.capturedEnd() < street.size()
               ? street.mid(match.capturedEnd()).trimmed()
               : street.trimmed();
}

QString FromHouseNumber(const QString& street) {
    static const QRegularExpression kNumbered(
        QStringLiteral("(?<!\\S)\\d{1,4}(?:\\s*(?:bis|ter|quater|[a-z]))?,?\\s+(\\S+)"),
        QRegularExpression::CaseInsensitiveOption);
    if (!LeadingHouseNumber(street).isEmpty()) {
        return street;
    }
    for (auto it = kNumbered.globalMatch(street); it.hasNext();) {
        const auto match = it.next();
        const QStringList next = FoldedWords(match.captured(1));
        if (!next.isEmpty() && Kinds().contains(next.first())) {
            return street.mid(match.capturedStart());
        }
    }
    return street;
}

QString DepartementOfPostcode(const QString& postcode) {
    if (postcode.size() != 5) {
        return {};
    }
    if (postcode == u"97133"_qs) {
        return u"977"_qs;
    }
    if (postcode == u"97150"_qs) {
        return u"978"_qs;
    }
    if (postcode.startsWith(u"97"_qs) || postcode.startsWith(u"98"_qs)) {
        return postcode.left(3);
    }
    if (postcode.startsWith(u"20"_qs)) {
        return postcode.mid(2).toInt() < 200 ? u"2A"_qs : u"2B"_qs;
    }
    return postcode.left(2);
}

} // namespace tarnel
