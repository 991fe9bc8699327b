#include "bench/PageScript.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>

namespace tarnel::bench {

QVariant RunScript(QWebEnginePage* page, const QString& script) {
    const auto answer = std::make_shared<QVariant>();
    QEventLoop loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    page->runJavaScript(script,
                        [answer, loop = QPointer<QEventLoop>(&loop)](const QVariant& value) {
                            *answer = value;
                            if (loop)
                                loop->quit();
                        });
    loop.exec();
    return *answer;
}

void Pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double MillisecondsUntil(QWebEnginePage* page, const QString& script, const QElapsedTimer& since) {
    while (since.elapsed() < 60000) {
        if (RunScript(page, script).toBool())
            return since.nsecsElapsed() / 1e6;
        Pause(2);
    }
    return -1;
}

void PrintFigures(const Figures& figures) {
    for (const auto& [name, values] : figures) {
        std::vector<double> sorted;
        std::copy_if(values.begin(), values.end(), std::back_inserter(sorted),
                     [](double value) { return value >= 0; });
        std::sort(sorted.begin(), sorted.end());
        std::printf("%s=%.1f", name.c_str(), sorted.empty() ? -1.0 : sorted[sorted.size() / 2]);
        for (const double value : values)
            std::printf(" %.1f", value);
        std::printf("\n");
    }
}

} // namespace tarnel::bench
