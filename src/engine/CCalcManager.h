#pragma once

#include "engine/CExpressionCache.h"
#include "engine/ScriptValue.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CFlowManager;
class CVariableManager;
struct StatementRecord;
struct CompiledSequence;
struct VariableRecord;

// One row of the operator table: the text that invokes it, its id and its precedence (higher binds tighter).
struct OperatorRow {
    const char* text;
    int32_t id;
    int32_t precedence;
};

// A function the script defines; the body text is owned by whoever ran the definition and outlives the run.
struct UserFunction {
    std::string name;
    std::vector<std::string> parameterTypes;
    std::vector<std::string> parameterNames;
    std::string returnType;
    const char* bodyText = nullptr;
    int64_t bodyStart = 0;
    int64_t textEnd = -1;
    // KindOfTypeName(returnType), which the returned value is converted to.
    int32_t returnKind = KindNone;
    // The interpreter's record of the body's first statement (cleared with the compiled forms).
    mutable StatementRecord* bodyFirst = nullptr;
};

// The expression evaluator. It works on compacted text (no blanks, no comments outside strings)
// and needs the byte before any text it is handed to be readable: CFlowManager::CompactExpression puts a zero
// byte there. The binding (CKvrCalcMan) adds functions by overriding CallExtension and FindOperator.
class CCalcManager {
public:
    // Nesting limits: an expression nested deeper, or script functions calling each other deeper, end with an
    // engine error (11 "Illegal expression" for nesting, 22 "Reached maximun loop" for recursion) instead of
    // exhausting the stack.
    static constexpr int32_t kMaxDepth = 1000;
    static constexpr int32_t kMaxCallDepth = 256;

    CCalcManager();
    virtual ~CCalcManager();

    CCalcManager(const CCalcManager&) = delete;
    CCalcManager& operator=(const CCalcManager&) = delete;

    // Called for an operator id above 43 with the value whose cursor stands after the function's "("; the
    // base knows none (error 1).
    virtual ScriptValue CallExtension(int32_t id, const ScriptValue& input);
    // The operator table row whose text starts the input, with the unary/binary choice; none when no row
    // matches.
    virtual const OperatorRow* FindOperator(const char* position);

    ScriptValue Evaluate(const ScriptValue& input);
    // Evaluates up to count comma-separated arguments closed by ")"; moves the cursor after the ")" and sets
    // count to the number read. Returns the error code, 0 on success.
    int32_t EvaluateArguments(const char*& cursor, ScriptValue* values, int32_t& count);

    int RegisterFunction(const std::string& name, const std::string& returnType, const char* bodyText,
                         int64_t bodyStart, int64_t textEnd);
    int AddFunctionParameter(const std::string& functionName, const std::string& type,
                             const std::string& parameterName);
    UserFunction* FindFunction(const std::string& name) const;

    void SetFlowManager(CFlowManager* f) { flow = f; }
    void SetVariableManager(CVariableManager* v);
    CVariableManager* GetVariableManager() const { return variables; }
    // Where the internal consistency messages go (the editor shows them in a message box).
    void SetMessageHandler(std::function<void(const std::string&)> handler) {
        messageHandler = std::move(handler);
    }

    int32_t Depth() const { return depth; }
    // True when the word followed by "(" names a row of the operator table.
    bool IsOperatorFunction(const std::string& word);

    // The base operator table, in its order.
    static const OperatorRow* BaseTable(size_t& count);

    // Compiled evaluation. An expression text kept here (KeepExpression) is evaluated through its compiled
    // form, with the same result as from the text; texts held elsewhere are evaluated from the text. The
    // operator table must answer by the text alone (FindOperator at the same position of the same text always
    // gives the same row). The interpreter keeps the texts of the statements it runs and clears everything at
    // the start of each run.
    bool CompiledPaths() const { return compiledPaths; }
    const char* KeepExpression(const std::string& compacted) { return expressions.Keep(compacted); }
    void ClearCompiled() {
        expressions.Clear();
        for (auto& f : functions) {
            f->bodyFirst = nullptr;
        }
    }
    const CExpressionCache& Compiled() const { return expressions; }
    // Evaluates a kept expression through its compiled form, which program caches (it is found or compiled
    // when null or out of date).
    ScriptValue EvaluateKept(const char* kept, const CompiledSequence*& program);
    // The same for a value that is used without its name (a returned value): the name is left empty.
    ScriptValue EvaluateKeptUnnamed(const char* kept, const CompiledSequence*& program);
    // The same as a FastValue, for the interpreter, which looks at the value only to test it.
    FastValue EvaluateKeptFast(const char* kept, const CompiledSequence*& program) {
        if (compiledPaths && program && program->functionsVersion == functionsVersion) {
            FastValue v;
            if (!RunNumeric(*program, v)) {
                RunSeq(*program, v);
            }
            return v;
        }
        return EvaluateKeptSlow(kept, program);
    }
    // Counts the registrations of script functions.
    uint32_t FunctionsVersion() const { return functionsVersion; }
    // Outermost evaluations completed by their numeric forms since the evaluator was made.
    uint64_t NumericRuns() const { return numericRuns; }

protected:
    void ShowMessage(const std::string& text);

    int32_t depth = 0;
    const char* exprStart = nullptr;
    CVariableManager* variables = nullptr;
    CFlowManager* flow = nullptr;
    std::vector<std::unique_ptr<UserFunction>> functions;
    std::unordered_map<std::string, UserFunction*> functionIndex;

private:
    // The evaluation loop from v's cursor with the given precedence bound, straight from the text.
    void TextLoop(ScriptValue& v, int32_t bound);
    // The compiled form of Evaluate(start, bound), compiled on first use; null when there is none (nesting
    // beyond the compiler's depth).
    const CompiledSequence* CompiledFor(const char* start, int32_t bound, int32_t compileDepth);
    std::unique_ptr<CompiledSequence> Compile(const char* start, int32_t bound, int32_t compileDepth);
    // Where an evaluation compiled as s leaves the cursor when it succeeds; null when that is not known.
    static const char* PredictedEnd(const CompiledSequence* s);
    const char* CompileOperator(CompiledStep& step, bool firstStep, int32_t compileDepth);
    const char* CompileCall(CompiledStep& step, const UserFunction& f, const char* p, int32_t compileDepth);
    const char* CompilePath(CompiledStep& step, const char* p, int32_t compileDepth);
    ScriptValue RunSequence(const CompiledSequence& s);
    // The compiled evaluation on FastValue: RunSeq runs a sequence (as Evaluate does), RunSub an operand
    // (the compiled one when it is the one for cursor and bound, else through Evaluate); both replace v.
    void RunSeq(const CompiledSequence& s, FastValue& v);
    FastValue EvaluateKeptSlow(const char* kept, const CompiledSequence*& program);
    // Runs the numeric form of an outermost evaluation (building it on first use) and sets v to its result
    // (error, cursor, level and number; no name); false, with nothing changed, when it has none or it
    // stopped.
    bool RunNumeric(const CompiledSequence& s, FastValue& v);
    bool BuildNumeric(const CompiledSequence& s, NumericProgram& program, bool outermost, int32_t& nesting,
                      int32_t& level);
    bool BuildNumericSite(const CompiledStep& step, NumericProgram& program, int32_t& nesting);
    bool BuildNumericOperand(const CompiledSequence* sub, const char* cursor, int32_t bound,
                             NumericProgram& program, int32_t& nesting, const char*& end, int32_t& level);
    void RunSub(const CompiledSequence* sub, const char* cursor, int32_t bound, FastValue& v);
    void ReadSimple(const CompiledStep& step, FastValue& v);
    // CallFunction with the arguments evaluated through their compiled forms.
    void CallCompiled(const CompiledStep& step, FastValue& v);
    void RunOperatorStep(const CompiledStep& step, FastValue& v);
    void RunBinary(const CompiledStep& step, FastValue& v);
    void RunUnary(const CompiledStep& step, FastValue& v);
    void RunAssign(const CompiledStep& step, FastValue& v);
    void RunCompound(const CompiledStep& step, FastValue& v);
    void RunIncDec(const CompiledStep& step, FastValue& v);
    void RunParen(const CompiledStep& step, FastValue& v);
    // Runs the operator's handler of the text evaluator on the current value.
    void SlowOperator(const CompiledStep& step, FastValue& v);
    // The record and element of a value's simple name, when the registry allows direct access and the name
    // denotes an element of a variable with a kind; false otherwise.
    bool ResolveDirect(const CompiledStep& nameStep, int32_t index, VariableRecord*& record, int64_t& offset);
    bool UseDirect() const { return direct; }
    std::string NameOf(const FastValue& v) const;
    ScriptValue ToScript(FastValue&& v) const;
    static FastValue FromScript(ScriptValue&& v);
    ScriptValue RunOperator(const OperatorRow& row, const ScriptValue& left, const char* opPos);
    ScriptValue RightOperand(const ScriptValue& left);
    ScriptValue ReadNumber(const char* p);
    ScriptValue ReadCharConstant(const char* p);
    ScriptValue ReadStringLiteral(const char* p);
    ScriptValue ReadNameValue(const char* p);
    ScriptValue ReadVariablePath(const char* p);
    ScriptValue ReadPathParts(std::string path, const char* p);
    ScriptValue ReadPathType(const std::string& path, const char* p);
    ScriptValue ReadTyped(const std::string& path, const std::string& type, const char* cursor);
    ScriptValue CallFunction(const UserFunction& f, const char* p);
    ScriptValue StoreArgument(const std::string& type, const std::string& name, const ScriptValue& arg);
    ScriptValue Assign(const ScriptValue& left);
    ScriptValue CompoundAssign(int32_t id, const ScriptValue& left);
    ScriptValue IncrementDecrement(int32_t id, const ScriptValue& current);
    // The same with the right operand (the operand of a prefix "++" or "--") already evaluated.
    ScriptValue AssignRight(const ScriptValue& left, const ScriptValue& right);
    ScriptValue CompoundRight(int32_t id, const ScriptValue& left, const ScriptValue& right);
    ScriptValue IncrementDecrementOperand(int32_t id, const ScriptValue& current, const ScriptValue& operand);
    // Continues reading a variable path whose first part (the path so far) ends before p, as ReadVariablePath
    // does.
    ScriptValue ContinuePath(std::string path, const char* p);
    ScriptValue Dereference(const ScriptValue& left, const char* opPos);
    ScriptValue AddressOfOperand(const ScriptValue& left);
    ScriptValue PointerArithmetic(bool add, const ScriptValue& left, const ScriptValue& right);
    // Stores a value into a pointer variable by step 3 of assignment; 0 when stored, else the error code.
    int32_t StoreIntoPointerVariable(const ScriptValue& left, const ScriptValue& right);
    ScriptValue OneArgumentFunction(int32_t id, const ScriptValue& left);
    ScriptValue MinMax(bool isMax, const ScriptValue& left);
    ScriptValue SizeOf(const ScriptValue& left);
    ScriptValue CaseConvert(bool upper, const ScriptValue& arg);

    int32_t callDepth = 0;
    std::function<void(const std::string&)> messageHandler;
    bool compiledPaths = true;
    uint32_t functionsVersion = 0;
    uint64_t numericRuns = 0;
    // The registry allows direct access to its variables (CVariableManager::DirectAccess).
    bool direct = false;
    // StackGuard::Floor() of the thread running the outermost compiled evaluation.
    uintptr_t stackFloor = 0;
    CExpressionCache expressions;
};
