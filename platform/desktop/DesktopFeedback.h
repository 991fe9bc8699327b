#pragma once

#include "platform/Feedback.h"

namespace tarnel {

// The system beep and the application-wide wait cursor.
class DesktopFeedback : public Feedback {
public:
    void Beep() override;
    // Setting the busy cursor twice and back once leaves the default cursor: only the first
    // request is stacked.
    void SetBusyCursor(bool busy) override;

private:
    bool busy_ = false;
};

} // namespace tarnel
