#pragma once

#include "binding/IScriptHost.h"

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class QGuiApplication;

// The user of a batch run: message boxes are lines on standard output, prompts read lines of standard input
// (their prompt goes to standard error), and Copy( and Paste( use the system clipboard when a display can be
// reached, else a clipboard that lives as long as the run. Terminal text is UTF-8; the engine's is code
// page 932.
class CBatchScriptHost : public IScriptHost {
public:
    CBatchScriptHost(std::istream& in, std::ostream& out, std::ostream& err, int language);
    ~CBatchScriptHost() override;
    CBatchScriptHost(const CBatchScriptHost&) = delete;
    CBatchScriptHost& operator=(const CBatchScriptHost&) = delete;

    // Writes the text and a line feed; answers with the first button of the style's set.
    int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override;
    // Writes the prompt to standard error and reads lines until one parses as the value type ("Find illegal
    // charactor" on standard error for each that does not). End of input is Cancel.
    bool InputData(const std::string& prompt, const std::string& title, int valueType,
                   std::string& text) override;
    bool CopyText(const std::string& text) override;
    std::string PasteText() override;
    void Progress(int) override {}
    void SetRunning(CFlowManager*) override {}

    // Engine text for the terminal: UTF-8 when the text converts back and forth without loss, otherwise the
    // bytes as they are.
    static std::string ForOutput(const std::string& text);
    // Terminal text for the engine: valid UTF-8 with bytes above 0x7F is converted to code page 932.
    static std::string FromInput(const std::string& text);

    // The Qt platform to reach the system clipboard with ("offscreen" or "minimal" when QT_QPA_PLATFORM asks
    // for one of them, "xcb" when the X display answers); empty when there is no display. Looking first
    // matters: Qt ends the process when it cannot connect to the display it was given.
    static std::string ClipboardPlatform();

private:
    // The application object the system clipboard needs, made on first use; false when there is none.
    bool SystemClipboard();

    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    int language;
    std::string runClipboard;
    bool triedSystem = false;
    std::unique_ptr<QGuiApplication> application;
    int argc = 0;
    std::vector<std::string> argStrings;
    std::vector<char*> argv;
};
