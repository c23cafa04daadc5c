// Stands in for the book engine in launcher tests: records how it was started
// and, when asked, stays alive for a while like a reader would.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

int main(int argc, char** argv) {
    const char* logPath = std::getenv("TAVI_FAKE_ENGINE_LOG");
    if (logPath) {
        if (FILE* f = std::fopen(logPath, "a")) {
            std::string line;
            for (int i = 1; i < argc; ++i)
                line += std::string(i > 1 ? "|" : "") + argv[i];
            std::fprintf(f, "argc=%d args=%s\n", argc - 1, line.c_str());
            std::fclose(f);
        }
    }
    if (const char* ms = std::getenv("TAVI_FAKE_ENGINE_SLEEP_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(ms)));
    return 0;
}
