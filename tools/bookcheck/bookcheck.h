#pragma once
// Book checker for authors: reads a book folder the way taviplay does and lists
// every problem it finds, not only the first one the engine would stop at.

#include <string>
#include <vector>

namespace bookcheck {

struct Problem {
    std::string file; // relative to the book folder, e.g. "json/scene_json3.txt"
    std::string
        where; // place inside the document, e.g. "scene.sprite[1] \"cat\".sprite_position"; may be empty
    std::string message; // what is wrong and what the engine does about it
};

struct Report {
    bool readable = false; // false when the folder itself cannot be read
    int pages = 0;         // pages the descriptor announces (0 when unknown)
    std::vector<Problem> problems;
};

// folder: the book folder (the one holding "tavigame.dat"), with or without a
// trailing "/".
Report checkBook(const std::string& folder);

// "file: where: message" (without where when it is empty).
std::string format(const Problem& problem);

} // namespace bookcheck
