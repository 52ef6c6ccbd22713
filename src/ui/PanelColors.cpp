#include "ui/PanelColors.h"

#include <QString>
#include <QWidget>

namespace {
QString Hex(Rgb rgb) { return QStringLiteral("#%1").arg(rgb & 0xFFFFFFu, 6, 16, QLatin1Char('0')); }

void SetStyle(QWidget& widget, const QString& style) {
    if (widget.styleSheet() != style) widget.setStyleSheet(style);
}
} // namespace

void ShowColors(QWidget& widget, Rgb fore) { SetStyle(widget, QStringLiteral("color: %1;").arg(Hex(fore))); }

void ShowColors(QWidget& widget, Rgb fore, Rgb back) {
    SetStyle(widget, QStringLiteral("color: %1; background-color: %2;").arg(Hex(fore), Hex(back)));
}
