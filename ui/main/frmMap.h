#pragma once

#include "core/LastPositionStore.h"
#include "platform/MapView.h"
#include "ui/common/MainWindowAccess.h"
#include "ui/common/Twips.h"
#include "ui/common/WindowContext.h"

#include <QPointer>
#include <QSize>
#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnel {

class FRM_Conv;
class FRmChCoord;
class frmAbout;

// The main window: the two searches, the map view and the commands that open the other
// windows. Reads the last position and navigates the map when created.
class frmMap : public QWidget, public MainWindowAccess {
    Q_OBJECT
public:
    // Takes ownership of `mapView`, the map shown below the search areas.
    frmMap(WindowContext& context, MapView* mapView);
    ~frmMap() override;

    // The design client area, in twips.
    static constexpr int kDesignWidth = 12240;
    static constexpr int kDesignHeight = 7575;
    // Where the map view stands and what its size leaves of the window's outer size.
    static constexpr int kMapViewTop = 1800;
    static constexpr int kWidthMargin = 220;
    static constexpr int kHeightMargin = 2350;

    // The map view's size, in twips, for a window of outer size `outerTwips`: each dimension
    // is the outer one less its margin, or, when that would be negative, `previousTwips`' one.
    static QSize MapViewSizeFor(QSize outerTwips, QSize previousTwips);

    QString BoxText(MainBox box) const override;
    void SetBoxText(MainBox box, const QString& text) override;
    // "Rechercher par coordonnées": the map shows the latitude and longitude typed, which are
    // remembered for the next start; "Une valeur est attendue !" when either box is empty.
    void Command4_Click() override;
    void NavigateMap(const QString& url) override;

    // "Rechercher avec l'adresse": the map shows the address typed, remembered for the next start.
    void Command3_Click();

signals:
    // Local files were dropped on the window (outside its map, which has its own): their paths.
    void FilesDropped(const QStringList& paths);

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Local files may be dropped on the window; nothing else it shows changes.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Closing the main window, by "&Quitter" or its title bar, ends the program even while
    // tool windows filled by a copy command exist hidden.
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildAddressFrame();
    void BuildCoordinateFrame();
    void BuildCommandFrame();
    void ConnectHandlers();
    QLineEdit* Box(MainBox box) const;

    // Event handlers, one per control event, as the controls run them.
    void Form_Load();       // at creation: the map shows the last position remembered
    void Form_Resize();     // the map view follows the window; kept when that would go negative
    void Command1_Click();  // "&Conversion coordonnées GPS": the conversion window, modal
    void Command2_Click();  // "&A propos": the about window, modal
    void Command5_Click();  // "&Quitter": the program ends, every window with it
    void Command6_Click();  // "Rechercher coordonnées GPS": the address window, modal
    void Command7_Click();  // "Aide": the help document opens in the system's reader
    void Command8_Click();  // "..." of the address: the four boxes copied into the address window
    void Command9_Click();  // "..." of the latitude: copied into the conversion window's Txt_DEC
    void Command10_Click(); // "..." of the longitude: copied into the conversion window's Txt_DEC
    // Key presses of the postal-code box: only digits, a full stop or backspace pass.
    void txtZipCode_KeyPress(int& keyAscii);
    // "Reprendre ce point" of the map: the point into the latitude and longitude, and its
    // address, when one was found, into the four address boxes; no search, nothing saved.
    void WebBrowser1_PointTaken(const QString& latitude, const QString& longitude,
                                const QString& street, const QString& city, const QString& postcode,
                                const QString& country);

    // Remembers `value` as the last position; the first failure of a run is reported.
    void SaveLastPosition(const QString& value);
    FRM_Conv* ConversionWindow();
    FRmChCoord* AddressWindow();

    WindowContext& context_;
    TwipScale scale_;
    MapView* WebBrowser1_;
    QSize mapViewTwips_{5175, 3255};
    LastPositionStore lastPosition_;
    bool saveFailureReported_ = false;

    QGroupBox* Frame1_ = nullptr;
    QGroupBox* Frame2_ = nullptr;
    QGroupBox* Frame3_ = nullptr;
    QLineEdit* txtStreet_ = nullptr;
    QLineEdit* txtCity_ = nullptr;
    QLineEdit* txtZipCode_ = nullptr;
    QLineEdit* txtState_ = nullptr;
    QLineEdit* txtLat_ = nullptr;
    QLineEdit* txtLong_ = nullptr;
    QPushButton* Command1_ = nullptr;
    QPushButton* Command2_ = nullptr;
    QPushButton* Command3_ = nullptr;
    QPushButton* Command4_ = nullptr;
    QPushButton* Command5_ = nullptr;
    QPushButton* Command6_ = nullptr;
    QPushButton* Command7_ = nullptr;
    QPushButton* Command8_ = nullptr;
    QPushButton* Command9_ = nullptr;
    QPushButton* Command10_ = nullptr;

    QPointer<FRM_Conv> conversionWindow_;
    QPointer<FRmChCoord> addressWindow_;
    QPointer<frmAbout> aboutWindow_;
};

} // namespace tarnel
