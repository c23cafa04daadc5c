#pragma once
// cJSON allocates every node, key and string of a document separately, and the
// parser deletes the tree again as soon as it has copied what it needs. For a
// page that is thousands of small blocks per parse. While a JsonArenaScope is
// alive, cJSON takes its memory from one arena instead: allocation is a pointer
// bump, cJSON_Delete only walks the tree, and the arena is emptied when the scope
// ends (keeping a little memory for the next page).
//
// cJSON's allocation hooks are process-wide: only one scope may exist at a time
// and no other thread may use cJSON meanwhile (the engine is single-threaded).
// Every tree made inside a scope must be deleted inside it. Under
// AddressSanitizer each block is unpoisoned on allocation and poisoned again when
// the arena is emptied, so overruns and use after release are still caught.

class JsonArenaScope {
public:
    JsonArenaScope();
    ~JsonArenaScope();
    JsonArenaScope(const JsonArenaScope&) = delete;
    JsonArenaScope& operator=(const JsonArenaScope&) = delete;

private:
    bool owner_ = false; // false for a scope opened inside another one
};
