#include "jsonarena.h"

#include <cjson/cJSON.h>
#include <cstddef>
#include <cstdlib>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define JSONARENA_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define JSONARENA_ASAN 1
#endif
#endif

#ifdef JSONARENA_ASAN
#include <sanitizer/asan_interface.h>
#define JSONARENA_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define JSONARENA_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
constexpr std::size_t kRedZone = 16; // between blocks, stays poisoned
#else
#define JSONARENA_POISON(p, n) ((void)(p), (void)(n))
#define JSONARENA_UNPOISON(p, n) ((void)(p), (void)(n))
constexpr std::size_t kRedZone = 0;
#endif

namespace {

constexpr std::size_t kAlign = 16;
constexpr std::size_t kChunkSize = 256 * 1024;
constexpr std::size_t kChunksKept = 4; // about one large page's worth
constexpr std::size_t kLargeBlock = kChunkSize / 4;

struct Arena {
    std::vector<char*> chunks; // chunks[0 .. current] in use
    std::size_t current = 0;
    std::size_t used = 0;     // bytes used in chunks[current]
    std::vector<void*> large; // blocks too big for a chunk
    bool active = false;

    ~Arena() {
        reset();
        for (char* chunk : chunks) {
            JSONARENA_UNPOISON(chunk, kChunkSize);
            std::free(chunk);
        }
    }

    void* allocate(std::size_t size) {
        if (size >= kLargeBlock) {
            void* block = std::malloc(size);
            if (block)
                large.push_back(block);
            return block;
        }
        const std::size_t step = (size + kRedZone + kAlign - 1) / kAlign * kAlign;
        if (chunks.empty() || used + step > kChunkSize) {
            if (!chunks.empty())
                ++current;
            if (current == chunks.size()) {
                char* chunk = static_cast<char*>(std::malloc(kChunkSize));
                if (!chunk) {
                    if (current > 0)
                        --current; // stay on the full chunk; the parse fails cleanly
                    return nullptr;
                }
                JSONARENA_POISON(chunk, kChunkSize);
                chunks.push_back(chunk);
            }
            used = 0;
        }
        char* block = chunks[current] + used;
        used += step;
        JSONARENA_UNPOISON(block, size);
        return block;
    }

    void reset() {
        for (void* block : large)
            std::free(block);
        large.clear();
        while (chunks.size() > kChunksKept) {
            JSONARENA_UNPOISON(chunks.back(), kChunkSize);
            std::free(chunks.back());
            chunks.pop_back();
        }
        for (char* chunk : chunks)
            JSONARENA_POISON(chunk, kChunkSize);
        current = 0;
        used = 0;
    }
};

Arena& arena() {
    static Arena instance;
    return instance;
}

void* arenaAllocate(std::size_t size) {
    return arena().allocate(size);
}
void arenaFree(void*) {}

} // namespace

JsonArenaScope::JsonArenaScope() {
    Arena& a = arena();
    // An inner scope leaves the arena to the outer one, which empties it.
    if (a.active)
        return;
    a.active = true;
    owner_ = true;
    cJSON_Hooks hooks{arenaAllocate, arenaFree};
    cJSON_InitHooks(&hooks);
}

JsonArenaScope::~JsonArenaScope() {
    if (!owner_)
        return;
    Arena& a = arena();
    cJSON_InitHooks(nullptr);
    a.reset();
    a.active = false;
}
