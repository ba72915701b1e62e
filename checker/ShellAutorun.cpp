#include "checker/ShellAutorun.h"

#include "checker/Quote.h"
#include "checker/TextFields.h"

#include <algorithm>

namespace kova::check {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view text)
{
    return TrimIf(text, IsBlank);
}

/// The file's text in the ANSI code page.
std::string AnsiText(std::string_view bytes, bool& utf16)
{
    utf16 = bytes.starts_with("\xFF\xFE");
    if (!utf16)
        return std::string(bytes);
    std::u16string wide;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        wide += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      static_cast<unsigned char>(bytes[i + 1]) << 8);
    return WideToAnsi(wide);
}

} // namespace

ShellAutorun ReadShellAutorun(std::string_view bytes)
{
    ShellAutorun shell;
    const std::string text = AnsiText(bytes, shell.utf16);
    enum class Section { Before, Autorun, After } section = Section::Before;
    int number = 0;
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = Trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        ++number;
        if (line.starts_with('[')) {
            const std::size_t close = line.find(']');
            const std::string_view name =
                Trim(line.substr(1, close == std::string_view::npos ? line.size() : close - 1));
            if (section == Section::Autorun)
                section = Section::After;
            else if (section == Section::Before && EqualIgnoringCase(name, "autorun")) {
                section = Section::Autorun;
                shell.sectionLine = number;
            }
        } else if (section == Section::Autorun && !line.starts_with(';')) {
            const std::size_t equals = line.find('=');
            const std::string_view key = Trim(line.substr(0, equals));
            std::string_view value = equals == std::string_view::npos
                                         ? std::string_view()
                                         : Trim(line.substr(equals + 1));
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            for (const ShellKey& shellKey : kShellKeys)
                if (EqualIgnoringCase(key, shellKey.name) && !(shell.*shellKey.line))
                    shell.*shellKey.line = ShellLine{std::string(value), number};
        }
        if (end == text.size())
            break;
    }
    return shell;
}

} // namespace kova::check
