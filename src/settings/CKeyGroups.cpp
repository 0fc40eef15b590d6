#include "settings/CKeyGroups.h"

#include "settings/CommandIds.h"

#include <cstddef>

const std::vector<CKeyGroups::Group>& CKeyGroups::All() {
    static const std::vector<Group> groups = {
        {T_MENU_FILE,
         {{0, T_NOT_SPECIFIED},
          {ID_FILE_NEW, T_NEW},
          {ID_FILE_OPEN, T_OPEN},
          {ID_FILE_SAVE, T_SAVE},
          {ID_FILE_SAVE_AS, T_SAVE_AS},
          {ID_RELOAD_SYMBOL, T_RELOAD_SYMBOL},
          {ID_LOAD_SYMBOL, T_LOAD_SYMBOL},
          {ID_FILE_PRINT, T_PRINT},
          {ID_FILE_PRINT_PREVIEW, T_PRINT_PREVIEW},
          {ID_FILE_PRINT_SETUP, T_PRINTER_SETTING},
          {ID_APP_EXIT, T_EXIT}}},
        {T_MENU_EDIT,
         {{ID_WRITE, T_WRITE},
          {ID_CUT, T_CUT},
          {ID_COPY, T_COPY},
          {ID_PASTE, T_PASTE},
          {ID_UNDO, T_UNDO},
          {ID_REDO, T_REDO},
          {ID_SELECT_ALL, T_SELECT_ALL}}},
        {T_MENU_JUMP,
         {{ID_JUMP_TO, T_JUMP_TO},
          {ID_JUMP_TOP, T_JUMP_TOP},
          {ID_JUMP_END, T_JUMP_END},
          {ID_MARK_TOGGLE, T_ADD_REMOVE_MARK},
          {ID_MARK_NEXT, T_NEXT_MARK},
          {ID_MARK_PREV, T_PREV_MARK},
          {ID_MARK_REMOVE_ALL, T_REMOVE_ALL_MARK},
          {ID_SEARCH, T_SEARCH},
          {ID_SEARCH_BACKWARD, T_BACKWARD_SEARCH},
          {ID_SEARCH_FORWARD, T_FORWARD_SEARCH},
          {ID_REPLACE, T_REPLACE},
          {ID_SYMBOL_SEARCH, T_SYMBOL_SEARCH},
          {ID_SYMBOL_SEARCH_BACKWARD, T_SYMBOL_BACKWARD_SEARCH},
          {ID_SYMBOL_SEARCH_FORWARD, T_SYMBOL_FORWARD_SEARCH},
          {ID_OFFSET_1BYTE_ABS, T_1BYTE_ABS},
          {ID_OFFSET_2BYTE_ABS, T_2BYTE_ABS},
          {ID_OFFSET_4BYTE_ABS, T_4BYTE_ABS},
          {ID_OFFSET_1BYTE_REL, T_1BYTE_RELATIVE},
          {ID_OFFSET_2BYTE_REL, T_2BYTE_RELATIVE},
          {ID_OFFSET_4BYTE_REL, T_4BYTE_RELATIVE},
          {ID_COMPARE, T_COMPARE_ANOTHER},
          {ID_COMPARE_RESET, T_RESET_DIFFERENT},
          {ID_COMPARE_NEXT, T_NEXT_DIFFERENT}}},
        {T_KEY_GROUP_CURSOR,
         {{ID_CURSOR_LEFT, T_KEY_LEFT},
          {ID_CURSOR_RIGHT, T_KEY_RIGHT},
          {ID_CURSOR_UP, T_KEY_UP},
          {ID_CURSOR_DOWN, T_KEY_DOWN},
          {ID_CURSOR_LINE_HOME, T_KEY_LINE_HOME},
          {ID_CURSOR_LINE_END, T_KEY_LINE_END},
          {ID_CURSOR_PAGE_UP, T_KEY_PREV_PAGE},
          {ID_CURSOR_PAGE_DOWN, T_KEY_NEXT_PAGE}}},
        {T_MENU_VIEW,
         {{ID_LITTLE_ENDIAN, T_LITTLE_ENDIAN},
          {ID_BIG_ENDIAN, T_BIG_ENDIAN},
          {ID_ADDRESS_HEX, T_HEX_ADDRESS},
          {ID_ADDRESS_DEC, T_DEC_ADDRESS},
          {ID_CHARSET_SJIS, T_CHARSET_SJIS},
          {ID_CHARSET_UNICODE, T_CHARSET_UNICODE},
          {ID_VIEW_TOOLBAR, T_TOOLBAR},
          {ID_VIEW_NUMERICBAR, T_NUMERICBAR},
          {ID_VIEW_STATUSBAR, T_STATUSBAR},
          {ID_VIEW_2_WINDOW, T_2_WINDOW},
          {ID_VIEW_CHANGE_WINDOW, T_CHANGE_WINDOW}}},
        {T_MENU_OPTION, {{ID_OPTION, T_OPTION}, {ID_FAST_INPUT, T_FAST_INPUT}}},
        {T_MENU_MACRO, {{ID_EXECUTE_MACRO, T_EXECUTE_MACRO}, {ID_MACRO_HELP, T_MACRO_HELP}}},
        {T_MENU_HELP, {{ID_HELP, T_HELP}, {ID_APP_ABOUT, T_VERSION}}},
    };
    return groups;
}

bool CKeyGroups::Find(uint16_t command, int& group, int& index) {
    const std::vector<Group>& groups = All();
    for (size_t g = 0; g < groups.size(); ++g) {
        for (size_t i = 0; i < groups[g].commands.size(); ++i) {
            if (groups[g].commands[i].command == command) {
                group = static_cast<int>(g);
                index = static_cast<int>(i);
                return true;
            }
        }
    }
    group = 0;
    index = -1;
    return false;
}
