#pragma once

#include "platform/ProgramStarter.h"

namespace tarnel {

// Starts a program detached from this one (QProcess::startDetached).
class DesktopProgramStarter : public ProgramStarter {
public:
    bool Start(const QString& path) override;
};

} // namespace tarnel
