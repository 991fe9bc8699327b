#pragma once

#include <QString>

class QWidget;

namespace tarnel {

// Opens a document, a web address or a mail link with the desktop's default handler. The
// outcome is not reported: nothing shows when no handler exists.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void Open(QWidget* parent, const QString& target, const QString& workingDirectory) = 0;
};

} // namespace tarnel
