#pragma once

#include <QString>
#include <QWidget>

namespace tarnel {

// The main window's map: shows the page of a map query URL. The URL is handed over exactly as
// built; the view encodes whatever the network needs.
class MapView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    virtual void Navigate(const QString& url) = 0;
};

} // namespace tarnel
