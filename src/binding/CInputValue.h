#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct ScriptValue;

// The value behind the prompt of InputData(: one of nine value types, the text the edit box starts with
// and the parse of the text the user enters. The window's prompt dialog and batch mode share it.
class CInputValue {
public:
    // Value types; the numbers are those of the data input types of the value parser.
    enum Type : int {
        kChar = 1,
        kUnsignedChar = 2,
        kShort = 3,
        kUnsignedShort = 4,
        kLong = 5,
        kUnsignedLong = 6,
        kFloat = 7,
        kDouble = 8,
        kText = 9,
    };

    CInputValue() = default;
    // A value of the given type; an unknown type is long.
    explicit CInputValue(int valueType);
    // The value type and value of a script value: a char becomes char, an int long, a string text, and so
    // on; any other kind is the long value 0.
    static CInputValue FromScriptValue(const ScriptValue& value);

    int GetType() const { return type; }
    // Numbers are shown right-aligned, text left-aligned.
    bool IsNumeric() const { return type != kText; }

    // The text the edit box starts with: integers in decimal without leading blanks, reals in the "%le"
    // form or, when its exponent lies between -10 and 10, the "%lf" form, text unchanged.
    std::string InitialText() const;

    // Parses an entered text (code page 932) as this value's type; on success the value is replaced and 0 is
    // returned, otherwise the value stays and the parser's result code (1 illegal character, 2 too many
    // characters, 3 out of range) is returned. Text of any length is accepted unchanged.
    int Parse(const std::string& text);
    // The message of a failed parse, in UTF-8, for language 0 (Japanese) or 1 (English).
    static std::string IllegalCharacterText(int language);

    // The value in its own representation, little-endian: 1, 2 or 4 bytes for the integers, 4 for float, 8
    // for double, 0 for text; returns that count and fills the rest of the 8 bytes with zeros. WideBytes
    // gives the integers sign- or zero-extended to 8 bytes.
    size_t Bytes(unsigned char out[8]) const;
    void WideBytes(unsigned char wide[8]) const;

    int64_t IntValue() const { return intValue; }
    double RealValue() const { return realValue; }
    const std::string& TextValue() const { return textValue; }

    void SetInt(int64_t value);
    void SetReal(double value);
    void SetText(const std::string& text) { textValue = text; }

private:
    int type = kLong;
    int64_t intValue = 0;
    double realValue = 0.0;
    std::string textValue;
};
