#pragma once

#include "engine/CCalcManager.h"

#include <cstdint>
#include <string>
#include <vector>

class CKvrVMan;
class IScriptHost;

// The program's evaluator: the engine's expressions plus the 28 data functions through which scripts read,
// search and change the edited data, talk to the user and use the clipboard. Every data access goes
// through the variable manager's data helpers; the user and the clipboard through the host. A run without
// a host answers as a user who presses the first button and cancels every prompt.
class CKvrCalcMan : public CCalcManager {
public:
    static constexpr int32_t kFirstFunctionId = 45;
    static constexpr int32_t kFunctionCount = 28;
    static constexpr int32_t kFunctionPrecedence = 100;
    // Bytes read per step of a search; consecutive steps overlap by the pattern length minus one.
    static constexpr uint64_t kSearchChunk = 100;

    // Ids of the data functions, in table order.
    enum FunctionId : int32_t {
        kGetCurrentByte = 45,
        kGetCurrentWord,
        kGetCurrentDword,
        kGetByte,
        kGetWord,
        kGetDword,
        kGetCurrentOffset,
        kGetFileSize,
        kFindByte,
        kFindWord,
        kFindDword,
        kFindByteOffset,
        kFindWordOffset,
        kFindDwordOffset,
        kMessageBox,
        kInsert,
        kWrite,
        kDelete,
        kAdd,
        kInputData,
        kGetStringByte,
        kFStrCmp,
        kDeleteSymbol,
        kCopy,
        kPaste,
        kGetCursorOffset,
        kGetLanguage,
        kSetMark,
    };

    CKvrCalcMan();
    ~CKvrCalcMan() override;

    // Installs the manager both as the data access of the functions and as the evaluator's registry.
    void SetKvrVariableManager(CKvrVMan* manager);
    CKvrVMan* KvrVariableManager() const { return kvr; }
    void SetHost(IScriptHost* scriptHost) { host = scriptHost; }
    void SetLanguage(int32_t uiLanguage) { language = uiLanguage; }
    int32_t Language() const { return language; }

    ScriptValue CallExtension(int32_t id, const ScriptValue& input) override;
    const OperatorRow* FindOperator(const char* position) override;

    // The 28 data functions, in table order.
    static const OperatorRow* FunctionTable(size_t& count);

    // The search of the Find functions: the distance from start to the first occurrence of the n (1, 2 or 4)
    // low bytes of value at or after start, in the data's byte order; -1 when there is none.
    int64_t Search(uint32_t value, int n, uint64_t start) const;
    // The bytes a value puts into the data (Insert(, Write(, Add(): false for a value that has none.
    bool ValueBytes(const ScriptValue& value, std::vector<unsigned char>& bytes) const;

private:
    // The argument forms. Expression form: one expression up to ")", or two separated by ",".
    ScriptValue ExpressionArgument(const ScriptValue& input, ScriptValue& argument);
    ScriptValue ExpressionArguments(const ScriptValue& input, ScriptValue& first, ScriptValue& second);
    // Argument list of at most maximum arguments; count receives the number read (an empty "()" is one
    // void argument). On error the result carries the code.
    ScriptValue ArgumentList(const ScriptValue& input, ScriptValue* values, int32_t maximum, int32_t& count);

    ScriptValue ReadAt(int32_t id, const ScriptValue& input);
    ScriptValue Find(int32_t id, const ScriptValue& input);
    ScriptValue MessageBoxCall(const ScriptValue& input);
    ScriptValue Change(int32_t id, const ScriptValue& input);
    ScriptValue InputDataCall(const ScriptValue& input);
    ScriptValue GetStringByteCall(const ScriptValue& input);
    ScriptValue FStrCmpCall(const ScriptValue& input);
    ScriptValue NoArgument(int32_t id, const ScriptValue& input);
    ScriptValue CopyCall(const ScriptValue& input);
    ScriptValue SetMarkCall(const ScriptValue& input);

    CKvrVMan* kvr = nullptr;
    IScriptHost* host = nullptr;
    int32_t language = 0;
};
