#pragma once

#include "core/Canvas.h"

class QWidget;

// A panel item's colours on its widget, as a style sheet set only when the colours
// changed: each new style sheet costs a re-polish and a repaint, and the panel is
// rendered after every control cycle.
void ShowColors(QWidget& widget, Rgb fore);
void ShowColors(QWidget& widget, Rgb fore, Rgb back);
