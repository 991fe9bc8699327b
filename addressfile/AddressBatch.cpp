#include "addressfile/AddressBatch.h"

#include <utility>

namespace tarnel {

AddressBatch::AddressBatch(BatchRequest request, BatchServices services,
                           BatchProgressHandler onProgress)
    : request_(std::move(request))
    , services_(services)
    , onProgress_(std::move(onProgress)) {
    control_.OnCancel([services] {
        if (services.csv) {
            services.csv->Cancel();
        }
        if (services.altitude) {
            services.altitude->Cancel();
        }
        for (Geocoder* geocoder : {services.france, services.world}) {
            if (geocoder) {
                geocoder->CancelLookups();
            }
        }
    });
}

AddressBatch::~AddressBatch() {
    if (thread_.joinable()) {
        control_.Cancel();
        thread_.join();
    }
}

void AddressBatch::Start() {
    thread_ = std::thread([this] {
        BatchRun run(request_, services_, control_, onProgress_);
        end_.set_value(run.Execute());
    });
}

BatchEnd AddressBatch::Wait() {
    BatchEnd end = end_.get_future().get();
    thread_.join();
    return end;
}

} // namespace tarnel
