// The launcher's floor: the least a program doing the launcher's unavoidable work weighs and
// costs. It reads the start of "autorun.inf" as the launcher does and throws, as the
// launcher's entry does, one exception that carries its message in a standard string, caught
// at the top. Built as the shipped programs are (bench/launcher-cost.sh compares them).
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

namespace {

class FloorError : public std::exception {
public:
    explicit FloorError(const char* message) : fMessage(message) {}

    const char* what() const noexcept override { return fMessage.c_str(); }

private:
    std::string fMessage;
};

char gText[32001];

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        std::FILE* file = std::fopen("autorun.inf", "rb");
        if (file != nullptr) {
            gText[std::fread(gText, 1, sizeof gText - 1, file)] = '\0';
            std::fclose(file);
        }
        throw FloorError("Unexpected error a != NULL at AppMain(122)");
    } catch (...) {
    }
    return 0;
}
