#pragma once

#include "binding/CInputValue.h"
#include "binding/CKvrCalcMan.h"
#include "binding/CKvrFlowMan.h"
#include "binding/CKvrVMan.h"
#include "binding/IScriptHost.h"
#include "data/CDataStore.h"
#include "engine/VariableDump.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One fuzz input of the data functions: the bytes are a script run over a small edited buffer, the way a
// symbol file (odd sizes) or a macro (even sizes) runs, with small limits so that a hostile input ends
// quickly (variable memory 1 MiB, data at most 1 MiB, undo history 256 KiB, loop limit 50, at most 20 000
// statements). The host answers as a user who confirms every box and types a few fixed values. After the
// run the symbol table is looked at the way the SYMBOL view and the symbol search look at it. The fuzz
// target and the corpus replay in test_binding share this.
namespace FuzzBinding {

class Host : public IScriptHost {
public:
    int MessageBox(const std::string&, const std::string&, uint32_t style) override {
        return FirstButton(style);
    }
    bool InputData(const std::string&, const std::string&, int valueType, std::string& text) override {
        static const char* const answers[] = {"12", "-1", "0x7fffffff", "abc", "1e300", ""};
        const size_t which = prompts++ % 7;
        if (which == 6) {
            return false; // Cancel
        }
        CInputValue value(valueType);
        if (value.Parse(answers[which]) != 0) {
            return false;
        }
        text = answers[which];
        return true;
    }
    bool CopyText(const std::string& text) override {
        if (text.size() > (1u << 20)) {
            return false;
        }
        clipboard = text;
        return true;
    }
    std::string PasteText() override { return clipboard; }
    void Progress(int) override {}
    void SetRunning(CFlowManager*) override {}

private:
    size_t prompts = 0;
    std::string clipboard = "pasted";
};

class BudgetFlow : public CKvrFlowMan {
public:
    explicit BudgetFlow(const CDataStore& data) : store(data) {}
    int IsAborted() override {
        return ++statements > 20000 || store.GetDataSize() > (1u << 20) || CKvrFlowMan::IsAborted();
    }

private:
    const CDataStore& store;
    int64_t statements = 0;
};

inline int32_t Run(const uint8_t* data, size_t size) {
    CDataStore store;
    store.SetUndoLimit(256 * 1024);
    // A little header, text and a run of every byte value, so that reads, finds and string bytes meet
    // something.
    std::vector<unsigned char> bytes = {'M', 'Z', 0x90, 0x00, 0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0xff, 0xff};
    static const char text[] = "KIVRAN fuzz\r\nabc\0def";
    bytes.insert(bytes.end(), text, text + sizeof text - 1);
    for (int i = 0; i < 256; ++i) {
        bytes.push_back(static_cast<unsigned char>(i));
    }
    store.InsertData(0, bytes.data(), bytes.size(), 0, 0);
    store.Pane(0).cursor = 5;

    CKvrVMan vman;
    vman.SetOwner(&store);
    vman.SetMemoryLimit(1 << 20);
    CKvrCalcMan calc;
    BudgetFlow flow(store);
    Host host;
    calc.SetKvrVariableManager(&vman);
    calc.SetFlowManager(&flow);
    calc.SetHost(&host);
    calc.SetLanguage(static_cast<int32_t>(size % 3 == 0));
    flow.SetCalcManager(&calc);
    flow.SetKvrVariableManager(&vman);
    flow.SetHost(&host);
    flow.SetIncludeDir("/nonexistent-kivran-fuzz");
    flow.SetMaxLoop(50);
    flow.SetTolerance(size % 2 ? 0 : 3);
    flow.SetDbcsNames(1);
    if (size % 2) {
        vman.Reset();
    } else {
        vman.FreeVariables();
    }

    std::string script(reinterpret_cast<const char*>(data), size);
    ExecContext ctx(script.data(), 0, static_cast<int64_t>(size) - 1);
    flow.RunStatements(ctx, -1, nullptr);

    // What the SYMBOL view and the symbol search do with the table.
    const uint64_t rows = vman.GetSymbolRows();
    SymbolRow row;
    for (uint64_t r = 0; r < rows && r < 64; ++r) {
        vman.LookupRow(r, row);
    }
    if (rows > 64) {
        vman.LookupRow(rows - 1, row);
        vman.LookupRow(rows / 2, row);
    }
    vman.LookupRow(rows, row);
    for (uint64_t offset :
         {uint64_t{0}, uint64_t{7}, vman.GetNextOffset() / 2, vman.GetNextOffset(), store.GetDataSize()}) {
        vman.RowOfOffset(offset);
    }
    uint64_t found = 0;
    vman.FindSymbol(0, "a", 1, 2, found);
    vman.FindSymbol(vman.GetNextOffset(), "A", 0, 0, found);
    vman.GetNameWidth();
    VariableDump::Lines(vman);
    vman.FreeVariables();
    return ctx.error;
}

} // namespace FuzzBinding
