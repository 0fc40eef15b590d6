#pragma once

#include <QRect>
#include <QWidget>

class CDataView;
class QScrollBar;

// The data view with its scroll bars. The bars are placed by the view's geometry, not by a layout: pane 0's
// vertical bar runs from the bottom of the header row down to the split bar (splitY + 2), pane 1's from
// splitY + 3 to the bottom, and the horizontal bar starts right of the address column. The strips the bars
// leave free are painted here: beside the header row in the Header background, below the address column in
// the Address background, and the corner between the bars in the button face.
class CDataArea : public QWidget {
    Q_OBJECT
public:
    explicit CDataArea(QWidget* parent = nullptr);

    // Takes the view and its three bars as children; they are placed on every relayout of the view.
    void SetParts(CDataView* view, QScrollBar* pane0, QScrollBar* pane1, QScrollBar* horizontal);
    // Puts the view and the bars where the current geometry wants them.
    void PlaceParts();

    // The strips outside the view and the bars, in this widget's coordinates.
    QRect HeaderStrip() const;
    QRect AddressStrip() const;
    QRect Corner() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int BarWidth() const;
    int BarHeight() const;
    int ViewWidth() const;
    int ViewHeight() const;

    CDataView* view_ = nullptr;
    QScrollBar* vScroll_[2] = {nullptr, nullptr};
    QScrollBar* hScroll_ = nullptr;
};
