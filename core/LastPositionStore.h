#pragma once

#include "core/ProgramTexts.h"

#include <QString>

namespace tarnel {

// Where the last-position file is kept: in the program folder when the file can be written
// there (a portable install, which keeps reading the file it already holds), otherwise in the
// user's own data folder, created when first needed (a system-wide install, whose folder is
// read-only). The place is chosen once, when the store is made; the start-up read and the
// saves use it.
class LastPositionStore {
public:
    LastPositionStore(QString programDirectory, QString userDataDirectory);

    // The folder the file is read from and written to.
    QString Directory() const { return directory_; }

    // Start-up read from Directory() (see LoadLastPosition).
    QString Load(ProgramTexts& texts) const;

    // Sets texts.lastPosition and writes the file in Directory(). When that fails in the
    // program folder, the user data folder is tried and, when it works, kept for the rest of
    // the run. False when neither could be written; Directory() then names the last tried.
    bool Save(ProgramTexts& texts, const QString& value);

private:
    QString userDataDirectory_;
    QString directory_;
};

} // namespace tarnel
