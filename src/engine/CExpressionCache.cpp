#include "engine/CExpressionCache.h"

#include <cstring>

namespace {

// Kept texts are packed into chunks of this size (a longer text gets a chunk of its own).
constexpr size_t kChunkSize = 64 * 1024;

} // namespace

const char* CExpressionCache::Keep(const std::string& compacted) {
    // The leading zero byte stays in front of the expression, and a zero byte ends it.
    const size_t need = compacted.size() + 1;
    if (chunks.empty() || chunks.back().size - chunks.back().used < need) {
        Chunk chunk;
        chunk.size = need > kChunkSize ? need : kChunkSize;
        chunk.bytes.reset(new char[chunk.size]);
        chunks.push_back(std::move(chunk));
    }
    Chunk& chunk = chunks.back();
    char* at = chunk.bytes.get() + chunk.used;
    std::memcpy(at, compacted.data(), compacted.size());
    at[compacted.size()] = '\0';
    chunk.used += need;
    keptBytes += need;
    return compacted.empty() ? at : at + 1;
}

bool CExpressionCache::Holds(const char* p) const {
    for (const Chunk& chunk : chunks) {
        const char* begin = chunk.bytes.get();
        if (p >= begin && p < begin + chunk.used) {
            return true;
        }
    }
    return false;
}

CompiledSequence* CExpressionCache::Find(const char* start, int32_t bound) const {
    auto found = index.find(Key{start, bound});
    return found == index.end() ? nullptr : found->second;
}

CompiledSequence* CExpressionCache::Add(std::unique_ptr<CompiledSequence> sequence) {
    CompiledSequence* s = sequence.get();
    sequences.push_back(std::move(sequence));
    index[Key{s->start, s->bound}] = s;
    return s;
}

void CExpressionCache::Clear() {
    index.clear();
    sequences.clear();
    chunks.clear();
    keptBytes = 0;
}
