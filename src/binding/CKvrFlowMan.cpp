#include "binding/CKvrFlowMan.h"

#include "binding/CKvrVMan.h"
#include "binding/IScriptHost.h"
#include "engine/CCalcManager.h"

#include <algorithm>
#include <cmath>

CKvrFlowMan::CKvrFlowMan() {
    dbcsNames = 1;
}

CKvrFlowMan::~CKvrFlowMan() = default;

void CKvrFlowMan::SetKvrVariableManager(CKvrVMan* manager) {
    kvr = manager;
    SetVariableManager(manager);
}

void CKvrFlowMan::DoDirective(ExecContext& ctx) {
    const int64_t statement = ctx.pos;
    CFlowManager::DoDirective(ctx);
    if (ctx.error == 0) {
        return;
    }
    const std::string word = ReadName(ctx, statement + 1, false);
    const int64_t afterWord = statement + 1 + static_cast<int64_t>(word.size());
    if (word == "bigendian" || word == "littleendian") {
        if (kvr) {
            kvr->SetBigEndian(word == "bigendian" ? 1 : 0);
        }
        ctx.error = 0;
        ctx.pos = afterWord;
    } else if (word == "maxloop") {
        ctx.error = 0;
        DoMaxLoop(ctx, statement, afterWord);
    }
}

void CKvrFlowMan::DoMaxLoop(ExecContext& ctx, int64_t statement, int64_t afterWord) {
    const int64_t from = SkipBlanks(ctx, afterWord);
    int64_t stop = from;
    while (stop <= ctx.end) {
        const char c = ctx.text[stop];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            break;
        }
        ++stop;
    }
    ScriptValue value = EvaluateRange(ctx, from, stop - 1, true);
    if (value.error == 0) {
        ConvertTo(value, KindInt);
    }
    if (value.error != 0) {
        Fail(ctx, 11, statement);
        return;
    }
    SetMaxLoop(value.intValue);
    ctx.pos = std::min(stop + 1, ctx.end + 1);
}

void CKvrFlowMan::DoOtherStatement(ExecContext& ctx) {
    if (ctx.pos > ctx.end || ctx.text[ctx.pos] != '$' || !kvr) {
        CFlowManager::DoOtherStatement(ctx);
        return;
    }
    kvr->SetBindNext(1);
    ++ctx.pos;
    DoDeclaration(ctx, std::string(), 0);
    kvr->SetBindNext(0);
    UpdateProgress();
}

void CKvrFlowMan::UpdateProgress() {
    if (!kvr) {
        return;
    }
    const uint64_t size = kvr->DataSize();
    if (size == 0) {
        return;
    }
    // Symbols may reach past the end of the data; the bar stops at 100.
    double share = static_cast<double>(kvr->GetNextOffset()) * 100.0 / static_cast<double>(size);
    const auto percent = static_cast<int32_t>(std::min(share, 100.0));
    if (percent == lastPercent) {
        return;
    }
    lastPercent = percent;
    if (host) {
        host->Progress(percent);
    }
}
