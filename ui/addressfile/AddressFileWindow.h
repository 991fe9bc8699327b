#pragma once

#include "addressfile/AddressColumns.h"
#include "addressfile/BatchRun.h"
#include "addressfile/RowOutcome.h"
#include "platform/MapView.h"
#include "platform/PlatformServices.h"
#include "ui/addressfile/ResultRows.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QWidget;

namespace tarnel {

class BatchRunner;
class FilePreviewLoader;
class PlacesAdder;
class RowRetry;
struct FilePreview;

// What the window works with, all given by its opener.
struct AddressFileSetup {
    // The services of one run, made afresh for each (a run cancelled cancels its services).
    std::function<std::shared_ptr<const BatchServices>()> services;
    QString journal; // the batches' journal (BatchJournalFile)
    QString places;  // the user's places (PlaceStore::DefaultPath)
    // Asks the user for a file of addresses: its path, empty when cancelled.
    std::function<QString(QWidget* parent)> chooseFile;
};

// « Géocoder un fichier d'adresses »: a file of addresses chosen or given, its first rows and
// the columns it will use (recognised ones preselected, the user's choice when none is), a run
// of the batch beside the file with its progress, pause and cancel, the counts by status, then
// the rows to review, each of which may be asked again with its address corrected, and what to
// do with the result: save it elsewhere, add the rows found to the user's places. A file left
// unfinished is offered to be resumed or started again. The work runs on the batch's threads; the
// window only shows what they report.
class AddressFileWindow : public QWidget {
    Q_OBJECT
public:
    // How many data rows the preview shows.
    static constexpr qsizetype kPreviewRows = 20;

    AddressFileWindow(AddressFileSetup setup, PlatformServices& platform,
                      QWidget* parent = nullptr);
    ~AddressFileWindow() override;

    // Shows the file at `path` (absolute) and its columns once read (on a thread of its own), or
    // the reader's message when it is not a table; forgets the previous file and its result.
    // Refused, with a message, while a run goes on.
    void OpenFile(const QString& path);

signals:
    // A run starts: the points of the previous one are gone.
    void RunStarted();
    // Rows of the run placed on the map as they are decided: found, or to review with a place.
    void PointsFound(const QList<tarnel::FilePoint>& points);

private:
    void BuildControls();
    void ConnectHandlers();
    QWidget* BuildFileArea();
    QWidget* BuildColumnArea();
    QWidget* BuildRunArea();
    QWidget* BuildResultArea();
    AddressColumns ChosenColumns() const;
    void ShowColumns();
    void Start(bool restart);
    void ShowRunning(bool running);
    void ShowCounts(const std::array<qsizetype, 4>& counts);
    void Say(const QString& text);
    void EmitPoints(const QList<FilePoint>& points);

    // Handlers: what the user sees happen.
    void Choose_Click();    // the file chooser; the file chosen is shown
    void Column_Changed();  // « Lancer » follows whether the columns hold an address
    void Start_Click();     // the run starts, the map's file points cleared
    void Restart_Click();   // the unfinished run forgotten, the file done from the start
    void Pause_Click();     // « Pause » holds the run after its chunk; « Reprendre » goes on
    void Cancel_Click();    // the run stops; what was done stays for next time
    void Save_Click();      // the result copied where the user chooses
    void AddPlaces_Click(); // the rows found added to the user's places
    void AskAgain_Click();  // the row chosen in the list asked again, its address edited
    void Preview_Loaded(const FilePreview& preview, qsizetype unfinishedRows); // rows, columns
    void Batch_Progressed(const BatchProgress& progress);
    void Batch_Ended(const BatchEnd& end, const QList<ResultRow>& rows, const QString& readError);
    void Retry_Done(qsizetype line, const RowOutcome& outcome, const QString& problem);
    void Places_Added(qsizetype added, const QString& problem);

    AddressFileSetup setup_;
    PlatformServices& platform_;
    QString input_;
    QString output_;
    AddressColumns recognised_;
    BatchRunner* runner_ = nullptr;
    FilePreviewLoader* loader_ = nullptr;
    RowRetry* retry_ = nullptr;
    PlacesAdder* adder_ = nullptr;
    AddressColumns runColumns_;               // those of the last run
    std::array<qsizetype, 4> statusCounts_{}; // of the last run, by RowStatus
    bool paused_ = false;
    QSet<qint64> shownLines_; // rows already handed to the map in this run
    QList<ResultRow> found_;

    QLabel* fileLabel_;
    QPushButton* choose_;
    QLabel* message_;
    QTableWidget* preview_;
    std::array<QComboBox*, 7> columns_;
    QWidget* unfinished_;
    QLabel* unfinishedLabel_;
    QPushButton* resume_;
    QPushButton* restart_;
    QPushButton* start_;
    QPushButton* pause_;
    QPushButton* cancel_;
    QProgressBar* progress_;
    QLabel* progressLabel_;
    QLabel* counts_;
    QTableWidget* review_;
    QPushButton* save_;
    QPushButton* addPlaces_;
    QPushButton* askAgain_;
};

} // namespace tarnel
