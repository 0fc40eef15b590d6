#pragma once

#include "engine/CSmartArray.h"

// Rows of CSmartArray<T>, each created on first access; used for the cached switch tables of the interpreter.
template <typename T> class CSmartArray2D {
public:
    explicit CSmartArray2D(int64_t rowGrowBy = 1024) : rowGrowBy(rowGrowBy) {}
    virtual ~CSmartArray2D() {
        for (int64_t i = 0; i < rows.GetCount(); ++i) {
            delete static_cast<CSmartArray<T>*>(rows.GetAt(i));
        }
    }

    CSmartArray2D(const CSmartArray2D&) = delete;
    CSmartArray2D& operator=(const CSmartArray2D&) = delete;

    // Row index, created on first access; none for a negative index.
    CSmartArray<T>* GetRow(int64_t index) {
        if (index < 0) {
            return nullptr;
        }
        void*& slot = rows[index];
        if (!slot) {
            slot = new CSmartArray<T>(rowGrowBy > 0 ? rowGrowBy : 1024);
        }
        return static_cast<CSmartArray<T>*>(slot);
    }

    int64_t GetRowCount() const { return rows.GetCount(); }

private:
    CSmartArray<void*> rows;
    int64_t rowGrowBy;
};
