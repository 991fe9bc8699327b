#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QVariant>
#include <map>
#include <string>
#include <vector>

class QWebEnginePage;

namespace tarnel::bench {

// What `script` gives on `page`, waited for in an event loop of its own: QTest's waits sleep in
// slices of 10 ms, which holds up the engine's browser side, that runs on this thread, and would
// stretch every figure. Invalid after 10 s without an answer.
QVariant RunScript(QWebEnginePage* page, const QString& script);

// Waits `ms` milliseconds in an event loop of its own.
void Pause(int ms);

// Milliseconds from `since` until `script` is true, polled every few milliseconds; -1 after a
// minute.
double MillisecondsUntil(QWebEnginePage* page, const QString& script, const QElapsedTimer& since);

// Figures by name, each run's value in order.
using Figures = std::map<std::string, std::vector<double>>;

// Prints "name=median run1 run2 ..." for each figure, as bench/measure.sh reads them; a run that
// never got there (-1) is listed but left out of the median.
void PrintFigures(const Figures& figures);

} // namespace tarnel::bench
