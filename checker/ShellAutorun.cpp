#include "checker/Gather.h"

#include "checker/Text.h"

#include <algorithm>
#include <utility>

namespace autorun::check {

namespace {

bool IsIniBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

void ReadShellAutorun(std::string_view bytes, ShellFacts& shell, bool asUtf8)
{
    shell.utf16 = bytes.starts_with("\xFF\xFE");
    const std::string text = shell.utf16
                                 ? ToUtf8(bytes.substr(2), TextEncoding::Utf16Le)
                                 : ToUtf8(bytes, asUtf8 ? TextEncoding::Utf8 : TextEncoding::Ansi);
    // The keys of the section the line is in: the first [autorun], or the first
    // [AutoRun.Amd64]; none in any other section.
    std::optional<ShellLine>* keys = nullptr;
    int number = 0;
    ForEachField(text, "\n", [&](std::string_view line, std::size_t) {
        line = Trim(line, IsIniBlank);
        ++number;
        if (line.starts_with('[')) {
            const std::size_t close = line.find(']');
            const std::string_view name =
                Trim(line.substr(1, close == std::string_view::npos ? line.size() : close - 1),
                     IsIniBlank);
            keys = nullptr;
            for (auto [section, lines] : {std::pair{&shell.sectionLine, shell.lines},
                                          std::pair{&shell.amd64Line, shell.amd64Lines}})
                if (*section == 0 &&
                    EqualIgnoringCase(name, section == &shell.sectionLine ? "autorun"
                                                                          : "autorun.amd64")) {
                    *section = number;
                    keys = lines;
                }
        } else if (keys != nullptr && !line.starts_with(';')) {
            const std::size_t equals = line.find('=');
            const std::string_view key = Trim(line.substr(0, equals), IsIniBlank);
            std::string_view value = equals == std::string_view::npos
                                         ? std::string_view()
                                         : Trim(line.substr(equals + 1), IsIniBlank);
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            for (std::size_t i = 0; i < std::size(kShellKeys); ++i)
                if (EqualIgnoringCase(key, kShellKeys[i]) && !keys[i])
                    keys[i] = ShellLine{std::string(value), number, std::string(value)};
        }
    });
}

} // namespace autorun::check
