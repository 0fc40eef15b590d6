#pragma once

#include <QWidget>

class CMainFrame;

// The data area: header row, rows of address, cells and characters, drawn by the main window's state.
class CDataView : public QWidget {
    Q_OBJECT
public:
    explicit CDataView(CMainFrame* frame, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CMainFrame* frame;
};
