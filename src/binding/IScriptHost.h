#pragma once

#include <cstdint>
#include <string>

class CFlowManager;

// What a script run needs from whoever runs it: the user, the clipboard and the progress display. The
// window answers with dialogs; batch mode with standard input and output. All texts are code page 932.
class IScriptHost {
public:
    virtual ~IScriptHost() = default;

    // MessageBox(: button set = style & 0x0F (0 OK; 1 OK/Cancel; 2 Abort/Retry/Ignore; 3 Yes/No/Cancel;
    // 4 Yes/No; 5 Retry/Cancel), icon = style & 0xF0. Returns 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore,
    // 6 Yes, 7 No.
    virtual int MessageBox(const std::string& text, const std::string& caption, uint32_t style) = 0;
    // The first button of a style's set: what a user who just confirms would press.
    static int FirstButton(uint32_t style) {
        switch (style & 0x0F) {
        case 2:
            return 3;
        case 3:
        case 4:
            return 6;
        case 5:
            return 4;
        default:
            return 1;
        }
    }
    // InputData(: shows the prompt with text as the initial value of the given value type (1 char,
    // 2 unsigned char, 3 short, 4 unsigned short, 5 long, 6 unsigned long, 7 float, 8 double, 9 text).
    // Only a text that CInputValue::Parse accepts is handed back (a dialog stays open and says "Find
    // illegal charactor" otherwise). False on Cancel.
    virtual bool InputData(const std::string& prompt, const std::string& title, int valueType,
                           std::string& text) = 0;
    // Copy( and Paste(: plain text. CopyText is false when the clipboard cannot be used.
    virtual bool CopyText(const std::string& text) = 0;
    virtual std::string PasteText() = 0;
    // The run's progress changed (0..100): show it and let at most one pending event through, so that
    // painting and Esc work during long runs.
    virtual void Progress(int percent) = 0;
    // The interpreter of the run in progress (null when it ends), for Esc to abort it.
    virtual void SetRunning(CFlowManager* flow) = 0;
};
