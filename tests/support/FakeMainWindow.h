#pragma once

#include "tests/support/FakePlatform.h"
#include "ui/common/MainWindowAccess.h"

#include <QMap>

namespace tarnel::testing {

// Stands in for the main window: six boxes, a count of searches and the URLs navigated.
class FakeMainWindow : public MainWindowAccess {
public:
    QString BoxText(MainBox box) const override { return boxes.value(box); }
    void SetBoxText(MainBox box, const QString& text) override { boxes[box] = text; }
    void Command4_Click() override { ++searches; }
    void NavigateMap(const QString& url) override { navigated.append(url); }

    QMap<MainBox, QString> boxes;
    int searches = 0;
    QStringList navigated;
};

} // namespace tarnel::testing
