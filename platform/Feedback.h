#pragma once

namespace tarnel {

// The system beep and the screen's mouse pointer.
class Feedback {
public:
    virtual ~Feedback() = default;
    virtual void Beep() = 0;
    virtual void SetBusyCursor(bool busy) = 0; // the hourglass while true, the default after
};

} // namespace tarnel
