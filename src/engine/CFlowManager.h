#pragma once

#include "engine/CSmartArray2D.h"
#include "engine/ExecContext.h"
#include "engine/ScriptValue.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CCalcManager;
class CVariableManager;

// The statement interpreter. It executes a script text statement by statement, straight from the
// text: each statement is recognised by its first word and its parts are found by searching for their
// delimiters. The binding (CKvrFlowMan) overrides the destructor, DoDirective and DoOtherStatement.
class CFlowManager {
public:
    // Statement nesting deeper than this (bodies inside bodies, function calls included) ends with error 11
    // ("Illegal expression") instead of exhausting the stack.
    static constexpr int32_t kMaxRunDepth = 1000;

    CFlowManager();
    virtual ~CFlowManager();

    CFlowManager(const CFlowManager&) = delete;
    CFlowManager& operator=(const CFlowManager&) = delete;

    // Statement handlers, in the order of the virtual table.
    virtual void DoTypedef(ExecContext& ctx);
    virtual void DoStruct(ExecContext& ctx);
    virtual void DoDeclaration(ExecContext& ctx, const std::string& structName, int32_t flags);
    virtual void DoPrototype(ExecContext& ctx);
    virtual void DoConst(ExecContext& ctx);
    virtual void DoExpression(ExecContext& ctx);
    virtual void DoCallStatement(ExecContext& ctx);
    virtual void DoIf(ExecContext& ctx, ScriptValue* returnSlot);
    virtual void DoWhile(ExecContext& ctx, ScriptValue* returnSlot);
    virtual void DoCase(ExecContext& ctx);
    virtual void DoFor(ExecContext& ctx);
    virtual void DoSwitch(ExecContext& ctx, ScriptValue* returnSlot);
    virtual void DoDirective(ExecContext& ctx);
    virtual void DoOtherStatement(ExecContext& ctx);
    virtual void DoInclude(ExecContext& ctx);
    virtual void DoReturn(ExecContext& ctx, ScriptValue* returnSlot);
    virtual int32_t RunStatements(ExecContext& ctx, int64_t limit, ScriptValue* returnSlot);
    virtual int64_t FindSwitchTable(int64_t identity);
    virtual int NewSwitchTable(int64_t identity);
    virtual void SetSwitchEnd(int64_t identity, int64_t position);
    virtual void SetSwitchDefault(int64_t identity, int64_t position);
    virtual void AddSwitchCase(int64_t identity, int64_t value, int64_t position);
    virtual void SetSwitchSelector(int64_t identity, const std::string& text);
    virtual int64_t GetSwitchEnd(int64_t identity);
    virtual int64_t GetSwitchDefault(int64_t identity);
    virtual int64_t FindSwitchCase(int64_t identity, int64_t value);
    virtual std::string GetSwitchSelector(int64_t identity);
    virtual void Abort();
    virtual int IsAborted();

    void SetCalcManager(CCalcManager* c) { calc = c; }
    void SetVariableManager(CVariableManager* v) { variables = v; }
    void SetIncludeDir(const std::string& dir) { includeDir = dir; }
    void ResetIncludes() { includedFiles.clear(); }
    void SetMaxLoop(int64_t n) { maxLoop = n; }
    int64_t GetMaxLoop() const { return maxLoop; }
    int32_t SetTolerance(int32_t flags);
    void SetDbcsNames(int32_t on) { dbcsNames = on; }
    void ClearAborted() { aborted = 0; }
    int32_t RunDepth() const { return runDepth; }

    // The 1-based line of a position and the text of that line (without its line end).
    static int64_t LineOfPosition(const char* text, int64_t pos, int64_t end, std::string& lineText);
    // A copy of text without blanks and comments, except inside double-quoted strings; the result starts with
    // a zero byte that the evaluator may look at, so the expression itself begins at c_str() + 1.
    static std::string CompactExpression(const char* text, int64_t length);

protected:
    // Text primitives over ctx.text[0..ctx.end].
    int64_t SkipBlanks(const ExecContext& ctx, int64_t pos) const;
    int64_t FindText(const ExecContext& ctx, const std::string& s, int64_t from, int64_t to) const;
    int64_t FindToken(const ExecContext& ctx, const std::string& s, int64_t from, int64_t to) const;
    int64_t FindMatching(const ExecContext& ctx, char open, int64_t from, int64_t to) const;
    int64_t FindTokenOutsideBraces(const ExecContext& ctx, const std::string& s, int64_t from,
                                   int64_t to) const;
    std::string ReadName(const ExecContext& ctx, int64_t pos, bool dbcs) const;
    // Reads a type name at pos (after blanks); returns the position after it, or pos with an empty type.
    int64_t ReadTypeName(const ExecContext& ctx, int64_t pos, std::string& type) const;
    int ClassifyDeclaration(const ExecContext& ctx, int64_t pos) const;

    // Compacts text[from..to], appends ";" when asked and evaluates it from scratch. The result's cursor is
    // kept only when it points into ctx's text (an error inside a script function); otherwise it is null.
    ScriptValue EvaluateRange(const ExecContext& ctx, int64_t from, int64_t to, bool appendSemicolon);
    // Runs text[from..end] of ctx's text in a nested context and carries its error, line, break and return
    // counts back into ctx.
    void RunNested(ExecContext& ctx, int64_t from, int64_t end, int64_t limit, ScriptValue* returnSlot);
    // A body after a condition: braced (to the matching "}") or one statement (to the first ";").
    bool FindBody(ExecContext& ctx, int64_t pos, int64_t& start, int64_t& last, bool& braced,
                  int32_t missingSemicolon);
    void RunLoopBody(ExecContext& ctx, int64_t start, int64_t last, bool braced, ScriptValue* returnSlot);
    bool LoopLimitReached(int64_t n) const;
    void FinishLoop(ExecContext& ctx, int64_t n, int64_t statementPos);
    void Fail(ExecContext& ctx, int32_t code, int64_t pos);
    bool InText(const ExecContext& ctx, const char* p) const;

    int32_t runDepth = 0;
    int64_t maxLoop = -1;
    CCalcManager* calc = nullptr;
    CVariableManager* variables = nullptr;
    std::string includeDir;
    std::vector<std::string> includedFiles;
    CSmartArray2D<long long> switchTables;
    std::vector<std::string> switchSelectors;
    int32_t tolerance = 0;
    uint8_t aborted = 0;
    int32_t dbcsNames = 0;

private:
    bool RegisterDeclarator(ExecContext& ctx, const std::string& structName, const std::string& type,
                            const std::string& name, int64_t count, int32_t flags, int64_t pos);
    bool AnalyseSwitch(ExecContext& ctx, int64_t identity, int64_t keywordPos);
    int64_t RowOf(int64_t identity);

    // Texts of included files: script functions defined in them point into these, so they live as long as the
    // interpreter.
    std::vector<std::unique_ptr<std::string>> includedTexts;
    // The return slot of the statement being run, for DoFor (whose virtual signature has none).
    ScriptValue* forReturnSlot = nullptr;
};
