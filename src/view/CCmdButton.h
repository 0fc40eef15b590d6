#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QIcon>

// An owner-drawn push button: a 3-D frame, raised when unchecked and sunken when checked or pressed, filled
// with its background colour, with an optional icon above its text.
class CCmdButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kKeepsCheck = 0x1;
    static constexpr int kDisabledLook = 0x2;

    explicit CCmdButton(const QString& text, QWidget* parent = nullptr);
    ~CCmdButton() override;

    void SetStyleFlags(int flags) { styleFlags = flags; }
    int StyleFlags() const { return styleFlags; }
    virtual void SetCheck(bool check);
    bool Check() const { return checkedState; }
    void SetColors(const QColor& text, const QColor& background);
    void SetButtonIcon(const QIcon& icon, int spacing);
    void SetTextOffset(int offset) { textOffset = offset; }
    void SetNotifyMessage(int message) { notifyMessage = message; }
    QColor TextColor() const { return textColor; }
    QColor BackgroundColor() const { return bkColor; }

    QSize sizeHint() const override;

signals:
    // Mouse button down/up reported to the parent when a notify message is set.
    void MouseNotify(int message, bool down);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    bool checkedState = false;

private:
    int styleFlags = 0;
    QColor textColor;
    QColor bkColor;
    QIcon buttonIcon;
    int iconSpacing = 0;
    int textOffset = -1;
    int notifyMessage = 0;
};
