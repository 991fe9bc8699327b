#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace tarnel {

// What assistive technology is told about the windows' controls; nothing here changes what is
// drawn.

// A label's caption as a name: without the trailing colon and blanks ("Code Postal :" gives
// "Code Postal").
QString SpokenCaption(const QString& caption);

// Ties `label` to the box it stands beside: the label's relation points at the box, and the
// box is announced by the label's caption without its colon.
void TieLabel(QLabel* label, QWidget* box);

// Announces a result label by its meaning followed by the value it shows ("Degrés : 48"), or
// by its meaning alone while it is empty. The announcement follows the label's text, and a
// change of the text is reported as a change of its name.
void AnnounceAsResult(QLabel* label, const QString& meaning);

} // namespace tarnel
