#pragma once

#include <string>
#include <vector>

class CVariableManager;

// The lines of "--print-vars": every top-level variable in declaration order, one line per scalar element,
// "NAME = VALUE", arrays as NAME[i], struct members flattened as NAME.member and NAME[i].member[j]. Signed
// kinds in signed decimal, unsigned kinds in unsigned decimal, float "%.9g", double "%.17g", strings in
// double quotes, pointers as their offset (-1 for null). Names and string contents stay code page 932 bytes.
namespace VariableDump {

std::vector<std::string> Lines(const CVariableManager& variables);

} // namespace VariableDump
