#include "platform/registry/SystemRegistry.h"

#include "core/Windows1252.h"

#include <QStandardPaths>
#include <QStringList>

namespace tarnel {

namespace {

// The one key this stand-in holds; its "PATH" value names the first system-information tool
// found on the search path. The key that names the Windows tool's folder is never present:
// no folder here holds that tool.
const QString kToolKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kToolValue = QStringLiteral("PATH");
constexpr Registry::Key kToolKeyHandle = 1;

// Desktop system-information tools, most like the Windows one first.
const QStringList kTools = {QStringLiteral("hardinfo"), QStringLiteral("kinfocenter"),
                            QStringLiteral("gnome-system-monitor")};

// Registry strings travel in the ANSI code page: a path that code page cannot hold would name
// another file, so such a tool is passed over.
QByteArray ToolPathValue() {
    for (const QString& tool : kTools) {
        const QString path = QStandardPaths::findExecutable(tool);
        if (path.isEmpty())
            continue;
        const QByteArray bytes = ToWindows1252(path);
        if (FromWindows1252(bytes) == path)
            return bytes + '\0';
    }
    return {};
}

class DesktopToolRegistry : public Registry {
public:
    std::optional<Key> OpenKey(std::uint32_t root, const QString& keyName, std::uint32_t) override {
        if (root != kLocalMachine || keyName.compare(kToolKey, Qt::CaseInsensitive) != 0)
            return std::nullopt;
        return kToolKeyHandle;
    }

    QueryResult QueryValue(Key key, const QString& valueName, int bufferSize) override {
        if (key != kToolKeyHandle || valueName.compare(kToolValue, Qt::CaseInsensitive) != 0)
            return {};
        const QByteArray path = ToolPathValue();
        if (path.isEmpty())
            return {};
        if (path.size() > bufferSize)
            return {QueryStatus::MoreData, kTypeString, {}};
        return {QueryStatus::Ok, kTypeString, path};
    }

    void CloseKey(Key) override {}
};

} // namespace

std::unique_ptr<Registry> MakeSystemRegistry() {
    return std::make_unique<DesktopToolRegistry>();
}

} // namespace tarnel
