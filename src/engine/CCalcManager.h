#pragma once

#include "engine/ScriptValue.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CFlowManager;
class CVariableManager;

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
    void SetVariableManager(CVariableManager* v) { variables = v; }
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

protected:
    void ShowMessage(const std::string& text);

    int32_t depth = 0;
    const char* exprStart = nullptr;
    CVariableManager* variables = nullptr;
    CFlowManager* flow = nullptr;
    std::vector<std::unique_ptr<UserFunction>> functions;
    std::unordered_map<std::string, UserFunction*> functionIndex;

private:
    ScriptValue RunOperator(const OperatorRow& row, const ScriptValue& left, const char* opPos);
    ScriptValue RightOperand(const ScriptValue& left);
    ScriptValue ReadNumber(const char* p);
    ScriptValue ReadCharConstant(const char* p);
    ScriptValue ReadStringLiteral(const char* p);
    ScriptValue ReadNameValue(const char* p);
    ScriptValue ReadVariablePath(const char* p);
    ScriptValue ReadTyped(const std::string& path, const std::string& type, const char* cursor);
    ScriptValue CallFunction(const UserFunction& f, const char* p);
    ScriptValue StoreArgument(const std::string& type, const std::string& name, const ScriptValue& arg);
    ScriptValue Assign(const ScriptValue& left);
    ScriptValue CompoundAssign(int32_t id, const ScriptValue& left);
    ScriptValue IncrementDecrement(int32_t id, const ScriptValue& current);
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
};
