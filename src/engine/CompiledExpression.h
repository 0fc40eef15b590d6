#pragma once

#include "engine/ScriptValue.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct CompiledSequence;
struct OperatorRow;
struct VariableRecord;
struct UserFunction;

// One turn of the evaluation loop of CCalcManager, decided from the text once: what stands at the cursor and
// what the loop does with it. Running a step has exactly the effect of that turn of the loop.
struct CompiledStep {
    enum Kind : uint8_t {
        kValue,     // a literal: the value replaces the current one
        kVariable,  // a variable path of one name with at most one index: read through the registry's records
        kPath,      // any other variable path, read as the text evaluator reads it
        kFunction,  // a call of a script function
        kOperator,  // an operator row with its handler
        kExtension, // a function of the binding (an operator id above 43)
    };
    Kind kind = kValue;
    // kOperator: which handler runs it.
    enum OperatorClass : uint8_t { kBinary, kUnary, kAssign, kCompound, kIncDec, kParen, kOtherOperator };
    OperatorClass operatorClass = kOtherOperator;
    // Where the loop stands before the step.
    const char* at = nullptr;
    // The literal value (cursor after it) for kValue.
    ScriptValue value;
    // kOperator and kExtension: the row and the position after its text.
    const OperatorRow* row = nullptr;
    const char* afterText = nullptr;
    // kFunction.
    const UserFunction* function = nullptr;
    // kVariable: the name, its interned id (of generation nameGeneration), the index expression (null: none)
    // and the position after the path.
    std::string name;
    // Interned again when the registry starts a new generation of ids.
    mutable int32_t nameId = -1;
    mutable uint32_t nameGeneration = 0;
    // The variable the name found, while the registry's visibility count stays siteVisibility.
    mutable uint64_t siteVisibility = ~0ull;
    mutable VariableRecord* siteRecord = nullptr;
    const char* indexAt = nullptr;
    const char* pathEnd = nullptr;
    // The compiled operands the handler evaluates (may be null: evaluated through the cache then), and the
    // arguments of a function call.
    const CompiledSequence* operand = nullptr;
    const CompiledSequence* operand2 = nullptr;
    std::vector<const CompiledSequence*> arguments;
};

// A compiled evaluation that only reads numeric variables of the registry, computes with numbers and at most
// stores one number as its last act, flattened into operations on a stack of numbers. Running it either has
// exactly the effect of the evaluation or, when anything is not as foreseen (a name that finds no numeric
// variable, an index outside its variable, a zero divisor, a refused store), stops before anything changed so
// that the evaluation runs as compiled.
struct NumericOperation {
    enum Code : uint8_t {
        kLiteral,     // push the number
        kRead,        // push the element 0 of the site's variable
        kReadIndexed, // pop an index, push that element of the site's variable
        kBinary,      // pop two numbers, push the operator's result
        kUnary,       // replace the top number by the operator's result
        kTarget, // find the element stored to (popping its index when `indexed`); push its value when `read`
        kAssign, // store the top number into the target; it stays the result
        kCompound, // pop the right number and the target's value, store and push their result
        kIncDec,   // replace the target's value by itself plus or minus one, stored (`read`: postfix)
    };
    Code code = kLiteral;
    bool indexed = false;
    bool read = false;
    int32_t id = 0; // the operator id
    int32_t kind = KindInt;
    int64_t intValue = 0;
    double realValue = 0.0;
    const CompiledStep* site = nullptr;
};

struct NumericProgram {
    std::vector<NumericOperation> operations;
    // Evaluation levels the compiled sequence enters at most (each counts against the nesting limit), and
    // the stack of numbers the operations need.
    int32_t nesting = 0;
    int32_t stackSize = 0;
    // Where the evaluation leaves the cursor and the level it leaves.
    const char* cursor = nullptr;
    int32_t level = 0;
};

// The compiled form of one evaluation: Evaluate from start with the precedence bound. The steps are the turns
// of the loop in order; when the cursor after a step is not where the next step was compiled for (a binding
// function may read its arguments any way it likes), the text evaluator continues from there. After the
// steps the loop ends as `end` says, at endAt.
struct CompiledSequence {
    enum End : uint8_t {
        kEndOfText,     // the zero byte: stop
        kSemicolon,     // ";": consumed, stop
        kStop,          // an operator that does not bind tighter than the bound: stop before it
        kPutBack,       // ")", "," or "]": the level becomes the row's, the cursor stays, stop
        kOperatorAtEnd, // an operator as the last character: error 2 after it
        kText,          // the text evaluator runs the rest
    };
    const char* start = nullptr;
    int32_t bound = 0;
    std::vector<CompiledStep> steps;
    End end = kText;
    const char* endAt = nullptr;
    int32_t endLevel = 0;
    // The function table's version the name steps were decided with.
    uint32_t functionsVersion = 0;
    // One number literal and the end of the evaluation; one variable without index and the end.
    bool literal = false;
    bool variable = false;
    // The evaluation as operations on numbers, found when it is first run at the top (null: not possible).
    mutable bool numericKnown = false;
    mutable std::unique_ptr<NumericProgram> numeric;
};

// The value of the compiled evaluation: ScriptValue without the strings that numbers do not need. A value
// read from a variable of one name (and at most one index) names it by its step and index; any other name,
// and the text of a string or the pointed-to type of a pointer, live in `extra`.
struct FastValue {
    struct Extra {
        std::string text;
        std::string name;
    };
    int32_t error = 0;
    int32_t kind = KindVoid;
    int32_t level = 0;
    int64_t intValue = 0;
    double realValue = 0.0;
    const char* cursor = nullptr;
    const CompiledStep* nameStep = nullptr;
    int32_t nameIndex = 0;
    std::unique_ptr<Extra> extra;

    FastValue() = default;
    FastValue(FastValue&&) = default;
    FastValue& operator=(FastValue&&) = default;
    FastValue(const FastValue&) = delete;
    FastValue& operator=(const FastValue&) = delete;

    static FastValue Error(int32_t code, const char* at) {
        FastValue v;
        v.error = code;
        v.cursor = at;
        return v;
    }
    FastValue Clone() const {
        FastValue v;
        v.error = error;
        v.kind = kind;
        v.level = level;
        v.intValue = intValue;
        v.realValue = realValue;
        v.cursor = cursor;
        v.nameStep = nameStep;
        v.nameIndex = nameIndex;
        if (extra) {
            v.extra = std::make_unique<Extra>(*extra);
        }
        return v;
    }
    bool HasName() const { return nameStep || (extra && !extra->name.empty()); }
    void ClearName() {
        nameStep = nullptr;
        if (extra) {
            extra->name.clear();
        }
    }
};
