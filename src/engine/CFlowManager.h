#pragma once

#include "engine/CSmartArray2D.h"
#include "engine/CompiledExpression.h"
#include "engine/CompiledStatement.h"
#include "engine/ExecContext.h"
#include "engine/ScriptValue.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
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
    void SetVariableManager(CVariableManager* v) {
        // Statement records remember what the registry answered.
        if (v != variables) {
            ClearCompiled();
        }
        variables = v;
    }
    // Where the next RunStatements finds, and leaves, the record of its first statement: a caller that runs
    // the same range again (a function body) keeps it. Valid until the compiled forms are cleared.
    void SetEntryHint(StatementRecord** hint) { entryHint = hint; }
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
    // The compacted text[from..to] (with ";" when asked) kept by the evaluator for the rest of the run, so
    // that it is evaluated through its compiled form: compacted once per source range. Null when the compiled
    // forms are off.
    const char* KeptRange(const ExecContext& ctx, int64_t from, int64_t to, bool appendSemicolon);
    // Evaluates a compacted expression: the kept one when there is one, else the text (which begins with the
    // zero byte of CompactExpression).
    ScriptValue EvaluateText(const char* kept, const std::string& text);
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

    // Compiled forms: on when the interpreter was created with FastPaths on. Kept expression texts by source
    // range (its first byte, its length, whether ";" was appended); the selector texts of the switch tables.
    struct RangeKey {
        const char* at;
        int64_t length;
        bool semicolon;
        bool operator==(const RangeKey& o) const {
            return at == o.at && length == o.length && semicolon == o.semicolon;
        }
    };
    struct RangeKeyHash {
        size_t operator()(const RangeKey& k) const {
            return std::hash<const void*>()(k.at) ^ (static_cast<size_t>(k.length) * 2 + k.semicolon);
        }
    };
    bool compiledPaths = true;
    bool compileTopLevel = false;
    std::unordered_map<RangeKey, const char*, RangeKeyHash> keptRanges;
    std::unordered_map<int64_t, const char*> keptSelectors;
    // Drops every compiled form and kept text; called when a run starts.
    void ClearCompiled();

    // Statement records, by the text position a statement was looked up at and the end of the range it ran
    // in. Records are made for the statements of bodies (they may run many times), not for those at the top
    // level of a file unless everything is compiled.
    struct RecordKey {
        const char* at;
        int64_t end;
        bool operator==(const RecordKey& o) const { return at == o.at && end == o.end; }
    };
    struct RecordKeyHash {
        size_t operator()(const RecordKey& k) const {
            return std::hash<const void*>()(k.at) ^ static_cast<size_t>(k.end) * 0x9E3779B97F4A7C15ull;
        }
    };
    std::unordered_map<RecordKey, std::unique_ptr<StatementRecord>, RecordKeyHash> records;
    // The records found last, by position, before the table is asked.
    std::array<StatementRecord*, 64> recentRecords{};
    // The record of the statement being dispatched, for its handler.
    StatementRecord* current = nullptr;
    // Where the next RunStatements finds, and leaves, the record of its first statement (a loop sets it
    // for its body).
    StatementRecord** entryHint = nullptr;
    StatementRecord* RecordAt(const ExecContext& ctx, int64_t pos);
    // 1 const, 2 struct, 3 if, 4 while, 5 for, 6 switch, 7 case or default, 8 typedef, 9 break, 10 return;
    // 0 for any other word.
    static int8_t KeywordOf(const std::string& word);
    // How RunStatements handles a statement by its first word: 1 declaration, 2 prototype, 3 a function
    // definition reached (error 31), 4 a call, 5 the keyword (given back), 6 anything else. The record's
    // answer is kept while the types and functions stay as they are.
    int Dispatch(const ExecContext& ctx, const std::string& word, int64_t p, int8_t& keyword);
    int Dispatch(const ExecContext& ctx, StatementRecord& r);
    // The record of the statement at ctx.pos when the dispatcher made one for it, else null.
    StatementRecord* CurrentRecord(const ExecContext& ctx) const {
        return current && current->text == ctx.text && current->end == ctx.end && current->start == ctx.pos
                   ? current
                   : nullptr;
    }
    bool IsTypeWord(StatementRecord& r);
    bool IsFunctionWord(StatementRecord& r);
    bool IsVariableWord(StatementRecord& r);
    // Evaluates an expression range: through its kept text and compiled form when keep is true, else as
    // EvaluateRange does. The cursor rule of EvaluateRange applies.
    ScriptValue EvaluateExpression(const ExecContext& ctx, ExpressionRange& range, bool keep);
    // The same through the kept text, as a FastValue (only its error, cursor and truth are looked at).
    FastValue EvaluateExpressionFast(const ExecContext& ctx, ExpressionRange& range);
    // The truth of a condition's value.
    static bool IsTrue(const FastValue& v);
    bool AnalyseBody(const ExecContext& ctx, int64_t pos, int32_t missingSemicolon, BodyRange& body,
                     AnalysisFault& fault) const;
    void AnalyseIf(const ExecContext& ctx, std::vector<IfBranch>& branches) const;
    void AnalyseWhile(const ExecContext& ctx, LoopAnalysis& a) const;
    void AnalyseFor(const ExecContext& ctx, LoopAnalysis& a) const;
};
