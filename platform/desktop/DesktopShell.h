#pragma once

#include "platform/Shell.h"

#include <QUrl>
#include <optional>

namespace tarnel {

// What the shell opens for `target`: a web address or mail link as it stands; a file path,
// relative ones taken from `workingDirectory`, as a local file URL when the file exists.
// Nothing for a missing file.
std::optional<QUrl> ShellTarget(const QString& target, const QString& workingDirectory);

// Opens documents and links with the desktop's default handler (QDesktopServices).
class DesktopShell : public Shell {
public:
    void Open(QWidget* parent, const QString& target, const QString& workingDirectory) override;
};

} // namespace tarnel
