#pragma once

#include "binding/CKvrCalcMan.h"
#include "binding/CKvrFlowMan.h"
#include "binding/CKvrVMan.h"
#include "binding/IScriptHost.h"
#include "data/CDataStore.h"
#include "engine/CFlowManager.h"

#include <deque>
#include <string>
#include <vector>

// A host that answers as a test tells it to and remembers what it was asked.
class FakeScriptHost : public IScriptHost {
public:
    struct Message {
        std::string text;
        std::string caption;
        uint32_t style;
        bool duringRun; // a run was known to the host when the box was shown
    };
    struct Prompt {
        std::string prompt;
        std::string title;
        int valueType;
        std::string initialText;
    };

    int MessageBox(const std::string& text, const std::string& caption, uint32_t style) override {
        messages.push_back({text, caption, style, running != nullptr});
        return button;
    }
    bool InputData(const std::string& prompt, const std::string& title, int valueType,
                   std::string& text) override {
        prompts.push_back({prompt, title, valueType, text});
        if (answers.empty()) {
            return false;
        }
        text = answers.front();
        answers.pop_front();
        return true;
    }
    bool CopyText(const std::string& text) override {
        if (!clipboardWorks) {
            return false;
        }
        clipboard = text;
        return true;
    }
    std::string PasteText() override { return clipboard; }
    void Progress(int percent) override {
        progress.push_back(percent);
        if (abortAtPercent >= 0 && percent >= abortAtPercent && running) {
            running->Abort();
        }
    }
    void SetRunning(CFlowManager* flow) override {
        running = flow;
        runningLog.push_back(flow != nullptr);
    }

    int button = 1;
    // Texts entered at the prompts, in order; none left means Cancel.
    std::deque<std::string> answers;
    bool clipboardWorks = true;
    std::string clipboard;
    int abortAtPercent = -1;

    std::vector<Message> messages;
    std::vector<Prompt> prompts;
    std::vector<int> progress;
    CFlowManager* running = nullptr;
    std::vector<bool> runningLog;
};

// Data, symbol table, evaluator and interpreter linked as a script run links them.
struct BindingHarness {
    CDataStore store;
    CKvrVMan vman;
    CKvrCalcMan calc;
    CKvrFlowMan flow;
    FakeScriptHost host;
    std::string text; // the last script run; functions it defines point into it

    explicit BindingHarness(const std::vector<unsigned char>& data = {}) {
        SetData(data);
        vman.SetOwner(&store);
        calc.SetKvrVariableManager(&vman);
        calc.SetFlowManager(&flow);
        calc.SetHost(&host);
        calc.SetLanguage(1);
        flow.SetCalcManager(&calc);
        flow.SetKvrVariableManager(&vman);
        flow.SetHost(&host);
        flow.SetLanguage(1);
        flow.SetMaxLoop(1000);
    }

    void SetData(const std::vector<unsigned char>& data) {
        store.NewBuffer();
        if (!data.empty()) {
            store.InsertData(0, data.data(), data.size(), 0, 0);
        }
    }

    std::vector<unsigned char> Data() const {
        std::vector<unsigned char> bytes(store.GetDataSize());
        if (!bytes.empty()) {
            store.ReadData(0, bytes.data(), bytes.size());
        }
        return bytes;
    }

    ExecContext Run(const std::string& script) {
        text = script;
        ExecContext ctx(text.data(), 0, static_cast<int64_t>(text.size()) - 1);
        flow.RunStatements(ctx, -1, nullptr);
        return ctx;
    }

    // Evaluates one expression the way a statement does (compacted, ";" appended).
    ScriptValue Eval(const std::string& expression) {
        std::string compact =
            CFlowManager::CompactExpression(expression.data(), static_cast<int64_t>(expression.size())) + ";";
        ScriptValue v = calc.Evaluate(ScriptValue(compact.c_str() + 1, 0));
        v.cursor = nullptr;
        return v;
    }
};
