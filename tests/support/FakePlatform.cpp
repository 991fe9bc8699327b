#include "tests/support/FakePlatform.h"

namespace tarnel::testing {

void FakeMessageBoxes::Show(QWidget*, const QString& text, const QString& title, MessageIcon icon) {
    shown.append({text, title, icon});
    if (onShow)
        onShow();
}

std::optional<SaveDialogChoice> FakeSaveDialog::AskSavePath(QWidget*,
                                                            const SaveDialogRequest& request) {
    requests.append(request);
    if (!answer)
        return std::nullopt;
    return SaveDialogChoice{*answer, filter};
}

void FakeShell::Open(QWidget*, const QString& target, const QString& workingDirectory) {
    opened.append({target, workingDirectory});
}

bool FakeProgramStarter::Start(const QString& path) {
    started.append(path);
    return succeeds;
}

void FakeFeedback::Beep() {
    events.append(QStringLiteral("beep"));
    if (onEvent)
        onEvent();
}

void FakeFeedback::SetBusyCursor(bool busy) {
    events.append(busy ? QStringLiteral("busy") : QStringLiteral("default"));
    if (onEvent)
        onEvent();
}

void InMemoryRegistry::SetValue(const QString& keyName, const QString& valueName,
                                std::uint32_t type, const QByteArray& data) {
    keys_[keyName][valueName] = {type, data};
}

std::optional<Registry::Key> InMemoryRegistry::OpenKey(std::uint32_t, const QString& keyName,
                                                       std::uint32_t) {
    openedKeys.append(keyName);
    if (!keys_.contains(keyName))
        return std::nullopt;
    handles_.append(keyName);
    ++openKeys;
    return static_cast<Key>(handles_.size());
}

Registry::QueryResult InMemoryRegistry::QueryValue(Key key, const QString& valueName,
                                                   int bufferSize) {
    const auto values = keys_.value(handles_.value(static_cast<qsizetype>(key) - 1));
    if (!values.contains(valueName))
        return {QueryStatus::Missing, 0, {}};
    const Value& value = values[valueName];
    if (value.data.size() > bufferSize)
        return {QueryStatus::MoreData, value.type, {}};
    return {QueryStatus::Ok, value.type, value.data};
}

void InMemoryRegistry::CloseKey(Key) {
    --openKeys;
}

} // namespace tarnel::testing
