#pragma once

#include "engine/CFlowManager.h"

#include <cstdint>

class CKvrVMan;
class IScriptHost;

// The program's statement interpreter: the engine's statements plus the directives "#bigendian",
// "#littleendian" and "#maxloop N", the "$" prefix that lays a declaration over the edited data, and the
// progress of a run, reported to the host whenever its percentage changes. Names may hold double-byte
// characters.
class CKvrFlowMan : public CFlowManager {
public:
    CKvrFlowMan();
    ~CKvrFlowMan() override;

    // Installs the manager both as the symbol table of "$" declarations and as the interpreter's registry.
    void SetKvrVariableManager(CKvrVMan* manager);
    CKvrVMan* KvrVariableManager() const { return kvr; }
    void SetHost(IScriptHost* scriptHost) { host = scriptHost; }
    void SetLanguage(int32_t uiLanguage) { language = uiLanguage; }
    int32_t Language() const { return language; }
    int32_t LastPercent() const { return lastPercent; }

    void DoDirective(ExecContext& ctx) override;
    void DoOtherStatement(ExecContext& ctx) override;
    // The share of the data the bound declarations cover so far; the host hears of each new percentage.
    // Nothing is reported over empty data.
    virtual void UpdateProgress();

private:
    void DoMaxLoop(ExecContext& ctx, int64_t statement, int64_t afterWord);

    CKvrVMan* kvr = nullptr;
    IScriptHost* host = nullptr;
    int32_t lastPercent = 0;
    int32_t language = 0;
};
