#pragma once

#include "platform/MapView.h"
#include "platform/PlatformServices.h"

#include <QList>
#include <QMap>
#include <QStringList>
#include <functional>

namespace tarnel::testing {

struct ShownMessage {
    QString text;
    QString title;
    MessageIcon icon;
};

// Records every message instead of showing it; `onShow` runs while the "box" is up.
class FakeMessageBoxes : public MessageBoxes {
public:
    void Show(QWidget* parent, const QString& text, const QString& title,
              MessageIcon icon) override;
    QList<ShownMessage> shown;
    std::function<void()> onShow;
};

// Answers the save dialog with `answer` and the file type `filter` (nothing means the user
// cancelled).
class FakeSaveDialog : public SaveDialog {
public:
    std::optional<SaveDialogChoice> AskSavePath(QWidget* parent,
                                                const SaveDialogRequest& request) override;
    std::optional<QString> answer;
    int filter = 0;
    QList<SaveDialogRequest> requests;
};

struct OpenedTarget {
    QString target;
    QString workingDirectory;
};

class FakeShell : public Shell {
public:
    void Open(QWidget* parent, const QString& target, const QString& workingDirectory) override;
    QList<OpenedTarget> opened;
};

class FakeProgramStarter : public ProgramStarter {
public:
    bool Start(const QString& path) override;
    QStringList started;
    bool succeeds = true;
};

class FakeFeedback : public Feedback {
public:
    void Beep() override;
    void SetBusyCursor(bool busy) override;
    QStringList events;            // "beep", "busy", "default", in the order they happened
    std::function<void()> onEvent; // runs as each event is recorded
};

// A registry held in memory: keys by name, values with their type and bytes.
class InMemoryRegistry : public Registry {
public:
    void SetValue(const QString& keyName, const QString& valueName, std::uint32_t type,
                  const QByteArray& data);

    std::optional<Key> OpenKey(std::uint32_t root, const QString& keyName,
                               std::uint32_t access) override;
    QueryResult QueryValue(Key key, const QString& valueName, int bufferSize) override;
    void CloseKey(Key key) override;

    QStringList openedKeys;
    int openKeys = 0; // opened and not yet closed

private:
    struct Value {
        std::uint32_t type;
        QByteArray data;
    };
    QMap<QString, QMap<QString, Value>> keys_;
    QStringList handles_;
};

// Every platform service as a fake, bundled as the windows expect them.
struct FakePlatform {
    FakeMessageBoxes messages;
    FakeSaveDialog saveDialog;
    FakeShell shell;
    InMemoryRegistry registry;
    FakeProgramStarter programs;
    FakeFeedback feedback;
    PlatformServices services{messages, saveDialog, shell, registry, programs, feedback};
};

// A map view that records the URLs and the points of a file it is asked to show.
class FakeMapView : public MapView {
    Q_OBJECT
public:
    using MapView::MapView;
    void Navigate(const QString& url) override { urls.append(url); }
    void ShowFilePoints(const QList<FilePoint>& points) override { filePoints.append(points); }
    void ClearFilePoints() override { filePoints.clear(); }
    QStringList urls;
    QList<FilePoint> filePoints;
};

} // namespace tarnel::testing
