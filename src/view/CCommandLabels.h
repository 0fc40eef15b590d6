#pragma once

#include "settings/TextId.h"

#include <vector>

// The text-table entry that labels each command in the menus, tool tips and the key assignment lists.
class CCommandLabels {
public:
    struct Entry {
        int command;
        TextId label;
    };
    // Every command that has a label, in menu order.
    static const std::vector<Entry>& All();
    // The label entry of a command, or -1 when it has none.
    static int LabelOf(int command);
};
