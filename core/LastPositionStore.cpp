#include "core/LastPositionStore.h"

#include "core/LastPositionFile.h"

#include <QDir>
#include <QFileInfo>
#include <utility>

namespace tarnel {

namespace {

// True when the file could be created or replaced in `directory`.
bool FileWritableIn(const QString& directory) {
    const QFileInfo folder(directory);
    if (!folder.isDir() || !folder.isWritable()) {
        return false;
    }
    const QFileInfo file(QDir(directory).filePath(kLastPositionFileName));
    return !file.exists() || (file.isFile() && file.isWritable());
}

// Writes the file in `directory`, creating the folder as needed. An empty name (no data folder
// known) never stands for the working folder.
bool SaveIn(const QString& directory, ProgramTexts& texts, const QString& value) {
    if (directory.isEmpty() || !QDir().mkpath(directory)) {
        texts.lastPosition = value;
        return false;
    }
    return SaveLastPosition(texts, directory, value);
}

} // namespace

LastPositionStore::LastPositionStore(QString programDirectory, QString userDataDirectory)
    : userDataDirectory_(std::move(userDataDirectory))
    , directory_(FileWritableIn(programDirectory) ? std::move(programDirectory)
                                                  : userDataDirectory_) {
}

QString LastPositionStore::Load(ProgramTexts& texts) const {
    return directory_.isEmpty() ? QString() : LoadLastPosition(texts, directory_);
}

bool LastPositionStore::Save(ProgramTexts& texts, const QString& value) {
    if (SaveIn(directory_, texts, value)) {
        return true;
    }
    if (directory_ == userDataDirectory_) {
        return false;
    }
    directory_ = userDataDirectory_;
    return SaveIn(directory_, texts, value);
}

} // namespace tarnel
