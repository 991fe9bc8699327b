#include "ui/addressfile/AddressFileWindow.h"

#include "addressfile/BatchOutput.h"
#include "addressfile/ProgressText.h"
#include "addressfile/RowOutcome.h"
#include "core/FileReplace.h"
#include "ui/addressfile/BatchRunner.h"
#include "ui/addressfile/FilePreviewLoader.h"
#include "ui/addressfile/PlacesAdder.h"
#include "ui/addressfile/RowRetry.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <utility>

namespace tarnel {

namespace {

// The parts the user may point at a column, in the order of the combo boxes.
struct ColumnPart {
    const char* name; // objectName of its combo box
    const char* caption;
    qsizetype AddressColumns::*column;
};

constexpr ColumnPart kParts[] = {
    {"numberColumn", "Numéro", &AddressColumns::number},
    {"streetColumn", "Rue", &AddressColumns::street},
    {"complementColumn", "Complément", &AddressColumns::complement},
    {"postcodeColumn", "Code postal", &AddressColumns::postcode},
    {"cityColumn", "Commune", &AddressColumns::city},
    {"countryColumn", "Pays", &AddressColumns::country},
    {"fullAddressColumn", "Adresse complète", &AddressColumns::fullAddress},
};

QPushButton* Button(const QString& text, const char* name) {
    auto* button = new QPushButton(text);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(QString(text).remove(u'…'));
    return button;
}

QLabel* Label(const char* name, const QString& accessibleName) {
    auto* label = new QLabel;
    label->setObjectName(QLatin1String(name));
    label->setAccessibleName(accessibleName);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}

QTableWidget* Table(const char* name, const QString& accessibleName) {
    auto* table = new QTableWidget;
    table->setObjectName(QLatin1String(name));
    table->setAccessibleName(accessibleName);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setTabKeyNavigation(false);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

void SetCell(QTableWidget* table, int row, int column, const QString& text) {
    table->setItem(row, column, new QTableWidgetItem(text));
}

QString PlacesAddedText(qsizetype added) {
    return added == 1
               ? QStringLiteral("1 lieu a été ajouté à Mes lieux.")
               : QStringLiteral("%1 lieux ont été ajoutés à Mes lieux.").arg(FrenchNumber(added));
}

} // namespace

AddressFileWindow::AddressFileWindow(AddressFileSetup setup, PlatformServices& platform,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window)
    , setup_(std::move(setup))
    , platform_(platform) {
    setObjectName(QStringLiteral("AddressFileWindow"));
    setWindowTitle(QStringLiteral("Géocoder un fichier d'adresses"));
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls();
    ConnectHandlers();
    ShowRunning(false);
    resize(760, 720);
}

AddressFileWindow::~AddressFileWindow() = default;

void AddressFileWindow::BuildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildFileArea());
    message_ = Label("message", QStringLiteral("Message"));
    layout->addWidget(message_);
    preview_ = Table("preview", QStringLiteral("Premières lignes du fichier"));
    preview_->setWordWrap(false);
    layout->addWidget(preview_, 2);
    layout->addWidget(BuildColumnArea());
    layout->addWidget(BuildRunArea());
    layout->addWidget(BuildResultArea(), 2);
}

QWidget* AddressFileWindow::BuildFileArea() {
    auto* area = new QWidget;
    auto* row = new QHBoxLayout(area);
    row->setContentsMargins(0, 0, 0, 0);
    fileLabel_ = Label("fileName", QStringLiteral("Fichier d'adresses"));
    fileLabel_->setText(QStringLiteral("Aucun fichier choisi."));
    choose_ = Button(QStringLiteral("Choisir un fichier…"), "chooseFile");
    row->addWidget(fileLabel_, 1);
    row->addWidget(choose_);
    return area;
}

QWidget* AddressFileWindow::BuildColumnArea() {
    auto* box = new QGroupBox(QStringLiteral("Colonnes utilisées"));
    auto* grid = new QGridLayout(box);
    constexpr int kPerRow = 4;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        columns_[i] = new QComboBox;
        columns_[i]->setObjectName(QLatin1String(kParts[i].name));
        columns_[i]->setAccessibleName(QString::fromUtf8(kParts[i].caption));
        auto* label = new QLabel(QString::fromUtf8(kParts[i].caption) + QStringLiteral(" :"));
        label->setBuddy(columns_[i]);
        const int row = static_cast<int>(i) / kPerRow;
        const int column = static_cast<int>(i) % kPerRow * 2;
        grid->addWidget(label, row, column);
        grid->addWidget(columns_[i], row, column + 1);
        grid->setColumnStretch(column + 1, 1);
    }
    return box;
}

QWidget* AddressFileWindow::BuildRunArea() {
    auto* area = new QWidget;
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);

    unfinished_ = new QWidget;
    auto* unfinishedRow = new QHBoxLayout(unfinished_);
    unfinishedRow->setContentsMargins(0, 0, 0, 0);
    unfinishedLabel_ = Label("unfinished", QStringLiteral("Travail inachevé"));
    resume_ = Button(QStringLiteral("Reprendre"), "resumeUnfinished");
    restart_ = Button(QStringLiteral("Recommencer"), "restart");
    unfinishedRow->addWidget(unfinishedLabel_, 1);
    unfinishedRow->addWidget(resume_);
    unfinishedRow->addWidget(restart_);
    unfinished_->hide();
    layout->addWidget(unfinished_);

    auto* buttons = new QHBoxLayout;
    start_ = Button(QStringLiteral("Lancer"), "start");
    pause_ = Button(QStringLiteral("Pause"), "pause");
    cancel_ = Button(QStringLiteral("Annuler"), "cancel");
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setAccessibleName(QStringLiteral("Avancement"));
    buttons->addWidget(start_);
    buttons->addWidget(progress_, 1);
    buttons->addWidget(pause_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    progressLabel_ = Label("progressText", QStringLiteral("Avancement"));
    counts_ = Label("counts", QStringLiteral("Lignes par statut"));
    layout->addWidget(progressLabel_);
    layout->addWidget(counts_);
    return area;
}

QWidget* AddressFileWindow::BuildResultArea() {
    auto* area = new QWidget;
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    review_ = Table("review", QStringLiteral("Lignes à vérifier ou introuvables"));
    review_->setColumnCount(4);
    review_->setWordWrap(true);
    review_->setHorizontalHeaderLabels({QStringLiteral("Ligne"), QStringLiteral("Adresse"),
                                        QStringLiteral("Statut"), QStringLiteral("Remarque")});
    review_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    review_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    review_->setColumnWidth(1, 260);
    // Only the address may be edited, to ask the row again.
    review_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    layout->addWidget(review_, 1);
    auto* buttons = new QHBoxLayout;
    save_ = Button(QStringLiteral("Enregistrer…"), "save");
    addPlaces_ = Button(QStringLiteral("Ajouter à mes lieux"), "addPlaces");
    askAgain_ = Button(QStringLiteral("Demander de nouveau"), "askAgain");
    askAgain_->setToolTip(QStringLiteral("Corrigez l'adresse de la ligne choisie dans la liste "
                                         "(F2), puis demandez-la de nouveau."));
    askAgain_->setAccessibleDescription(askAgain_->toolTip());
    buttons->addWidget(askAgain_);
    buttons->addStretch(1);
    buttons->addWidget(save_);
    buttons->addWidget(addPlaces_);
    layout->addLayout(buttons);
    return area;
}

void AddressFileWindow::ConnectHandlers() {
    connect(choose_, &QPushButton::clicked, this, &AddressFileWindow::Choose_Click);
    for (QComboBox* combo : columns_) {
        connect(combo, &QComboBox::currentIndexChanged, this, &AddressFileWindow::Column_Changed);
    }
    connect(start_, &QPushButton::clicked, this, &AddressFileWindow::Start_Click);
    connect(resume_, &QPushButton::clicked, this, &AddressFileWindow::Start_Click);
    connect(restart_, &QPushButton::clicked, this, &AddressFileWindow::Restart_Click);
    connect(pause_, &QPushButton::clicked, this, &AddressFileWindow::Pause_Click);
    connect(cancel_, &QPushButton::clicked, this, &AddressFileWindow::Cancel_Click);
    connect(save_, &QPushButton::clicked, this, &AddressFileWindow::Save_Click);
    connect(addPlaces_, &QPushButton::clicked, this, &AddressFileWindow::AddPlaces_Click);
    connect(askAgain_, &QPushButton::clicked, this, &AddressFileWindow::AskAgain_Click);
}

void AddressFileWindow::Say(const QString& text) {
    message_->setText(text);
    message_->setVisible(!text.isEmpty());
}

void AddressFileWindow::OpenFile(const QString& path) {
    if (runner_) {
        Say(QStringLiteral("Un fichier est en cours de géocodage : attendez la fin du travail ou "
                           "annulez-le avant d'en ouvrir un autre."));
        return;
    }
    input_ = path;
    output_.clear();
    found_.clear();
    preview_->clear();
    preview_->setRowCount(0);
    preview_->setColumnCount(0);
    review_->setRowCount(0);
    progress_->reset();
    progressLabel_->clear();
    counts_->clear();
    unfinished_->hide();
    fileLabel_->setText(QDir::toNativeSeparators(path));
    Say(QStringLiteral("Lecture du fichier…"));
    for (QComboBox* combo : columns_) {
        combo->clear();
    }
    ShowRunning(false);
    if (loader_) {
        loader_->disconnect(this);
        loader_->deleteLater();
    }
    loader_ = new FilePreviewLoader(path, kPreviewRows, setup_.journal, this);
    connect(loader_, &FilePreviewLoader::Loaded, this, &AddressFileWindow::Preview_Loaded);
}

void AddressFileWindow::Preview_Loaded(const FilePreview& preview, qsizetype unfinishedRows) {
    loader_->deleteLater();
    loader_ = nullptr;
    recognised_ = preview.recognised;
    preview_->setColumnCount(static_cast<int>(preview.header.size()));
    QStringList headers;
    for (const Cell& cell : preview.header) {
        headers.append(cell.text.trimmed().isEmpty()
                           ? QStringLiteral("Colonne %1").arg(headers.size() + 1)
                           : cell.text);
    }
    preview_->setHorizontalHeaderLabels(headers);
    preview_->setRowCount(static_cast<int>(preview.rows.size()));
    for (int row = 0; row < preview_->rowCount(); ++row) {
        const Row& cells = preview.rows[row];
        for (int column = 0; column < cells.size() && column < preview_->columnCount(); ++column) {
            SetCell(preview_, row, column, cells[column].text);
        }
    }
    preview_->resizeColumnsToContents();
    preview_->resizeRowsToContents();
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        QComboBox* combo = columns_[i];
        const QSignalBlocker quiet(combo);
        combo->clear();
        combo->addItem(QStringLiteral("(aucune)"), qsizetype{-1});
        for (qsizetype column = 0; column < headers.size(); ++column) {
            combo->addItem(headers[column], column);
        }
        combo->setCurrentIndex(static_cast<int>(recognised_.*kParts[i].column + 1));
    }
    if (!preview.error.isEmpty()) {
        Say(preview.error);
        ShowRunning(false);
        start_->setEnabled(false);
        return;
    }
    Say(recognised_.Usable()
            ? QString()
            : QStringLiteral("Aucune colonne d'adresse n'a été reconnue dans ce fichier : "
                             "choisissez ci-dessous les colonnes qui tiennent l'adresse."));
    if (unfinishedRows > 0) {
        unfinishedLabel_->setText(
            QStringLiteral("Ce fichier a été laissé inachevé : %1 ligne(s) étaient déjà faites. "
                           "Reprendre là où le travail s'est arrêté, ou tout recommencer ?")
                .arg(FrenchNumber(unfinishedRows)));
    }
    unfinished_->setVisible(unfinishedRows > 0);
    ShowRunning(false);
}

AddressColumns AddressFileWindow::ChosenColumns() const {
    AddressColumns chosen;
    chosen.cityCode = recognised_.cityCode;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        chosen.*kParts[i].column = columns_[i]->currentData().value<qsizetype>();
    }
    return chosen;
}

void AddressFileWindow::ShowRunning(bool running) {
    const bool ready = !input_.isEmpty() && ChosenColumns().Usable();
    choose_->setEnabled(!running);
    for (QComboBox* combo : columns_) {
        combo->setEnabled(!running && combo->count() > 1);
    }
    start_->setVisible(!unfinished_->isVisible());
    start_->setEnabled(!running && ready);
    resume_->setEnabled(!running && ready);
    restart_->setEnabled(!running && ready);
    pause_->setEnabled(running);
    cancel_->setEnabled(running);
    pause_->setText(QStringLiteral("Pause"));
    pause_->setAccessibleName(QStringLiteral("Pause"));
    save_->setEnabled(!running && !output_.isEmpty());
    addPlaces_->setEnabled(!running && !adder_ && !found_.isEmpty());
    askAgain_->setEnabled(!running && !retry_ && !output_.isEmpty() && review_->rowCount() > 0);
}

void AddressFileWindow::ShowCounts(const std::array<qsizetype, 4>& counts) {
    statusCounts_ = counts;
    counts_->setText(QStringLiteral("Trouvées : %1 — À vérifier : %2 — Introuvables : %3 — "
                                    "Erreurs : %4")
                         .arg(FrenchNumber(counts[0]), FrenchNumber(counts[1]),
                              FrenchNumber(counts[2]), FrenchNumber(counts[3])));
}

void AddressFileWindow::EmitPoints(const QList<FilePoint>& points) {
    QList<FilePoint> fresh;
    for (const FilePoint& point : points) {
        if (!shownLines_.contains(point.line)) {
            shownLines_.insert(point.line);
            fresh.append(point);
        }
    }
    if (!fresh.isEmpty()) {
        emit PointsFound(fresh);
    }
}

void AddressFileWindow::Choose_Click() {
    const QString path = setup_.chooseFile ? setup_.chooseFile(this) : QString();
    if (!path.isEmpty()) {
        OpenFile(QFileInfo(path).absoluteFilePath());
    }
}

void AddressFileWindow::Column_Changed() {
    ShowRunning(runner_ != nullptr);
}

void AddressFileWindow::Start_Click() {
    Start(false);
}

void AddressFileWindow::Restart_Click() {
    Start(true);
}

void AddressFileWindow::Start(bool restart) {
    BatchRequest request;
    request.input = input_;
    request.output = DefaultOutputPath(input_);
    request.journal = setup_.journal;
    request.restart = restart;
    request.columns = ChosenColumns();
    runColumns_ = *request.columns;
    output_.clear();
    found_.clear();
    shownLines_.clear();
    review_->setRowCount(0);
    unfinished_->hide();
    paused_ = false;
    Say(QString());
    progress_->reset();
    progressLabel_->setText(QStringLiteral("Lecture du fichier…"));
    counts_->clear();
    emit RunStarted();
    runner_ = new BatchRunner(request, setup_.services(), this);
    connect(runner_, &BatchRunner::Progressed, this, &AddressFileWindow::Batch_Progressed);
    connect(runner_, &BatchRunner::Ended, this, &AddressFileWindow::Batch_Ended);
    runner_->Start();
    ShowRunning(true);
}

void AddressFileWindow::Pause_Click() {
    if (!runner_) {
        return;
    }
    paused_ = !paused_;
    if (paused_) {
        runner_->Pause();
        Say(QStringLiteral("En pause : le travail s'arrête après le paquet de lignes en cours."));
    } else {
        runner_->Resume();
        Say(QString());
    }
    const QString text = paused_ ? QStringLiteral("Reprendre") : QStringLiteral("Pause");
    pause_->setText(text);
    pause_->setAccessibleName(text);
}

void AddressFileWindow::Cancel_Click() {
    if (runner_) {
        runner_->Cancel();
    }
}

void AddressFileWindow::Batch_Progressed(const BatchProgress& progress) {
    progress_->setMaximum(static_cast<int>(progress.rows));
    progress_->setValue(static_cast<int>(progress.done));
    progressLabel_->setText(ProgressText(progress));
    ShowCounts(progress.counts);
    if (!progress.pause.isEmpty()) {
        paused_ = true;
        Say(progress.pause);
        pause_->setText(QStringLiteral("Reprendre"));
        pause_->setAccessibleName(QStringLiteral("Reprendre"));
    }
    QList<FilePoint> points;
    for (const auto& [line, outcome] : progress.decided) {
        if (outcome.latitude && outcome.longitude &&
            (outcome.status == RowStatus::Found || outcome.status == RowStatus::ToCheck)) {
            points.append({line, *outcome.latitude, *outcome.longitude, outcome.label,
                           RowStatusText(outcome.status)});
        }
    }
    EmitPoints(points);
}

void AddressFileWindow::Batch_Ended(const BatchEnd& end, const QList<ResultRow>& rows,
                                    const QString& readError) {
    runner_->deleteLater();
    runner_ = nullptr;
    paused_ = false;
    progress_->setMaximum(static_cast<int>(std::max<qsizetype>(end.progress.rows, 1)));
    progress_->setValue(static_cast<int>(end.progress.done));
    if (!end.written) {
        Say(end.error);
        ShowRunning(false);
        return;
    }
    output_ = DefaultOutputPath(input_);
    ShowCounts(end.progress.counts);
    progressLabel_->setText(
        QStringLiteral("Terminé en %1.").arg(DurationText(qRound64(end.seconds))));
    QList<FilePoint> points;
    for (const ResultRow& row : rows) {
        const bool found = row.status == RowStatusText(RowStatus::Found);
        if (found && row.latitude && row.longitude) {
            found_.append(row);
        }
        if ((found || row.status == RowStatusText(RowStatus::ToCheck)) && row.latitude &&
            row.longitude) {
            points.append({row.line, *row.latitude, *row.longitude, row.label, row.status});
        } else if (!found) {
            const int at = review_->rowCount();
            review_->insertRow(at);
            SetCell(review_, at, 0, QString::number(row.line));
            SetCell(review_, at, 1, row.address);
            SetCell(review_, at, 2, row.status);
            SetCell(review_, at, 3, row.remark);
            for (const int fixed : {0, 2, 3}) {
                review_->item(at, fixed)->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            }
        }
    }
    review_->resizeRowsToContents();
    Say(QStringLiteral("Résultat écrit dans « %1 ».").arg(QDir::toNativeSeparators(output_)) +
        (readError.isEmpty() ? QString() : u' ' + readError));
    ShowRunning(false);
    // Rows an earlier run had decided, and any report the run ended before sending.
    EmitPoints(points);
}

void AddressFileWindow::Save_Click() {
    const QFileInfo output(output_);
    SaveDialogRequest request;
    request.title = QStringLiteral("Enregistrer le résultat");
    request.initialDirectory = output.absolutePath();
    request.filterDescription =
        QStringLiteral("Fichier %1 (*.%2)").arg(output.suffix().toUpper(), output.suffix());
    request.filterPattern = u"*."_qs + output.suffix();
    request.defaultSuffix = output.suffix();
    request.previousPath = output_;
    const std::optional<SaveDialogChoice> choice = platform_.saveDialog.AskSavePath(this, request);
    if (!choice) {
        return;
    }
    const QFileInfo chosen(choice->path);
    if (chosen.exists() && chosen.canonicalFilePath() == QFileInfo(input_).canonicalFilePath()) {
        Say(QStringLiteral("Le résultat ne peut pas remplacer le fichier d'adresses lui-même : "
                           "choisissez un autre fichier."));
        return;
    }
    if (chosen.exists() && chosen.canonicalFilePath() == output.canonicalFilePath()) {
        Say(QStringLiteral("Résultat enregistré dans « %1 ».")
                .arg(QDir::toNativeSeparators(choice->path)));
        return;
    }
    QFile source(output_);
    const bool copied = source.open(QIODevice::ReadOnly) &&
                        ReplaceFileContents(choice->path, [&source](QIODevice& target) {
                            while (!source.atEnd()) {
                                const QByteArray block = source.read(1 << 20);
                                if (block.isEmpty() || target.write(block) != block.size()) {
                                    return false;
                                }
                            }
                            return true;
                        });
    Say(copied ? QStringLiteral("Résultat enregistré dans « %1 ».")
                     .arg(QDir::toNativeSeparators(choice->path))
               : QStringLiteral("Le résultat n'a pas pu être enregistré dans « %1 » (disque "
                                "plein, ou pas le droit d'y écrire ?).")
                     .arg(QDir::toNativeSeparators(choice->path)));
}

void AddressFileWindow::AddPlaces_Click() {
    const QString file = QFileInfo(input_).fileName();
    QList<SavedPlace> places;
    for (const ResultRow& row : std::as_const(found_)) {
        SavedPlace place;
        place.name = row.label;
        place.address = row.label;
        place.latitude = *row.latitude;
        place.longitude = *row.longitude;
        place.note = QStringLiteral("Fichier « %1 », ligne %2").arg(file).arg(row.line);
        places.append(place);
    }
    Say(QStringLiteral("Ajout de %1 lieu(x) à Mes lieux…").arg(FrenchNumber(places.size())));
    adder_ = new PlacesAdder(setup_.places, places, this);
    connect(adder_, &PlacesAdder::Done, this, &AddressFileWindow::Places_Added);
    ShowRunning(false);
}

void AddressFileWindow::Places_Added(qsizetype added, const QString& problem) {
    adder_->deleteLater();
    adder_ = nullptr;
    if (problem.isEmpty()) {
        // Those added were the first ones; a row asked again meanwhile stays to add.
        found_.remove(0, added);
        Say(PlacesAddedText(added));
    } else {
        Say(QStringLiteral("Les lieux n'ont pas été ajoutés : %1").arg(problem));
    }
    ShowRunning(false);
}

void AddressFileWindow::AskAgain_Click() {
    const int row = review_->currentRow();
    if (row < 0 || retry_) {
        Say(QStringLiteral("Choisissez d'abord une ligne dans la liste."));
        return;
    }
    const qsizetype line = review_->item(row, 0)->text().toLongLong();
    Say(QStringLiteral("Nouvelle recherche de la ligne %1…").arg(line));
    retry_ = new RowRetry(output_, line, review_->item(row, 1)->text(), runColumns_,
                          setup_.services(), this);
    connect(retry_, &RowRetry::Done, this, &AddressFileWindow::Retry_Done);
    ShowRunning(false);
}

void AddressFileWindow::Retry_Done(qsizetype line, const RowOutcome& outcome,
                                   const QString& problem) {
    retry_->deleteLater();
    retry_ = nullptr;
    ShowRunning(false);
    if (!problem.isEmpty()) {
        Say(problem);
        return;
    }
    for (int row = 0; row < review_->rowCount(); ++row) {
        if (review_->item(row, 0)->text().toLongLong() != line) {
            continue;
        }
        for (std::size_t status = 0; status < statusCounts_.size(); ++status) {
            if (review_->item(row, 2)->text() == RowStatusText(static_cast<RowStatus>(status))) {
                --statusCounts_[status];
            }
        }
        review_->item(row, 2)->setText(RowStatusText(outcome.status));
        review_->item(row, 3)->setText(outcome.remark);
        ++statusCounts_[static_cast<std::size_t>(outcome.status)];
        ShowCounts(statusCounts_);
        if (outcome.latitude && outcome.longitude &&
            (outcome.status == RowStatus::Found || outcome.status == RowStatus::ToCheck)) {
            const FilePoint point{line, *outcome.latitude, *outcome.longitude, outcome.label,
                                  RowStatusText(outcome.status)};
            emit PointsFound({point});
        }
        if (outcome.status == RowStatus::Found) {
            found_.append({line, review_->item(row, 1)->text(), RowStatusText(outcome.status),
                           outcome.latitude, outcome.longitude, outcome.label, outcome.remark});
        }
    }
    Say(QStringLiteral("Ligne %1 : %2%3")
            .arg(line)
            .arg(RowStatusText(outcome.status), outcome.status == RowStatus::Found
                                                    ? u" — "_qs + outcome.label + u'.'
                                                    : u". "_qs + outcome.remark));
    ShowRunning(false);
}

} // namespace tarnel
