#pragma once

#include "addressfile/BatchOutput.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

namespace tarnel {

// What the command line asks of the program, when it asks anything: the windows are started
// only when it names none of the options below.
struct CommandLine {
    enum class Action {
        Windows,       // no option of the command line: the program's windows
        Help,          // --help, -h
        Version,       // --version, -v
        Geocode,       // --adresses FICHIER [--sortie FICHIER] [--points FICHIER] [--recommencer]
                       // [--altitude] [--insee] [--colonne P=EN-TÊTE]
        AddressWindow, // --fenetre-adresses [FICHIER]: the windows, with the window that
                       // geocodes a file of addresses open (on FICHIER when given)
        Invalid,       // `error` says why
    };
    Action action = Action::Windows;
    QString input;  // the file of addresses; for AddressWindow, empty when none was given
    QString output; // empty: next to the input
    QString points; // the rows found as GPX, KML or GeoJSON; empty: none
    bool restart = false;
    ExtraColumns extra; // --altitude, --insee
    // The address columns named by the user: part ("numero", "rue", "complement",
    // "code-postal", "commune", "pays", "code-insee", "adresse") and the header naming it.
    QList<std::pair<QString, QString>> columns;
    QString error; // in French
};

// Reads the arguments, the program's name left out. Without any option of the command line they
// are left to the windows (Qt's own, "-style fusion"); with one, every argument must be one.
CommandLine ParseCommandLine(const QStringList& arguments);

// The text of --help, in French.
QString CommandLineHelp();

// The parts --colonne knows.
QStringList ColumnParts();

} // namespace tarnel
