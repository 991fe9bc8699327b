#pragma once

#include "addressfile/BatchControl.h"
#include "addressfile/BatchRun.h"

#include <future>
#include <thread>

namespace tarnel {

// A batch over a file of addresses (BatchRun) on a worker thread of its own, steered from any
// thread. `onProgress` is called on the worker thread after every chunk, and when the batch
// pauses itself.
class AddressBatch {
public:
    AddressBatch(BatchRequest request, BatchServices services, BatchProgressHandler onProgress);
    // Cancels a batch still running and waits for its thread.
    ~AddressBatch();
    AddressBatch(const AddressBatch&) = delete;
    AddressBatch& operator=(const AddressBatch&) = delete;

    void Start();
    // Blocks until the batch ends; once only.
    BatchEnd Wait();

    // Takes effect between chunks.
    void Pause() { control_.Pause(); }
    void Resume() { control_.Resume(); }
    // Ends the batch as soon as it can, its requests in flight included; what is recorded in
    // the journal stays for the next run.
    void Cancel() { control_.Cancel(); }

private:
    const BatchRequest request_;
    const BatchServices services_;
    BatchProgressHandler onProgress_;
    BatchControl control_;
    std::promise<BatchEnd> end_;
    std::thread thread_;
};

} // namespace tarnel
