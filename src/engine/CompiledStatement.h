#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CompiledSequence;
struct StatementRecord;

// A range of the script text that a statement evaluates as an expression: text[from..to], compacted, with ";"
// appended when `semicolon`. `kept` is the evaluator's copy once it was made, `program` its compiled form
// once it was found.
struct ExpressionRange {
    int64_t from = 0;
    int64_t to = -1;
    bool semicolon = false;
    const char* kept = nullptr;
    const CompiledSequence* program = nullptr;
};

// Where a statement's analysis found a fault: the error code and the position it is reported at.
struct AnalysisFault {
    int32_t code = 0;
    int64_t pos = 0;
};

// A statement body: braced (start after "{", last at "}") or one statement (last at its ";").
struct BodyRange {
    int64_t start = 0;
    int64_t last = 0;
    bool braced = false;
};

// One branch of an if chain: an "if (condition)" or the final "else", with its body. A fault found before the
// condition (preFault) or in the body (bodyFault) ends the chain there, after the conditions before it were
// evaluated.
struct IfBranch {
    int64_t at = 0; // the "if"
    bool isElse = false;
    AnalysisFault preFault;
    ExpressionRange condition;
    AnalysisFault bodyFault;
    BodyRange body;
    // The record of the body's first statement.
    StatementRecord* bodyFirst = nullptr;
};

// The analysis of a while, for or return statement: everything found from the text before anything runs.
struct LoopAnalysis {
    AnalysisFault fault;
    ExpressionRange condition;
    ExpressionRange step;
    int64_t initFrom = 0; // for: the initialiser, text[initFrom..initEnd]
    int64_t initEnd = 0;
    BodyRange body;
    // The record of the body's first statement.
    StatementRecord* bodyFirst = nullptr;
};

// What the interpreter learned about the statement that starts (after blanks) at one position of one text
// when run over a range ending at one position: its first word and how it is classified. The parts that
// depend on declarations made while the script runs are kept with the version of what they depend on.
struct StatementRecord {
    const char* text = nullptr;
    int64_t end = 0;   // the range's last position
    int64_t pos = 0;   // the position the statement was looked up at
    int64_t start = 0; // after blanks and comments
    std::string word;
    char first = 0; // the byte at start (0 beyond the range)
    // 1 const, 2 struct, 3 if, 4 while, 5 for, 6 switch, 7 case or default, 8 typedef, 9 break, 10 return.
    int8_t keyword = 0;
    bool operatorFunction = false;
    // TypeSize(word) >= 0, for the types version typesVersion (typesKnown false: not yet asked).
    bool typesKnown = false;
    bool isType = false;
    uint32_t typesVersion = 0;
    // FindFunction(word) != null, for the function table's version.
    bool functionsKnown = false;
    bool isFunction = false;
    uint32_t functionsVersion = 0;
    // The word's interned id in the registry, of generation nameGeneration.
    int32_t wordId = -1;
    uint32_t nameGeneration = 0;
    bool wordIdKnown = false;
    // Whether the word names a visible variable, while the registry's visibility count stays.
    uint64_t wordVisibility = ~0ull;
    bool wordVisible = false;
    int8_t declarationKind = -1; // ClassifyDeclaration, once asked
    // Expression statement: the ";" that ends it (-2: not yet searched) and the expression.
    int64_t semicolon = -2;
    ExpressionRange expression;
    // if chains, loops and return, once analysed.
    bool analysed = false;
    std::vector<IfBranch> branches;
    LoopAnalysis loop;
    // How the dispatcher handles the statement, for the types and function table versions it was decided with
    // (0: not decided). 1 declaration, 2 prototype, 3 a function definition (error 31), 4 a call, 5 a
    // keyword, 6 anything else (decided by the first byte and whether the word names a variable).
    int8_t dispatch = 0;
    uint32_t dispatchTypes = 0;
    uint32_t dispatchFunctions = 0;
    // Where the statement left the position last time, and the position after the blanks that follow.
    int64_t leftAt = -1;
    int64_t nextStart = -1;
    // The record of the statement that ran next in the same range last time.
    StatementRecord* next = nullptr;
};
