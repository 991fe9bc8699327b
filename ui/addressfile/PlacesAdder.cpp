#include "ui/addressfile/PlacesAdder.h"

#include "places/PlaceStore.h"

#include <utility>

namespace tarnel {

PlacesAdder::PlacesAdder(const QString& path, QList<SavedPlace> places, QObject* parent)
    : QObject(parent) {
    thread_ = std::thread([this, path, places = std::move(places)]() mutable {
        StoreOutcome outcome;
        {
            PlaceStore store(path);
            outcome = store.Open();
            if (outcome.done) {
                outcome = store.AddAll(places);
            }
        }
        const qsizetype added = outcome.done ? places.size() : 0;
        QMetaObject::invokeMethod(
            this, [this, added, problem = outcome.problem] { emit Done(added, problem); },
            Qt::QueuedConnection);
    });
}

PlacesAdder::~PlacesAdder() {
    thread_.join();
}

} // namespace tarnel
