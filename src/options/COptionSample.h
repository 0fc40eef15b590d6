#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

// A framed sample of text in a font and a pair of colours, drawn left-aligned or centred and vertically
// centred: the colour and strong-data samples of the View page.
class COptionSample : public QWidget {
    Q_OBJECT
public:
    explicit COptionSample(Qt::Alignment horizontal, QWidget* parent = nullptr);

    void Set(const QString& text, const QFont& font, const QColor& textColor, const QColor& background);
    const QString& Text() const { return text; }
    const QColor& TextColor() const { return textColor; }
    const QColor& Background() const { return background; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::Alignment horizontal;
    QString text;
    QFont sampleFont;
    QColor textColor;
    QColor background;
};
