// bookcheck <book folder>
// Lists every problem of an interactive book, one per line; exit status 0 for a
// clean book, 1 when problems were found, 2 for a usage error or an unreadable
// folder.

#include "bookcheck.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fprintf(
            argc == 2 ? stdout : stderr,
            "usage: bookcheck <book folder>\n"
            "Checks the book in the folder that holds tavigame.dat: its descriptor json/game_json.txt,\n"
            "every page json/scene_json<n>.txt, and every picture and sound they name.\n"
            "Exit status: 0 clean, 1 problems found, 2 usage error or unreadable folder.\n");
        return argc == 2 ? 0 : 2;
    }
    const bookcheck::Report report = bookcheck::checkBook(argv[1]);
    for (const bookcheck::Problem& problem : report.problems)
        std::printf("%s\n", bookcheck::format(problem).c_str());
    if (!report.readable)
        return 2;
    if (report.problems.empty()) {
        std::printf("%s: clean, %d page%s\n", argv[1], report.pages, report.pages == 1 ? "" : "s");
        return 0;
    }
    std::printf("%s: %zu problem%s\n", argv[1], report.problems.size(),
                report.problems.size() == 1 ? "" : "s");
    return 1;
}
