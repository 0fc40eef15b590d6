#pragma once

#include "engine/CompiledExpression.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// Where the evaluator keeps expression texts that stay unchanged for a run, and the compiled forms of the
// evaluations that start in them. A compiled form is found by its start and precedence bound; texts held
// elsewhere are never looked up, so a freed buffer can never be mistaken for a kept one. Everything is
// bounded by the script's size and freed by Clear (the interpreter clears at the start of every run) or with
// the evaluator.
class CExpressionCache {
public:
    CExpressionCache() = default;
    CExpressionCache(const CExpressionCache&) = delete;
    CExpressionCache& operator=(const CExpressionCache&) = delete;

    // Copies a compacted expression (with its leading zero byte, as CompactExpression makes it) and returns
    // where the expression starts in the copy; the copy ends with a zero byte and stays until Clear.
    const char* Keep(const std::string& compacted);
    // True when p lies in a kept text (its terminating zero byte included).
    bool Holds(const char* p) const;

    // The compiled form for (start, bound), or null.
    CompiledSequence* Find(const char* start, int32_t bound) const;
    // Takes a new compiled form; it replaces an older one for the same start and bound in the lookup, but the
    // older one stays alive (other forms may still point at it) until Clear.
    CompiledSequence* Add(std::unique_ptr<CompiledSequence> sequence);

    void Clear();
    size_t SequenceCount() const { return sequences.size(); }
    size_t KeptBytes() const { return keptBytes; }

private:
    struct Key {
        const char* start;
        int32_t bound;
        bool operator==(const Key& o) const { return start == o.start && bound == o.bound; }
    };
    struct KeyHash {
        size_t operator()(const Key& k) const {
            return std::hash<const void*>()(k.start) * 31u + static_cast<size_t>(k.bound);
        }
    };
    struct Chunk {
        std::unique_ptr<char[]> bytes;
        size_t size = 0;
        size_t used = 0;
    };

    std::vector<Chunk> chunks;
    size_t keptBytes = 0;
    std::unordered_map<Key, CompiledSequence*, KeyHash> index;
    std::vector<std::unique_ptr<CompiledSequence>> sequences;
};
