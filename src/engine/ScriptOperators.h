#pragma once

#include "engine/ScriptValue.h"

// The operators of the engine. Each takes its operands by value and returns a new value whose cursor is the
// right operand's (or the single operand's); a failure is an error code in the result, never an exception.
namespace ScriptOperators {

// Longest string an operator may build; a longer result is error 32 ("Over string length") instead of
// exhausting memory in a runaway loop.
constexpr size_t kMaxStringLength = 16 * 1024 * 1024;

enum class Arith { Add, Sub, Mul, Div };
enum class Bitwise { Shl, Shr, And, Or, Xor };
enum class Compare { Eq, Ne, Lt, Le, Gt, Ge };

ScriptValue Arithmetic(Arith op, ScriptValue left, ScriptValue right);
ScriptValue Remainder(ScriptValue left, ScriptValue right);
ScriptValue Bits(Bitwise op, ScriptValue left, ScriptValue right);
ScriptValue Comparison(Compare op, ScriptValue left, ScriptValue right);
ScriptValue LogicalAnd(ScriptValue left, ScriptValue right);
ScriptValue LogicalOr(ScriptValue left, ScriptValue right);

ScriptValue Negate(ScriptValue operand);
ScriptValue Complement(ScriptValue operand);
ScriptValue LogicalNot(ScriptValue operand);
ScriptValue UnaryPlus(ScriptValue operand);

// The multibyte comparison of code page 932: byte order, a double-byte character compared as one unit
// (so the double-byte character 0x8140 sorts after the single byte 0xA1). <0, 0 or >0.
int CompareMultibyte(const std::string& a, const std::string& b);

} // namespace ScriptOperators
