#include "platform/desktop/DesktopShell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace tarnel {

std::optional<QUrl> ShellTarget(const QString& target, const QString& workingDirectory) {
    if (target.isEmpty())
        return std::nullopt;
    const QUrl url(target, QUrl::TolerantMode);
    // A one-letter scheme is a Windows drive ("C:\..."), not an address.
    if (!QDir::isAbsolutePath(target) && url.isValid() && url.scheme().size() > 1)
        return url;
    const QString path = QDir(workingDirectory).absoluteFilePath(target);
    if (!QFileInfo::exists(path))
        return std::nullopt;
    return QUrl::fromLocalFile(path);
}

void DesktopShell::Open(QWidget*, const QString& target, const QString& workingDirectory) {
    if (const std::optional<QUrl> url = ShellTarget(target, workingDirectory))
        QDesktopServices::openUrl(*url);
}

} // namespace tarnel
