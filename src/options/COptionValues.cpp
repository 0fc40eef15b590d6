#include "options/COptionValues.h"

COptionValues COptionValues::FromSettings(const KivranSettings& s) {
    COptionValues v;
    v.messageOnDelete = !(s.optionFlags & kNoDeleteQuestion);
    v.maxFileSizeForMemory = s.maxFileSizeForMemory;
    v.maxUndoSize = s.maxUndoSize;
    v.language = s.language == 1 ? 1 : 0;
    v.useRegistry = s.useRegistry ? 1 : 0;
    v.macroDir = s.macroDir;
    v.dynamicMark = !(s.optionFlags & kDynamicMarkOff);
    v.textColor = s.textColor;
    v.bkColor = s.bkColor;
    v.font = s.displayFont;
    v.floatPrecision = s.floatPrecision;
    v.strongData = s.strongData;
    v.mode = s.mode;
    v.dllFileName = s.dllFileName;
    v.readFuncName = s.readFuncName;
    v.writeFuncName = s.writeFuncName;
    v.dllMemorySize = s.dllMemorySize;
    v.dllSymbolFile = s.dllSymbolFile;
    v.mmfName = s.mmfName;
    v.mutexName = s.mutexName;
    v.mmfMemorySize = s.mmfMemorySize;
    v.mmfSymbolFile = s.mmfSymbolFile;
    v.elapse = s.elapse;
    v.keyTable = s.keyTable;
    return v;
}
