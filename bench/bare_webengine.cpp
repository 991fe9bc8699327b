// The floor of the start-up figure: a bare QWebEngineView window of the main window's size,
// loading the URL given as its one argument, with nothing else around it.

#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QWebEngineView view;
    view.setWindowTitle(QStringLiteral("bare webengine"));
    // The main window's design client area, 12240 x 7575 twips at 96 dots to the inch.
    view.resize(816, 505);
    view.load(QUrl(arguments.value(1, QStringLiteral("about:blank"))));
    view.show();
    return QApplication::exec();
}
