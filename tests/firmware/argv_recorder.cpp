// Test stand-in for the flasher: records how it was started (argument count, working folder
// and the raw bytes of its first argument) in the file named by QUENZOR_ARGV_RECORD.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    const char* target = std::getenv("QUENZOR_ARGV_RECORD");
    if (!target)
        return 1;
    char cwd[4096] = {};
    if (!getcwd(cwd, sizeof cwd))
        return 1;
    std::string text = "argc=" + std::to_string(argc) + "\ncwd=" + cwd + "\narg=";
    if (argc > 1)
        text.append(argv[1], std::strlen(argv[1]));
    // Written aside and renamed, so a test waiting for the file never reads half of it.
    const std::string aside = std::string(target) + ".part";
    std::FILE* f = std::fopen(aside.c_str(), "wb");
    if (!f)
        return 1;
    std::fwrite(text.data(), 1, text.size(), f);
    if (std::fclose(f) != 0 || std::rename(aside.c_str(), target) != 0)
        return 1;
    return 0;
}
