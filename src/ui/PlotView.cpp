#include "ui/PlotView.h"

#include "core/Panel.h"
#include "plot/AxisLabels.h"
#include "plot/PlotTarget.h"
#include "ui/PanelColors.h"
#include "ui/PlotArea.h"

#include <QFontMetrics>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {
constexpr std::array<const char*, 4> FrequencyNames = {"LblX2", "LblX3", "LblX4", "LblX5"};
constexpr std::array<const char*, 7> AmplitudeNames = {"Label29", "Label30", "Label31", "Label32",
                                                       "Label34", "Label35", "Label36"};
constexpr std::array<const char*, 7> LegendNames = {"Label41", "Label42", "Label43", "Label44",
                                                    "Label45", "Label46", "Label47"};
constexpr int Margin = 4;
constexpr int RowsBelow = 3; // frequency values, legends, cursor readout

int At(double fraction, int width) { return static_cast<int>(std::lround(fraction * width)); }

// The legends in the colours of the traces they name, on black as in the plot.
Rgb LegendColor(const QString& name, const PanelItem& item) {
    const PlotPalette palette;
    if (name == QLatin1String("Label45")) return palette.average;
    if (name == QLatin1String("Label46")) return palette.drive;
    if (name == QLatin1String("Label47")) return palette.transfer;
    return item.foreColor;
}

} // namespace

PlotView::PlotView(QWidget* side, QWidget* parent) : QWidget(parent), plot_(new PlotArea(this)), side_(side) {
    setObjectName(QStringLiteral("plotView"));
    side_->setParent(this);
    for (std::size_t i = 0; i < FrequencyNames.size(); ++i) frequencyLabels_[i] = {AddLabel(FrequencyNames[i]), 0.0};
    for (std::size_t i = 0; i < AmplitudeNames.size(); ++i) {
        amplitudeLabels_[i] = AddLabel(AmplitudeNames[i]);
        amplitudeLabels_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    unitLabel_ = AddLabel("Label33");
    unitLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (std::size_t i = 0; i < LegendNames.size(); ++i) legendLabels_[i] = AddLabel(LegendNames[i]);
    cursorLabel_ = AddLabel("lblCursor");
    cursorLabel_->hide();
}

QLabel* PlotView::AddLabel(const char* name) {
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 10));
    return label;
}

void PlotView::Render(const Panel& panel) {
    // A legend without a word leaves no black box.
    const auto show = [&](QLabel* label, bool legend = false) -> const PanelItem& {
        const PanelItem& item = panel.Item(label->objectName().toStdString());
        label->setText(QString::fromStdString(item.text));
        label->setVisible(item.visible && !(legend && label->text().trimmed().isEmpty()));
        return item;
    };
    // The axis values stand on the window's own background.
    for (auto& [label, left] : frequencyLabels_) {
        const PanelItem& item = show(label);
        ShowColors(*label, item.foreColor);
        left = item.value;
    }
    for (QLabel* label : amplitudeLabels_) ShowColors(*label, show(label).foreColor);
    ShowColors(*unitLabel_, show(unitLabel_).foreColor);
    for (QLabel* label : legendLabels_)
        ShowColors(*label, LegendColor(label->objectName(), show(label, true)), 0x000000);
    const PanelItem& cursor = show(cursorLabel_);
    ShowColors(*cursorLabel_, cursor.foreColor, cursor.backColor);
    Arrange();
}

void PlotView::resizeEvent(QResizeEvent*) { Arrange(); }

void PlotView::Arrange() {
    const int w = width();
    const int rowHeight = QFontMetrics(unitLabel_->font()).height() + 2;
    const int plotLeft = At(PlotLeft, w);
    const int plotTop = Margin;
    const QRect plot(plotLeft, plotTop, At(PlotRight, w) - plotLeft,
                     std::max(height() - plotTop - RowsBelow * rowHeight - Margin, 0));
    plot_->setGeometry(plot);
    const int sideLeft = At(SideLeft, w);
    side_->setGeometry(sideLeft, 0, std::max(w - sideLeft - Margin, 0), height());

    // Each amplitude value centred on the height of its line, right against the plot.
    const QRect area = plot_->geometry();
    const auto centredAt = [&](QLabel* label, double fraction) {
        const int middle = area.top() + At(fraction, area.height());
        label->setGeometry(0, middle - rowHeight / 2, area.left() - Margin, rowHeight);
    };
    for (QLabel* label : amplitudeLabels_) centredAt(label, AmplitudeLabelHeight(label->objectName().toStdString()));
    centredAt(unitLabel_, 0.5);

    int row = area.bottom() + 1 + Margin / 2;
    for (const auto& [label, left] : frequencyLabels_)
        label->setGeometry(At(left, w), row, label->sizeHint().width(), rowHeight);
    row += rowHeight;
    int x = area.left();
    for (QLabel* label : legendLabels_) {
        if (label->isHidden()) continue;
        label->setGeometry(x, row, label->sizeHint().width(), rowHeight);
        x += label->width() + 2 * Margin;
    }
    row += rowHeight;
    cursorLabel_->setGeometry(area.left(), row, area.width(), rowHeight);
}

QSize PlotView::minimumSizeHint() const {
    // A panel that scrolls down keeps its whole width: it never scrolls across.
    const auto* scroll = qobject_cast<const QScrollArea*>(side_);
    QSize side = side_->minimumSizeHint();
    if (scroll != nullptr && scroll->widget() != nullptr)
        side.setWidth(scroll->widget()->minimumSizeHint().width() + scroll->verticalScrollBar()->sizeHint().width());
    const QSize plot = plot_->minimumSize();
    const int rowHeight = QFontMetrics(unitLabel_->font()).height() + 2;
    const auto across = [](int width, double fraction) { return static_cast<int>(std::ceil(width / fraction)); };
    return {std::max(across(side.width() + Margin, 1.0 - SideLeft), across(plot.width(), PlotRight - PlotLeft)),
            std::max(side.height(), plot.height() + RowsBelow * rowHeight + 2 * Margin)};
}

QSize PlotView::sizeHint() const { return minimumSizeHint().expandedTo(QSize(1024, 640)); }
