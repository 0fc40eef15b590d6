// The numeric form of an outermost compiled evaluation: the loop conditions, counters and sums that make up
// most of a script's running time read numeric variables, compute and store one number. Such an evaluation is
// flattened once into operations on a small stack of numbers. Everything before the one store only reads, so
// when anything is not as foreseen the numeric form stops before the store and the compiled sequence runs
// instead, with exactly its usual result and error.
#include "engine/CCalcManager.h"

#include "engine/CVariableManager.h"
#include "engine/ScriptArithmetic.h"
#include "engine/StackGuard.h"

#include <algorithm>
#include <cstring>

namespace {

using ScriptArithmetic::Number;

// Numeric forms longer than this, or needing a deeper stack, are not made: the compiled sequence runs them.
constexpr size_t kMaxNumericOperations = 256;
constexpr int32_t kMaxNumericStack = 32;
// Stack a compiled evaluation level may take; the numeric form runs only where every level the sequence
// would enter stays clear of the stack guard's floor.
constexpr uintptr_t kLevelFrameAllowance = 2048;

bool PlainEnd(const CompiledSequence& s) {
    return s.end == CompiledSequence::kSemicolon || s.end == CompiledSequence::kPutBack ||
           s.end == CompiledSequence::kEndOfText || s.end == CompiledSequence::kStop;
}

// Where a sequence that ran all its steps leaves the cursor.
const char* EndOf(const CompiledSequence& s) {
    return s.end == CompiledSequence::kSemicolon ? s.endAt + 1 : s.endAt;
}

// One number on the stack (no initialisation: only pushed slots are read).
struct Slot {
    int32_t kind;
    int64_t i;
    double r;
};

inline Number ToNumber(const Slot& s) {
    Number n;
    n.kind = s.kind;
    n.i = s.i;
    n.r = s.r;
    return n;
}

// An element of a numeric kind, read as ReadSimple reads it. The fields are written one by one: a slot
// assembled elsewhere and copied whole would be read back wider than it was written.
inline void Load(int32_t kind, const uint8_t* at, Slot& s) {
    s.kind = kind;
    s.i = 0;
    s.r = 0.0;
    switch (kind) {
    case KindChar:
        s.i = static_cast<int8_t>(at[0]);
        break;
    case KindUChar:
        s.i = at[0];
        break;
    case KindShort: {
        int16_t x;
        std::memcpy(&x, at, 2);
        s.i = x;
        break;
    }
    case KindUShort: {
        uint16_t x;
        std::memcpy(&x, at, 2);
        s.i = x;
        break;
    }
    case KindInt: {
        int32_t x;
        std::memcpy(&x, at, 4);
        s.i = x;
        break;
    }
    case KindUInt: {
        uint32_t x;
        std::memcpy(&x, at, 4);
        s.i = x;
        break;
    }
    case KindFloat: {
        float x;
        std::memcpy(&x, at, 4);
        s.r = x;
        break;
    }
    default:
        std::memcpy(&s.r, at, 8);
        break;
    }
}

inline void Put(Slot& s, const Number& n) {
    s.kind = n.kind;
    s.i = n.i;
    s.r = n.r;
}

// The variable a name site finds, through the site's cache while the registry's visibility count stays.
inline VariableRecord* SiteRecord(const CompiledStep& site, CVariableManager& variables) {
    const uint64_t visibility = variables.Visibility();
    if (site.siteVisibility != visibility) {
        if (site.nameGeneration != variables.NameGeneration() || site.nameId < 0) {
            site.nameId = variables.InternName(site.name);
            site.nameGeneration = variables.NameGeneration();
        }
        site.siteRecord = variables.FindVariableById(site.nameId, -1);
        site.siteVisibility = visibility;
    }
    return site.siteRecord;
}

// The stack depth the operations reach; -1 when one would take from an empty stack.
int32_t StackNeeded(const std::vector<NumericOperation>& operations) {
    int32_t size = 0;
    int32_t most = 0;
    for (const NumericOperation& op : operations) {
        int32_t takes = 0;
        int32_t gives = 0;
        switch (op.code) {
        case NumericOperation::kLiteral:
        case NumericOperation::kRead:
            gives = 1;
            break;
        case NumericOperation::kReadIndexed:
        case NumericOperation::kUnary:
        case NumericOperation::kAssign:
        case NumericOperation::kIncDec:
            takes = 1;
            gives = 1;
            break;
        case NumericOperation::kBinary:
        case NumericOperation::kCompound:
            takes = 2;
            gives = 1;
            break;
        case NumericOperation::kTarget:
            takes = op.indexed ? 1 : 0;
            gives = op.read ? 1 : 0;
            break;
        }
        if (size < takes) {
            return -1;
        }
        size += gives - takes;
        most = std::max(most, size);
    }
    return size == 1 ? most : -1;
}

} // namespace

bool CCalcManager::BuildNumericOperand(const CompiledSequence* sub, const char* cursor, int32_t bound,
                                       NumericProgram& program, int32_t& nesting, const char*& end,
                                       int32_t& level) {
    // RunSub runs the compiled operand only when it is the one for the cursor and the bound.
    if (!sub || sub->start != cursor || sub->bound != bound) {
        return false;
    }
    int32_t inner = 0;
    if (!BuildNumeric(*sub, program, false, inner, level)) {
        return false;
    }
    nesting = std::max(nesting, inner);
    end = EndOf(*sub);
    return true;
}

bool CCalcManager::BuildNumericSite(const CompiledStep& step, NumericProgram& program, int32_t& nesting) {
    if (step.kind != CompiledStep::kVariable) {
        return false;
    }
    if (!step.indexAt) {
        return true;
    }
    // The index is read up to the "]" that ends the path.
    const char* end = nullptr;
    int32_t level = 0;
    return BuildNumericOperand(step.operand, step.indexAt, 0, program, nesting, end, level) && *end == ']' &&
           end + 1 == step.pathEnd;
}

bool CCalcManager::BuildNumeric(const CompiledSequence& s, NumericProgram& program, bool outermost,
                                int32_t& nesting, int32_t& level) {
    if (!PlainEnd(s) || s.steps.empty() || s.functionsVersion != functionsVersion ||
        program.operations.size() > kMaxNumericOperations) {
        return false;
    }
    auto& ops = program.operations;
    int32_t inner = 0;
    const char* cursor = s.start;
    // The level the value of the last step has: 0 for a number made afresh, else that of the value it took.
    level = 0;
    const CompiledStep& first = s.steps[0];
    if (first.at != cursor) {
        return false;
    }
    const bool stores = s.steps.size() == 2 && first.kind == CompiledStep::kVariable &&
                        s.steps[1].kind == CompiledStep::kOperator &&
                        (s.steps[1].operatorClass == CompiledStep::kAssign ||
                         s.steps[1].operatorClass == CompiledStep::kCompound ||
                         s.steps[1].operatorClass == CompiledStep::kIncDec);
    const bool prefix = s.steps.size() == 1 && first.kind == CompiledStep::kOperator &&
                        first.operatorClass == CompiledStep::kIncDec;
    if (stores || prefix) {
        // One store, the last thing the evaluation does: only at the top.
        if (!outermost) {
            return false;
        }
        const CompiledStep* site = &first;
        NumericOperation target;
        target.code = NumericOperation::kTarget;
        if (prefix) {
            // "++name": the operand is one variable, read and stored.
            const CompiledSequence* sub = first.operand;
            if (!sub || sub->start != first.afterText || sub->bound != first.row->precedence ||
                !PlainEnd(*sub) || sub->steps.size() != 1 || sub->functionsVersion != functionsVersion) {
                return false;
            }
            site = &sub->steps[0];
            int32_t siteNesting = 0;
            if (site->at != sub->start || !BuildNumericSite(*site, program, siteNesting) ||
                site->pathEnd != sub->endAt) {
                return false;
            }
            inner = 1 + siteNesting;
            cursor = EndOf(*sub);
        } else if (!BuildNumericSite(first, program, inner)) {
            return false;
        } else {
            cursor = first.pathEnd;
        }
        target.site = site;
        target.indexed = site->indexAt != nullptr;
        const CompiledStep& op = prefix ? first : s.steps[1];
        target.read = op.operatorClass != CompiledStep::kAssign;
        ops.push_back(target);
        NumericOperation store;
        store.id = op.row->id;
        if (op.operatorClass == CompiledStep::kIncDec) {
            store.code = NumericOperation::kIncDec;
            store.read = !prefix; // postfix: the result is the value before, at the operator's level
            level = prefix ? 0 : op.row->precedence;
            if (!prefix) {
                if (op.at != cursor) {
                    return false;
                }
                cursor = op.afterText;
            }
        } else {
            if (op.at != cursor) {
                return false;
            }
            const char* end = nullptr;
            int32_t rightLevel = 0;
            if (!BuildNumericOperand(op.operand, op.afterText, op.row->precedence, program, inner, end,
                                     rightLevel)) {
                return false;
            }
            const bool assign = op.operatorClass == CompiledStep::kAssign;
            store.code = assign ? NumericOperation::kAssign : NumericOperation::kCompound;
            level = assign ? rightLevel : 0;
            cursor = end;
        }
        ops.push_back(store);
    } else {
        for (size_t i = 0; i < s.steps.size(); ++i) {
            const CompiledStep& step = s.steps[i];
            if (step.at != cursor) {
                return false;
            }
            NumericOperation op;
            switch (step.kind) {
            case CompiledStep::kValue:
                // A literal after a value replaces it; such texts are left to the compiled sequence.
                if (i != 0 || !ScriptArithmetic::IsNumeric(step.value.kind) || !step.value.text.empty()) {
                    return false;
                }
                op.code = NumericOperation::kLiteral;
                level = 0;
                op.kind = step.value.kind;
                op.intValue = step.value.intValue;
                op.realValue = step.value.realValue;
                ops.push_back(op);
                cursor = step.value.cursor;
                break;
            case CompiledStep::kVariable:
                if (i != 0 || !BuildNumericSite(step, program, inner)) {
                    return false;
                }
                op.code = step.indexAt ? NumericOperation::kReadIndexed : NumericOperation::kRead;
                level = 0;
                op.site = &step;
                ops.push_back(op);
                cursor = step.pathEnd;
                break;
            case CompiledStep::kOperator: {
                const char* end = nullptr;
                op.id = step.row->id;
                if (step.operatorClass == CompiledStep::kBinary && i > 0) {
                    int32_t rightLevel = 0;
                    if (!BuildNumericOperand(step.operand, step.afterText, step.row->precedence, program,
                                             inner, end, rightLevel)) {
                        return false;
                    }
                    op.code = NumericOperation::kBinary;
                    level = 0;
                    ops.push_back(op);
                    cursor = end;
                } else if (step.operatorClass == CompiledStep::kUnary && i == 0) {
                    int32_t operandLevel = 0;
                    if (!BuildNumericOperand(step.operand, step.afterText, step.row->precedence, program,
                                             inner, end, operandLevel)) {
                        return false;
                    }
                    // Unary "+" leaves the value as it is, its level too.
                    level = op.id == 21 ? operandLevel : 0;
                    if (op.id != 21) {
                        op.code = NumericOperation::kUnary;
                        ops.push_back(op);
                    }
                    cursor = end;
                } else if (step.operatorClass == CompiledStep::kParen && i == 0) {
                    if (!BuildNumericOperand(step.operand, step.afterText, 0, program, inner, end, level) ||
                        *end != ')') {
                        return false;
                    }
                    cursor = end + 1;
                } else {
                    return false;
                }
                break;
            }
            default:
                return false;
            }
        }
    }
    if (cursor != s.endAt) {
        return false;
    }
    if (s.end == CompiledSequence::kPutBack) {
        level = s.endLevel;
    }
    nesting = 1 + inner;
    return ops.size() <= kMaxNumericOperations;
}

bool CCalcManager::RunNumeric(const CompiledSequence& s, FastValue& v) {
    using ScriptArithmetic::IsNumeric;
    if (!direct || !variables) {
        return false;
    }
    if (!s.numericKnown) {
        s.numericKnown = true;
        auto program = std::make_unique<NumericProgram>();
        int32_t nesting = 0;
        int32_t level = 0;
        if (BuildNumeric(s, *program, true, nesting, level)) {
            program->stackSize = StackNeeded(program->operations);
            program->nesting = nesting;
            program->cursor = EndOf(s);
            program->level = level;
            if (program->stackSize > 0 && program->stackSize <= kMaxNumericStack) {
                s.numeric = std::move(program);
            }
        }
    }
    const NumericProgram* p = s.numeric.get();
    // Every level the sequence would enter must pass the nesting limit and the stack guard.
    if (!p || depth + p->nesting >= kMaxDepth) {
        return false;
    }
    if (depth == 0) {
        exprStart = s.start;
        stackFloor = StackGuard::Floor();
    }
    if (StackGuard::Frame() < stackFloor + static_cast<uintptr_t>(p->nesting) * kLevelFrameAllowance) {
        return false;
    }
    Slot stack[kMaxNumericStack];
    int32_t top = -1;
    VariableRecord* target = nullptr;
    int64_t targetOffset = 0;
    uint8_t* const memory = variables->MemoryBase();
    for (const NumericOperation& op : p->operations) {
        switch (op.code) {
        case NumericOperation::kLiteral:
            ++top;
            stack[top].kind = op.kind;
            stack[top].i = op.intValue;
            stack[top].r = op.realValue;
            break;
        case NumericOperation::kRead:
        case NumericOperation::kReadIndexed:
        case NumericOperation::kTarget: {
            int32_t index = 0;
            if (op.code == NumericOperation::kReadIndexed || op.indexed) {
                index = static_cast<int32_t>(ScriptArithmetic::Convert(ToNumber(stack[top]), KindInt).i);
                --top;
            }
            VariableRecord* record = SiteRecord(*op.site, *variables);
            if (!record || !IsNumeric(record->kind)) {
                return false;
            }
            const int64_t offset = CVariableManager::ElementOffset(*record, index);
            if (offset < 0) {
                return false;
            }
            if (op.code == NumericOperation::kTarget) {
                target = record;
                targetOffset = offset;
                if (!op.read) {
                    break;
                }
            }
            Load(record->kind, memory + offset, stack[++top]);
            break;
        }
        case NumericOperation::kBinary: {
            const Number b = ToNumber(stack[top]);
            const Number a = ToNumber(stack[--top]);
            const int32_t id = op.id;
            Number n;
            if (id <= 3) {
                if (!ScriptArithmetic::Arithmetic(id, a, b, n)) {
                    return false;
                }
            } else if (id == 4) {
                if (!ScriptArithmetic::Remainder(a, b, n)) {
                    return false;
                }
            } else if (id == 10 || id == 11) {
                n = ScriptArithmetic::Logical(id, a, b);
            } else if (id >= 14) {
                n = ScriptArithmetic::Bits(id, a, b);
            } else {
                n = ScriptArithmetic::Integer(KindInt, ScriptArithmetic::Compare(id, a, b));
            }
            Put(stack[top], n);
            break;
        }
        case NumericOperation::kUnary:
            Put(stack[top], ScriptArithmetic::Unary(op.id, ToNumber(stack[top])));
            break;
        case NumericOperation::kAssign: {
            const Slot& x = stack[top];
            if (!(IsIntegerKind(x.kind) ? variables->StoreIntegerAt(*target, targetOffset, x.i)
                                        : variables->StoreNumberAt(*target, targetOffset, x.r))) {
                return false;
            }
            break;
        }
        case NumericOperation::kCompound:
        case NumericOperation::kIncDec: {
            Number n;
            if (op.code == NumericOperation::kCompound) {
                const Number b = ToNumber(stack[top]);
                const Number a = ToNumber(stack[--top]);
                const int32_t arith = op.id == 38 ? 1 : op.id == 39 ? 3 : op.id == 40 ? 0 : 2;
                if (!ScriptArithmetic::Arithmetic(arith, a, b, n)) {
                    return false;
                }
            } else {
                ScriptArithmetic::Arithmetic(op.id == 36 ? 0 : 2, ToNumber(stack[top]),
                                             ScriptArithmetic::Integer(KindChar, 1), n);
            }
            if (!(IsIntegerKind(n.kind) ? variables->StoreIntegerAt(*target, targetOffset, n.i)
                                        : variables->StoreNumberAt(*target, targetOffset, n.r))) {
                return false;
            }
            // A postfix "++" or "--" gives the value before.
            if (!(op.code == NumericOperation::kIncDec && op.read)) {
                Put(stack[top], n);
            }
            break;
        }
        }
    }
    ++numericRuns;
    const Slot& result = stack[0];
    v.error = 0;
    v.kind = result.kind;
    v.level = p->level;
    v.intValue = result.i;
    v.realValue = result.r;
    v.cursor = p->cursor;
    v.nameStep = nullptr;
    v.nameIndex = 0;
    v.extra.reset();
    return true;
}
