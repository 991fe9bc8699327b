#include "platform/desktop/DesktopProgramStarter.h"

#include <QProcess>

namespace tarnel {

bool DesktopProgramStarter::Start(const QString& path) {
    return !path.isEmpty() && QProcess::startDetached(path, {});
}

} // namespace tarnel
