#pragma once

#include "data/CKvrMemManager.h"
#include "data/ISymbolRows.h"
#include "engine/CVariableManager.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class CDataStore;

// The program's variable manager: the engine's registry plus the symbol table, the declarations a symbol
// file binds to the edited data with "$". Bound declarations tile the data from offset 0 in declaration
// order; their values are read from the data each time. The records live in one contiguous block
// (CKvrMemManager) in declaration order; an index of record starts keeps row and offset lookups
// logarithmic, and the last lookup is cached so sequential rows cost O(1).
//
// Record layout in the block (byte-packed): offset u64, previous i64, count u64, rows u64,
// recordLength u16, elementSize u64, type name + NUL, symbol name + NUL.
class CKvrVMan : public CVariableManager, public CKvrMemManager, public ISymbolRows {
public:
    static constexpr uint8_t kRowBytes = 16;
    static constexpr uint64_t kHeaderLength = 42;

    // A decoded symbol record.
    struct Record {
        uint64_t offset = 0;
        int64_t previous = -1;
        uint64_t count = 0;
        uint64_t rows = 0;
        uint16_t recordLength = 0;
        uint64_t elementSize = 0;
        std::string type;
        std::string name;
    };

    CKvrVMan();
    ~CKvrVMan() override;

    // The data the symbols lie over; set once by the owner. May be null (no data: every read fails).
    void SetOwner(CDataStore* store) { owner = store; }
    CDataStore* Owner() const { return owner; }

    // --- the replaced registry operations ---
    int RegisterVariable(const std::string& type, const std::string& name, int64_t count, int32_t flags,
                         int32_t scope) override;
    std::string GetVariableType(const std::string& path) override;
    int64_t ReadVariable(const std::string& path, void* buffer, int64_t bufferSize) override;
    // The ordinary variables may be read and written through their records: the two operations above answer
    // for them exactly as the engine's registry does and turn to the symbols only for names it does not know.
    bool DirectAccess() const override { return true; }

    // --- plain fields ---
    void SetBindNext(int32_t flag) { bindNext = flag; }
    int32_t GetBindNext() const { return bindNext; }
    void SetBigEndian(int32_t flag) { bigEndian = flag ? 1 : 0; }
    int32_t IsBigEndian() const { return bigEndian; }

    // --- ISymbolRows (the view calls only these) ---
    uint64_t GetSymbolRows() const override { return symbolRows; }
    uint64_t GetNextOffset() const override { return nextOffset; }
    uint64_t GetNameWidth() const override { return nameWidth; }
    bool LookupRow(uint64_t row, SymbolRow& out) const override;
    int64_t RowOfOffset(uint64_t offset) const override;

    // --- life cycle ---
    // Before every symbol-file run: symbols, typedefs, structs, variables and bigEndian cleared.
    void Reset();
    // DeleteSymbol(: as Reset, but bigEndian and the ordinary variables stay.
    void ClearSymbols();
    // After every run and before every macro: the ordinary variables go, everything else stays.
    void FreeVariables();

    // --- symbol search ---
    // Flags: bit 0 case-sensitive, bit 1 partial match. direction >= 1 towards the end, < 1 towards the
    // start. True when found; offset receives the matching symbol's first byte.
    bool FindSymbol(uint64_t start, const std::string& text, int direction, int flags,
                    uint64_t& offset) const;

    // --- data helpers for the data functions (all through the owner's data operations) ---
    // Reads up to length bytes; reversed when reverse is true, bigEndian is 1 and more than one byte was
    // read. Returns the bytes read.
    uint64_t ReadBytes(uint64_t offset, unsigned char* destination, uint64_t length, bool reverse) const;
    // One undo step each (recordUndo 1, linkToPrevious 0).
    uint64_t WriteBytes(uint64_t offset, const unsigned char* source, uint64_t length);
    int InsertBytes(uint64_t offset, const unsigned char* source, uint64_t count);
    int DeleteBytes(uint64_t offset, uint64_t count);
    uint64_t DataSize() const;
    uint64_t CursorOffset() const;
    bool AddMark(uint64_t offset);

    // --- inspection (batch dumps, tests) ---
    size_t SymbolCount() const { return recordStarts.size(); }
    Record SymbolAt(size_t index) const;
    // True while the record block holds at least one complete record.
    bool IsValid() const;

private:
    // Resolves a symbol path; false when it does not resolve.
    bool ResolveSymbolPath(const std::string& path, std::string& type, uint64_t& size,
                           uint64_t& offset) const;
    // The recursive helpers stop (and report 0 rows, no width or failure) past a nesting depth that no
    // registered struct reaches, so even a struct graph with a cycle cannot exhaust the stack.
    bool IsStructType(const std::string& type) const;
    uint64_t RowsOf(const std::string& type, uint64_t count, int depth = 0) const;
    uint64_t NameWidthOf(const std::string& type, const std::string& name, uint64_t count,
                         int depth = 0) const;
    bool NamingStep(const std::string& type, const std::string& name, uint64_t count, uint64_t row,
                    uint64_t& offset, SymbolRow& out, int depth = 0) const;
    // Row of a byte inside one element array of the type, relative to its first byte.
    uint64_t RowWithin(const std::string& type, uint64_t count, uint64_t relative, int depth = 0) const;
    Record Decode(uint64_t position) const;
    uint64_t RecordField(size_t index, uint64_t fieldOffset) const;
    // The record covering a data offset, or SIZE_MAX.
    size_t RecordOfOffset(uint64_t offset) const;
    // The record holding a symbol row, or SIZE_MAX; tries the cached record and its successor first.
    size_t RecordOfRow(uint64_t row) const;
    void ClearTable();

    CDataStore* owner = nullptr;
    uint64_t nextOffset = 0;
    uint64_t nameWidth = 0;
    uint64_t symbolRows = 0;
    int32_t bindNext = 0;
    int64_t lastRecord = -1;
    int32_t bigEndian = 0;
    // Block position and first row of each record, in declaration order (rows and offsets ascend).
    std::vector<uint64_t> recordStarts;
    std::vector<uint64_t> rowBases;
    // Newest record index of each symbol name, so that path resolution does not walk the whole table.
    std::unordered_map<std::string, size_t> newestByName;
    // The last row lookup: record index and name handed out.
    mutable size_t lookupIndex = 0;
    mutable std::string rowName;
};
