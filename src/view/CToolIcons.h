#pragma once

#include <QIcon>

// The 16 x 15 pixel images of the tool bar buttons, drawn at run time so that they scale with the screen.
class CToolIcons {
public:
    static QIcon Icon(int command);
};
