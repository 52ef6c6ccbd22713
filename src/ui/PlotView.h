#pragma once

#include <QWidget>

#include <array>
#include <string>
#include <utility>

class Panel;
class PlotArea;
class QLabel;

// The top of the main window: the plot area with the labels around it and the status
// panel at its side. It spans the window's whole inner width, because the controller
// places the frequency values as fractions of that width: with the plot from 0.09 to
// 0.73 of it they stand under the decade lines. The amplitude values stand in the strip
// left of the plot at the heights of their lines, the frequency values, the trace legends
// and the cursor readout below it. Everything follows the width and height on a resize.
class PlotView final : public QWidget {
    Q_OBJECT

public:
    static constexpr double PlotLeft = 0.09;
    static constexpr double PlotRight = 0.73;
    static constexpr double SideLeft = 0.75;

    // `side` (the status panel) is placed right of the plot and owned from then on.
    explicit PlotView(QWidget* side, QWidget* parent = nullptr);

    PlotArea* Plot() const { return plot_; }

    // Texts, colours, visibility and the frequency values' places from the panel.
    void Render(const Panel& panel);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* AddLabel(const char* name);
    void Arrange();

    PlotArea* plot_;
    QWidget* side_;
    // Label and the fraction of the width its left edge stands at.
    std::array<std::pair<QLabel*, double>, 4> frequencyLabels_{};
    std::array<QLabel*, 7> amplitudeLabels_{};
    QLabel* unitLabel_;
    std::array<QLabel*, 7> legendLabels_{};
    QLabel* cursorLabel_;
};
