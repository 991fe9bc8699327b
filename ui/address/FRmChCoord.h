#pragma once

#include "core/GenericAsc.h"
#include "ui/common/MainWindowAccess.h"
#include "ui/common/ToolWindow.h"
#include "ui/common/WindowContext.h"

#include <QByteArray>
#include <atomic>
#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;

class QEventLoop;

namespace tarnel {

class CommandButton;

// The address window: looks up the coordinates of an address on the map service, hands them
// and the address to the main window, and exports them as a one-point Generic.ASC file, or as
// GPX, KML or GeoJSON for the programs that read those.
// Closing it destroys it, so the next opening starts again from the sample address.
class FRmChCoord : public ToolWindow {
    Q_OBJECT
public:
    FRmChCoord(MainWindowAccess& mainWindow, WindowContext& context, QWidget* owner);

    // Puts the main window's address into the four address boxes (its copy button).
    void FillAddress(const QString& street, const QString& zipCode, const QString& city,
                     const QString& state);

    // True when the country or the postal code is empty once trimmed. Changes nothing.
    bool MissingData() const;

    // While a lookup waits for the map service: the window keeps painting but takes no input
    // and refuses to close.
    bool RequestInProgress() const { return requestInProgress_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();

    // Event handlers, one per control event, as the controls run them.
    // "Rechercher les coordonnées GPS de l'adresse": the coordinates found fill Latitude and
    // Longitude and enable the two commands that use them, or a message says why not.
    void AskGoogleButton_Click();
    void Command1_Click(); // "&Fermer": close; the next opening starts from the sample address
    // "Appliquer à la fenêtre de navigation": coordinates and address into the main window's
    // boxes, whose map then shows the coordinates.
    void Command2_Click();
    void Command3_Click(); // "Effacer": the six boxes emptied, "Appliquer…" disabled again
    // "Exporter": the coordinates and the address saved as a Generic.ASC, GPX, KML or GeoJSON
    // file, or a message says why not.
    void Command4_Click();
    void Command5_Click(); // "Copier l'adresse…": the address alone into the main window's boxes
    // Key presses of the three numeric boxes: only a sign, digits, a full stop or backspace pass.
    void Zip_KeyPress(int index, int& keyAscii);
    void Latitude_KeyPress(int index, int& keyAscii);
    void Longitude_KeyPress(int index, int& keyAscii);

    // Fetches `url` on a worker thread while a local event loop keeps the window painted; user
    // input aimed at the window is dropped until the page (or nothing) has arrived. Nothing
    // when the application was asked to quit meanwhile: the fetch is then abandoned at once.
    std::optional<QByteArray> FetchWhileWindowWaits(const QString& url);
    // The altitude the map service knows of the point of `boxes`, for the exports; none when
    // the boxes hold no point, there is no service or it knows none; nothing at all when the
    // application was asked to quit meanwhile.
    struct AltitudeFetch {
        std::optional<double> metres;
    };
    std::optional<AltitudeFetch> FetchAltitude(const ExportedPoint& boxes);
    bool IsOwnWidget(QObject* object) const;

    MainWindowAccess& mainWindow_;
    WindowContext& context_;
    bool requestInProgress_ = false;
    // Set when the application is asked to quit during the request; the fetch then ends.
    std::atomic<bool> abandonFetch_ = false;
    QEventLoop* fetchLoop_ = nullptr; // the loop that waits for the fetch, while it runs
    // The name confirmed in the last export, offered again by the next one while the window
    // stays open.
    QString lastExportPath_;

    QWidget* Picture1_ = nullptr;
    QLineEdit* Street_ = nullptr;
    QLineEdit* Zip_ = nullptr;
    QLineEdit* City_ = nullptr;
    QLineEdit* State_ = nullptr;
    QLineEdit* Latitude_ = nullptr;
    QLineEdit* Longitude_ = nullptr;
    CommandButton* Command5_ = nullptr;
    CommandButton* AskGoogleButton_ = nullptr;
    CommandButton* Command2_ = nullptr;
    QToolButton* Command3_ = nullptr;
    QToolButton* Command4_ = nullptr;
    QToolButton* Command1_ = nullptr;
};

} // namespace tarnel
