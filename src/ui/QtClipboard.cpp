#include "ui/QtClipboard.h"

#include "ui/ImageCanvas.h"

#include <QClipboard>
#include <QGuiApplication>

void QtClipboard::SetText(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void QtClipboard::SetImage(Picture& picture) {
    if (auto* image = dynamic_cast<ImageCanvas*>(&picture)) QGuiApplication::clipboard()->setImage(image->Image());
}
