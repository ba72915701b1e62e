#include "checker/Gather.h"

#include "checker/Text.h"

#include <algorithm>

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
    enum class Section { Before, Autorun, After } section = Section::Before;
    int number = 0;
    ForEachField(text, "\n", [&](std::string_view line, std::size_t) {
        line = Trim(line, IsIniBlank);
        ++number;
        if (line.starts_with('[')) {
            const std::size_t close = line.find(']');
            const std::string_view name =
                Trim(line.substr(1, close == std::string_view::npos ? line.size() : close - 1),
                     IsIniBlank);
            if (section == Section::Autorun)
                section = Section::After;
            else if (section == Section::Before && EqualIgnoringCase(name, "autorun")) {
                section = Section::Autorun;
                shell.sectionLine = number;
            }
        } else if (section == Section::Autorun && !line.starts_with(';')) {
            const std::size_t equals = line.find('=');
            const std::string_view key = Trim(line.substr(0, equals), IsIniBlank);
            std::string_view value = equals == std::string_view::npos
                                         ? std::string_view()
                                         : Trim(line.substr(equals + 1), IsIniBlank);
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            for (std::size_t i = 0; i < std::size(kShellKeys); ++i)
                if (EqualIgnoringCase(key, kShellKeys[i]) && !shell.lines[i])
                    shell.lines[i] = ShellLine{std::string(value), number, std::string(value)};
        }
    });
}

} // namespace autorun::check
