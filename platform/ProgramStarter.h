#pragma once

#include <QString>

namespace tarnel {

// Starts a program from its path in a normal window, without waiting for it.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // False when the program could not be started.
    virtual bool Start(const QString& path) = 0;
};

} // namespace tarnel
