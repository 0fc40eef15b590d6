#pragma once

#include "settings/TextId.h"

#include <cstdint>
#include <vector>

// The commands keys can be bound to, in the eight groups of the Keycode page (the top-level menus and the
// cursor movements), each command with the text-table entry that names it. The first command of the first
// group is "Not specified" (command 0): choosing it removes a binding.
class CKeyGroups {
public:
    struct Command {
        uint16_t command;
        TextId label;
    };
    struct Group {
        TextId name;
        std::vector<Command> commands;
    };

    static const std::vector<Group>& All();
    // Where a command is listed: false (and group 0, index -1) for a command that is in no group.
    static bool Find(uint16_t command, int& group, int& index);
};
