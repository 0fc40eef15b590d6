#include "engine/VariableDump.h"

#include "engine/CVariableManager.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace VariableDump {

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...) {
    char buffer[64];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

std::string ElementText(const CVariableManager& vm, const std::string& type, const uint8_t* p) {
    if (!type.empty() && type.back() == '*') {
        int64_t offset;
        std::memcpy(&offset, p, 8);
        return Format("%" PRId64, offset);
    }
    if (type == "char") {
        return Format("%d", static_cast<int>(static_cast<int8_t>(p[0])));
    }
    if (type == "unsigned char") {
        return Format("%u", static_cast<unsigned>(p[0]));
    }
    if (type == "short") {
        int16_t v;
        std::memcpy(&v, p, 2);
        return Format("%d", static_cast<int>(v));
    }
    if (type == "unsigned short") {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return Format("%u", static_cast<unsigned>(v));
    }
    if (type == "int" || type == "long") {
        int32_t v;
        std::memcpy(&v, p, 4);
        return Format("%d", static_cast<int>(v));
    }
    if (type == "unsigned int" || type == "unsigned long" || type == "unsigned") {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return Format("%u", static_cast<unsigned>(v));
    }
    if (type == "float") {
        float v;
        std::memcpy(&v, p, 4);
        return Format("%.9g", static_cast<double>(v));
    }
    if (type == "double") {
        double v;
        std::memcpy(&v, p, 8);
        return Format("%.17g", v);
    }
    if (type == "string") {
        int64_t id;
        std::memcpy(&id, p, 8);
        std::string text;
        vm.GetString(id, text);
        return "\"" + text + "\"";
    }
    return "?";
}

void Emit(const CVariableManager& vm, const std::string& name, const std::string& type, int64_t offset,
          int64_t count, std::vector<std::string>& out, int depth) {
    int64_t elements = count < 1 ? 1 : count;
    int64_t size = vm.TypeSize(type);
    StructRecord* s = (type.empty() || type.back() == '*') ? nullptr : vm.FindStruct(type);
    for (int64_t i = 0; i < elements; ++i) {
        std::string element = count > 0 ? name + Format("[%" PRId64 "]", i) : name;
        int64_t at = offset + i * size;
        if (!s) {
            out.push_back(element + " = " + ElementText(vm, type, vm.MemoryBase() + at));
            continue;
        }
        if (depth > CVariableManager::kMaxStructNesting) {
            continue;
        }
        int64_t memberOffset = 0;
        for (size_t m = 0; m < s->memberNames.size(); ++m) {
            Emit(vm, element + "." + s->memberNames[m], s->memberTypes[m], at + memberOffset,
                 s->memberCounts[m], out, depth + 1);
            int64_t memberCount = s->memberCounts[m];
            memberOffset += vm.TypeSize(s->memberTypes[m]) * (memberCount < 1 ? 1 : memberCount);
        }
    }
}

} // namespace

std::vector<std::string> Lines(const CVariableManager& vm) {
    std::vector<std::string> out;
    for (size_t i = 0; i < vm.VariableCount(); ++i) {
        const VariableRecord& v = vm.VariableAt(i);
        if (v.scope != 0) {
            continue;
        }
        Emit(vm, v.name, v.typeName, v.storage, v.count, out, 0);
    }
    return out;
}

} // namespace VariableDump
