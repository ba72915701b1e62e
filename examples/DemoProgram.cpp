/// The demo disc's setup program and installed program in one: it says which of the two it
/// is (by the name it was copied under) and what it was started with.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const char* name = argv[0];
    for (const char* p = argv[0]; *p != '\0'; ++p) {
        if (*p == '/' || *p == '\\') {
            name = p + 1;
        }
    }
    if (std::strncmp(name, "setup", 5) == 0) {
        std::printf("Demo setup: Demo Product is not installed here yet, so setup has started.\n");
    } else {
        std::printf("Demo Product: installed, and started by the disc's launcher.\n");
    }
    for (int i = 1; i < argc; ++i) {
        std::printf("  argument %d: %s\n", i, argv[i]);
    }
    return 0;
}
