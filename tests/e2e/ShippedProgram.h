#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace tarnel::testing {

// The page the map view shows, as the browser's remote-debugging list gives it.
struct ShownPage {
    QString url;
    QString title;
};

// The program as shipped (TARNEL_SHIPPED_PROGRAM), with its own map service, run from a copy in
// a folder of its own on the X display of the test, with configuration and cache folders of its
// own (so that no tarnel.conf of the machine counts), the given geocoder endpoints, and only the
// loopback address reachable by the browser. Ended when destroyed.
class ShippedProgram {
public:
    ShippedProgram() = default;
    ShippedProgram(const ShippedProgram&) = delete;
    ShippedProgram& operator=(const ShippedProgram&) = delete;
    ~ShippedProgram();

    // Starts it; an empty text when it runs, otherwise what went wrong.
    QString Start(const QString& franceUrl, const QString& worldUrl);

    // The page the map view shows; empty before there is one.
    static ShownPage MapViewPage();

    // Waits for the map view's first page, then gives the main window the keyboard focus;
    // false when no page or no main window came.
    static bool FocusMainWindow();

    QProcess& process() { return process_; }

private:
    QTemporaryDir home_;
    QProcess process_;
};

} // namespace tarnel::testing
