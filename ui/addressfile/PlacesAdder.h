#pragma once

#include "places/SavedPlace.h"

#include <QList>
#include <QObject>
#include <QString>
#include <thread>

namespace tarnel {

// Adds places to the user's places in one transaction on a thread of its own (with its own
// store on the same file): thousands of rows take seconds the window does not wait for.
class PlacesAdder : public QObject {
    Q_OBJECT
public:
    // Starts adding `places` to the store at `path`.
    PlacesAdder(const QString& path, QList<SavedPlace> places, QObject* parent = nullptr);
    // Waits for the transaction to end.
    ~PlacesAdder() override;

signals:
    // All were added (`problem` empty), or none, `problem` saying why in French.
    void Done(qsizetype added, const QString& problem);

private:
    std::thread thread_;
};

} // namespace tarnel
