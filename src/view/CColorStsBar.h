#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

// A status bar of panes that each carry a text colour and a background colour. A pane whose colours are both
// "default" (0xFF000000) is drawn in the system's colours. Each pane is as wide as its sizing text, or as its
// text when that is wider.
class CColorStsBar : public QWidget {
    Q_OBJECT
public:
    static constexpr uint32_t kDefaultColor = 0xFF000000;

    explicit CColorStsBar(QWidget* parent = nullptr);

    // Creates the panes; the sizing texts fix their widths.
    void SetPanes(const std::vector<QString>& sizingTexts);
    int PaneCount() const { return static_cast<int>(panes.size()); }

    void SetPaneText(int pane, const QString& text);
    QString PaneText(int pane) const;
    // Colours as 0x00BBGGRR, or kDefaultColor.
    void SetPaneColors(int pane, uint32_t textColor, uint32_t bkColor);
    uint32_t PaneTextColor(int pane) const;
    uint32_t PaneBkColor(int pane) const;
    void SetPaneAlignment(int pane, int alignment);
    // The rectangle a pane occupies in the bar.
    QRect PaneRect(int pane) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // 0x00BBGGRR to a colour.
    static QColor ToQColor(uint32_t bgr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Pane {
        QString sizingText;
        QString text;
        uint32_t textColor = kDefaultColor;
        uint32_t bkColor = kDefaultColor;
        int alignment = 0;
    };
    std::vector<Pane> panes;
};
