#include "app/CommandLine.h"

#include "core/PointExport.h"

#include <algorithm>
#include <optional>

namespace tarnel {

namespace {

CommandLine Invalid(const QString& error) {
    CommandLine line;
    line.action = CommandLine::Action::Invalid;
    line.error = error;
    return line;
}

// Whether `argument` is one of the command line's options, rather than one of Qt's that the
// windows take ("-style", "-platform").
bool IsOwnOption(const QString& argument) {
    static const QStringList options = {
        u"--adresses"_qs, u"--sortie"_qs,  u"--points"_qs,  u"--recommencer"_qs,
        u"--altitude"_qs, u"--insee"_qs,   u"--colonne"_qs, u"--help"_qs,
        u"-h"_qs,         u"--version"_qs, u"-v"_qs,        u"--fenetre-adresses"_qs};
    return options.contains(argument.section(u'=', 0, 0));
}

} // namespace

QStringList ColumnParts() {
    return {u"numero"_qs,  u"rue"_qs,  u"complement"_qs, u"code-postal"_qs,
            u"commune"_qs, u"pays"_qs, u"code-insee"_qs, u"adresse"_qs};
}

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine line;
    if (std::none_of(arguments.cbegin(), arguments.cend(), IsOwnOption)) {
        return line;
    }
    bool geocode = false;
    bool window = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const auto value = [&](const QString& option) -> std::optional<QString> {
            if (argument.startsWith(option + u'=')) {
                return argument.mid(option.size() + 1);
            }
            if (argument == option && i + 1 < arguments.size()) {
                return arguments[++i];
            }
            return std::nullopt;
        };
        if (argument == u"--help"_qs || argument == u"-h"_qs) {
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (argument == u"--version"_qs || argument == u"-v"_qs) {
            line.action = CommandLine::Action::Version;
            return line;
        }
        if (argument == u"--recommencer"_qs) {
            line.restart = true;
        } else if (argument == u"--altitude"_qs) {
            line.extra.altitude = true;
        } else if (argument == u"--insee"_qs) {
            line.extra.cityCode = true;
        } else if (argument.startsWith(u"--adresses"_qs)) {
            const std::optional<QString> file = value(u"--adresses"_qs);
            if (!file || file->isEmpty()) {
                return Invalid(QStringLiteral("--adresses attend le fichier d'adresses."));
            }
            line.input = *file;
            geocode = true;
        } else if (argument.startsWith(u"--sortie"_qs)) {
            const std::optional<QString> file = value(u"--sortie"_qs);
            if (!file || file->isEmpty()) {
                return Invalid(QStringLiteral("--sortie attend le fichier à écrire."));
            }
            line.output = *file;
        } else if (argument.startsWith(u"--points"_qs)) {
            const std::optional<QString> file = value(u"--points"_qs);
            if (!file || file->isEmpty()) {
                return Invalid(QStringLiteral("--points attend le fichier de points à écrire."));
            }
            const std::optional<ExportFormat> format = FormatOfFileName(*file);
            if (!format || *format == ExportFormat::GenericAsc) {
                return Invalid(QStringLiteral("--points écrit un fichier GPX, KML ou GeoJSON : "
                                              "son nom doit finir par .gpx, .kml ou .geojson."));
            }
            line.points = *file;
        } else if (argument.section(u'=', 0, 0) == u"--fenetre-adresses"_qs) {
            window = true;
            if (argument.contains(u'=')) {
                line.input = argument.section(u'=', 1);
            } else if (i + 1 < arguments.size() && !arguments[i + 1].startsWith(u'-')) {
                line.input = arguments[++i];
            }
        } else if (argument.startsWith(u"--colonne"_qs)) {
            const std::optional<QString> pair = value(u"--colonne"_qs);
            const QString part = pair ? pair->section(u'=', 0, 0).trimmed() : QString();
            const QString header = pair ? pair->section(u'=', 1).trimmed() : QString();
            if (!ColumnParts().contains(part) || header.isEmpty()) {
                return Invalid(QStringLiteral("--colonne attend PARTIE=EN-TÊTE, PARTIE étant "
                                              "l'une de : %1.")
                                   .arg(ColumnParts().join(QStringLiteral(", "))));
            }
            line.columns.append({part, header});
        } else {
            return Invalid(QStringLiteral("Option inconnue : « %1 ».").arg(argument));
        }
    }
    if (window) {
        if (geocode) {
            return Invalid(QStringLiteral("--fenetre-adresses et --adresses ne vont pas "
                                          "ensemble : la fenêtre géocode le fichier elle-même."));
        }
        line.action = CommandLine::Action::AddressWindow;
        return line;
    }
    if (!geocode) {
        return Invalid(QStringLiteral("Indiquez le fichier d'adresses avec --adresses FICHIER."));
    }
    line.action = CommandLine::Action::Geocode;
    return line;
}

QString CommandLineHelp() {
    return QStringLiteral(
        "Utilisation : tarnel [--adresses FICHIER [--sortie FICHIER] [--points FICHIER]\n"
        "                     [--recommencer] [--altitude] [--insee]\n"
        "                     [--colonne PARTIE=EN-TÊTE]...]\n"
        "       tarnel --fenetre-adresses [FICHIER]\n"
        "\n"
        "Sans option, Tarnel ouvre ses fenêtres.\n"
        "\n"
        "  --fenetre-adresses [FICHIER]\n"
        "                       ouvre les fenêtres de Tarnel avec la fenêtre « Géocoder un\n"
        "                       fichier d'adresses », sur FICHIER quand il est donné.\n"
        "  --adresses FICHIER   trouve les coordonnées de chaque ligne d'un fichier d'adresses\n"
        "                       (CSV, XLSX ou ODS), sans affichage graphique ; les adresses\n"
        "                       françaises sont cherchées dans la Base Adresse Nationale, les\n"
        "                       autres dans OpenStreetMap (une par seconde).\n"
        "  --sortie FICHIER     où écrire le résultat, dans le format du fichier lu ; par\n"
        "                       défaut à côté de lui (clients.csv → clients-geocode.csv).\n"
        "                       Le fichier d'adresses n'est jamais modifié.\n"
        "  --points FICHIER     écrit aussi les lignes trouvées en points GPX, KML ou GeoJSON\n"
        "                       (selon l'extension : .gpx, .kml, .geojson), chacun nommé de\n"
        "                       l'adresse trouvée, avec son altitude si --altitude est demandée ;\n"
        "                       les lignes à vérifier, introuvables ou en erreur n'y sont pas.\n"
        "  --recommencer        reprend le fichier depuis le début, même s'il avait été\n"
        "                       laissé inachevé (sinon le travail reprend où il s'était arrêté).\n"
        "  --altitude           ajoute la colonne altitude : l'altitude en mètres de chaque\n"
        "                       lieu trouvé en France (RGE ALTI®, IGN), vide hors des données.\n"
        "  --insee              ajoute la colonne code_insee : le code INSEE de la commune de\n"
        "                       chaque lieu trouvé, vide quand le service ne le donne pas.\n"
        "  --colonne PARTIE=EN-TÊTE\n"
        "                       indique la colonne d'une partie de l'adresse quand son en-tête\n"
        "                       n'est pas reconnu ; PARTIE : numero, rue, complement,\n"
        "                       code-postal, commune, pays, code-insee ou adresse (complète).\n"
        "  -h, --help           affiche cette aide.\n"
        "  -v, --version        affiche la version de Tarnel.\n"
        "\n"
        "Colonnes ajoutées : latitude, longitude, statut (trouvée, à vérifier, introuvable,\n"
        "erreur), adresse_trouvee, precision (numéro, rue, commune), source et remarque,\n"
        "puis altitude et code_insee quand ils sont demandés.\n"
        "\n"
        "Code de sortie : 0 quand le résultat est écrit, 1 quand le fichier ne peut pas être\n"
        "géocodé, 2 pour une commande incorrecte, 3 quand le travail est interrompu (il\n"
        "reprendra à la prochaine commande identique).\n");
}

} // namespace tarnel
