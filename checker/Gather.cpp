#include "checker/Gather.h"

#include "checker/Text.h"
#include "launcher/AutorunFile.h"
#include "launcher/RegistryView.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

namespace autorun::check {

namespace {

namespace fs = std::filesystem;

/// How much of a file the checker reads, to find keys beyond the launcher's limit.
constexpr std::size_t kMaxLook = 4 * 1024 * 1024;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

/// The file's first kMaxLook bytes, or nothing when it does not open and read.
std::optional<std::string> ReadBytes(const fs::path& path)
{
    std::error_code error;
    if (fs::is_directory(path, error))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    char block[64 * 1024];
    while (in && bytes.size() < kMaxLook) {
        in.read(block,
                static_cast<std::streamsize>(std::min(sizeof block, kMaxLook - bytes.size())));
        bytes.append(block, static_cast<std::size_t>(in.gcount()));
    }
    if (!in.eof() && bytes.size() < kMaxLook)
        return std::nullopt;
    return bytes;
}

/// The name the folder gives the file `name`, whatever its case: Windows' file system
/// finds "AUTORUN.INF" (an ISO 9660 name) when asked for "autorun.inf".
std::string NameInFolder(const fs::path& folder, const std::string& name)
{
    std::error_code error;
    if (fs::exists(folder / name, error))
        return name;
    std::string found = name;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error))
        if (const std::string candidate = Utf8Of(entry->path().filename());
            LowerAscii(candidate) == name)
            // The first in byte order, so that the choice never depends on the folder's order.
            if (found == name || candidate < found)
                found = candidate;
    return found;
}

/// Looks for the product's key in the views the launcher did not use. Only opens it.
std::optional<REGSAM> FindInOtherView(const LaunchSettings& settings,
                                      const LaunchDecision& decision)
{
    for (const RegistryViewEntry& view : kRegistryViews) {
        if (view.flag == 0 || (decision.access & view.flag) != 0)
            continue;
        const REGSAM access = KEY_QUERY_VALUE | view.flag;
        HKEY key = nullptr;
        if (RegOpenKeyExW(decision.root, settings.Wide(SettingKey::AppKey), 0, access, &key) ==
            ERROR_SUCCESS) {
            RegCloseKey(key);
            return access;
        }
    }
    return std::nullopt;
}

std::optional<UnreadUtf16> FindUnreadUtf16(std::string_view bytes)
{
    if (bytes.starts_with("\xFE\xFF"))
        return UnreadUtf16::BigEndianMarked;
    if (bytes.size() < 4)
        return std::nullopt;
    if (bytes[0] == '\0' && bytes[1] != '\0' && bytes[2] == '\0' && bytes[3] != '\0')
        return UnreadUtf16::BigEndian;
    if (bytes[0] != '\0' && bytes[1] == '\0' && bytes[2] != '\0' && bytes[3] == '\0')
        return UnreadUtf16::LittleEndianUnmarked;
    return std::nullopt;
}

class Gatherer {
public:
    Gatherer(const std::string& readFolder, const std::string& shownFolder)
        : fDisc{readFolder, shownFolder}
    {
        fFacts.folder = shownFolder;
    }

    DiscFacts Gather()
    {
        const std::string name = NameInFolder(PathOf(fDisc.readFolder), "autorun.inf");
        const fs::path path = PathOf(fDisc.readFolder) / PathOf(name);
        FileFacts& file = fFacts.file;
        file.path = Utf8Of(PathOf(fDisc.shownFolder) / PathOf(name));
        std::error_code error;
        file.found = fs::exists(path, error);
        std::optional<std::string> bytes;
        if (file.found)
            bytes = ReadBytes(path);
        file.readable = bytes.has_value();
        if (file.readable) {
            file.size = fs::file_size(path, error);
            ReadFile(*bytes);
        }
        for (const LaunchKey& key : kLaunchKeys)
            fFacts.settings.push_back(SettingOf(key));
        if (file.readable) {
            FindProblems(*bytes);
            ReadShell(*bytes);
        }
        return std::move(fFacts);
    }

private:
    /// The file as the launcher reads it, with the launcher's own code, and its decision.
    void ReadFile(const std::string& bytes)
    {
        FileFacts& file = fFacts.file;
        // The launcher's read, of the same bytes: the first kMaxRead, at the end of its buffer.
        const auto text = std::make_unique<AutorunText>();
        text->bufRead = std::min(bytes.size(), kMaxRead);
        std::memcpy(text->buf + kMaxText - kMaxRead, bytes.data(), text->bufRead);
        DecodeAutorunText(*text);
        file.bytesRead = text->bufRead;
        file.encoding = text->encoding;
        file.textSeen = std::strlen(text->Text());
        if (file.encoding == TextEncoding::Utf16Le) {
            const std::string_view read = std::string_view(bytes).substr(2, file.bytesRead - 2);
            file.textRead =
                ToUtf8(read.substr(0, WholeCharacters(read.data(), read.size(), file.encoding)),
                       file.encoding)
                    .size();
            std::size_t units = 0;
            while (2 * units + 1 < read.size() &&
                   (read[2 * units] != '\0' || read[2 * units + 1] != '\0'))
                ++units;
            file.bytesSeen = 2 + 2 * units;
            fText = ToUtf8(std::string_view(bytes).substr(2), file.encoding);
        } else {
            // A character the limit cut short is not part of the text.
            file.textRead = file.bytesRead == kMaxRead
                                ? WholeCharacters(bytes.data(), file.bytesRead, file.encoding)
                                : file.bytesRead;
            file.bytesSeen = file.textSeen;
            fText = bytes;
        }
        fTextEncoding = file.encoding == TextEncoding::Utf16Le ? TextEncoding::Utf8 : file.encoding;
        fLines.emplace(fText);

        ReadLaunchSettings(text->Text(), file.encoding, fFacts.launch);
        LaunchDecision& decision = fFacts.decision;
        // The checker never starts anything: the facts take the command line from the decision.
        DecideLaunch(fFacts.launch, decision, [](const WCHAR*) {});
        for (int i = 0; i < decision.queryCount; ++i) {
            const LaunchQuery& query = decision.queries[i];
            fFacts.queries.push_back({query.role, WideToUtf8(query.wideValueName), query.status,
                                      query.valType, query.lenKeyValue, WideToUtf8(query.data),
                                      query.matched});
        }
        if (decision.openStatus != ERROR_SUCCESS)
            fFacts.otherView = FindInOtherView(fFacts.launch, decision);
        for (const SettingKey key :
             {SettingKey::SetupName, SettingKey::SetupNameX64, SettingKey::SetupNameArm64})
            if (fFacts.launch.Value(key)[0] != '\0')
                fFacts.setups.push_back(
                    {key, FindProgram(WideToUtf8(fFacts.launch.Wide(key)), fDisc)});
        if (NamesMachineSetups(fFacts.launch))
            for (const Machine machine :
                 {Machine::X86, Machine::X64, Machine::Arm64, Machine::Arm64WithoutX64})
                fFacts.setupByMachine.emplace_back(machine, SetupFor(fFacts.launch, machine));
        if (const WCHAR* commandLine = CommandLine(decision, fFacts.launch)) {
            fFacts.commandLine = WideToUtf8(commandLine);
            const ProgramFacts* setup = fFacts.SetupOf(decision.setupKey);
            fFacts.program = decision.commandSource == CommandSource::SetupName && setup != nullptr
                                 ? *setup
                                 : FindProgram(*fFacts.commandLine, fDisc);
        }
    }

    SettingFacts SettingOf(const LaunchKey& key) const
    {
        SettingFacts setting;
        setting.key = key.key;
        setting.name = key.name;
        setting.offset = fFacts.file.readable ? fFacts.launch.Offset(key.key) : kNotFound;
        if (!fFacts.file.readable)
            return setting;
        const std::string_view name = key.name;
        setting.lines = KeyLines(name.substr(0, name.size() - 1));
        setting.set = setting.offset != kNotFound;
        if (!setting.set) {
            setting.unseenAt = fText.find(name);
            if (setting.unseenAt != std::string::npos)
                setting.unseenLine = LineOf(setting.unseenAt);
            else
                setting.unseenAt = kNotFound;
            return setting;
        }
        setting.value = WideToUtf8(fFacts.launch.Wide(key.key));
        setting.line = LineOf(setting.offset);
        setting.standsAlone = StandsAlone(setting.offset);
        setting.inComment = InComment(setting.offset);
        const std::size_t start = setting.offset + name.size();
        // Where the launcher's value ends in the text: its bytes as the file holds them.
        setting.valueEnd = start + std::strlen(fFacts.launch.Value(key.key));
        setting.lineEnd = LineEnd(start);
        setting.writtenCharacters = Characters(start, setting.lineEnd);
        return setting;
    }

    /// What the file's encoding and zero bytes do to the launcher's reading.
    void FindProblems(std::string_view bytes)
    {
        FileFacts& file = fFacts.file;
        if (file.encoding != TextEncoding::Ansi)
            file.markBeforeSection = file.encoding == TextEncoding::Utf8Bom &&
                                     StartsWithIgnoringCase(bytes.substr(3), "[autorun]");
        else if (const std::optional<UnreadUtf16> form = FindUnreadUtf16(bytes))
            file.unreadUtf16 = *form;
        const std::string_view seen = std::string_view(fText).substr(0, file.textSeen);
        if (file.encoding == TextEncoding::Ansi)
            if (const auto high =
                    std::find_if(seen.begin(), seen.end(),
                                 [](char c) { return static_cast<unsigned char>(c) > 127; });
                high != seen.end()) {
                file.firstNonAscii = static_cast<std::size_t>(high - seen.begin());
                file.firstNonAsciiLine = LineOf(*file.firstNonAscii);
            }
        if (file.textSeen < file.textRead)
            file.zeroByteLine = LineOf(file.textSeen);
    }

    /// What Windows' shell reads of the file, from its bytes as they stand, and what its
    /// lines name.
    void ReadShell(std::string_view bytes)
    {
        ShellFacts& shell = fFacts.shell;
        ReadShellAutorun(bytes, shell);
        // Windows' reader takes a UTF-8 mark for text: it may hide a section on line 1.
        if (shell.sectionLine == 0 && bytes.starts_with(kUtf8Mark)) {
            ShellFacts behind;
            ReadShellAutorun(bytes.substr(kUtf8Mark.size()), behind);
            shell.hiddenByMark = behind.sectionLine == 1;
        }
        if (shell.amd64Lines[kOpen] && !shell.amd64Lines[kOpen]->value.empty())
            shell.amd64Program = FindProgram(shell.amd64Lines[kOpen]->value, fDisc);
        if (shell.sectionLine == 0)
            return;
        if (fFacts.file.encoding == TextEncoding::Utf8 ||
            fFacts.file.encoding == TextEncoding::Utf8Bom) {
            ShellFacts meant;
            const std::size_t mark = bytes.starts_with(kUtf8Mark) ? kUtf8Mark.size() : 0;
            ReadShellAutorun(bytes.substr(mark), meant, true);
            for (std::size_t key = 0; key < std::size(kShellKeys); ++key)
                if (shell.lines[key] && meant.lines[key] &&
                    meant.lines[key]->line == shell.lines[key]->line)
                    shell.lines[key]->meant = meant.lines[key]->value;
        }
        for (const int key : {kOpen, kShellExecute})
            if (shell.lines[key] && shell.startKey < 0)
                shell.startKey = key;
        if (shell.startKey >= 0 && !shell.lines[shell.startKey]->value.empty())
            shell.program = FindProgram(shell.lines[shell.startKey]->value, fDisc);
        shell.start = !shell.program              ? ShellStart::NoProgram
                      : !shell.program->path      ? ShellStart::NotFound
                      : !shell.program->onDisc    ? ShellStart::NotOnDisc
                      : shell.program->isLauncher ? ShellStart::Launcher
                                                  : ShellStart::OtherProgram;
        if (shell.lines[kIcon]) {
            const std::string& icon = shell.lines[kIcon]->value;
            shell.iconFile = std::string(Trim(std::string_view(icon).substr(0, icon.find(','))));
            shell.iconOnDisc = FindDiscFile(shell.iconFile, fDisc).has_value();
        }
    }

    // What the checks need to know of the file's text, each in one pass.

    int LineOf(std::size_t offset) const { return fLines->LineOf(offset); }

    std::size_t LineStart(std::size_t offset) const
    {
        while (offset > 0 && fText[offset - 1] != '\n' && fText[offset - 1] != '\r')
            --offset;
        return offset;
    }

    std::size_t LineEnd(std::size_t offset) const
    {
        while (offset < fText.size() && fText[offset] != '\0' && fText[offset] != '\n' &&
               fText[offset] != '\r')
            ++offset;
        return offset;
    }

    bool StandsAlone(std::size_t offset) const
    {
        const std::string_view before =
            std::string_view(fText).substr(LineStart(offset), offset - LineStart(offset));
        return std::all_of(before.begin(), before.end(), IsBlank);
    }

    bool InComment(std::size_t offset) const
    {
        return Trim(std::string_view(fText).substr(LineStart(offset))).starts_with(';');
    }

    /// Part of the text, as UTF-8.
    std::string Text(std::string_view part) const { return ToUtf8(part, fTextEncoding); }

    /// The value a key standing just before `start` would have, by the launcher's rule.
    std::string ValueAt(std::size_t start) const
    {
        SettingValue value;
        CopyValue(fText.data() + start, value, fTextEncoding);
        return Text(value);
    }

    /// Every line whose first word is `name` in any case, followed by "=" perhaps after
    /// blanks.
    std::vector<KeyLine> KeyLines(std::string_view name) const
    {
        std::vector<KeyLine> found;
        ForEachField(fText, "\r\n", [&](std::string_view line, std::size_t start) {
            std::size_t at = 0;
            while (at < line.size() && IsBlank(line[at]))
                ++at;
            line.remove_prefix(at);
            if (!StartsWithIgnoringCase(line, name))
                return;
            std::size_t equals = name.size();
            while (equals < line.size() && IsBlank(line[equals]))
                ++equals;
            if (equals >= line.size() || line[equals] != '=')
                return;
            const bool sameCase = line.substr(0, name.size()) == name;
            const std::size_t offset = start + at;
            found.push_back({!sameCase              ? KeyLineKind::OtherCase
                             : equals > name.size() ? KeyLineKind::BlankBeforeEquals
                                                    : KeyLineKind::Exact,
                             offset, LineOf(offset), InComment(offset),
                             Text(line.substr(0, equals + 1)), ValueAt(offset + equals + 1)});
        });
        return found;
    }

    std::size_t Characters(std::size_t start, std::size_t end) const
    {
        std::size_t characters = 0;
        for (std::size_t at = start; at < end;
             at += CharacterLength(fText.data() + at, fTextEncoding))
            ++characters;
        return characters;
    }

    DiscPlace fDisc;
    DiscFacts fFacts;
    /// The text offsets are counted in, always followed by a zero byte (the launcher's rules
    /// read a terminated text), and its encoding: a UTF-16 file's is UTF-8.
    std::string fText;
    TextEncoding fTextEncoding = TextEncoding::Ansi;
    std::optional<LineTable> fLines;
};

} // namespace

LineTable::LineTable(std::string_view text)
{
    fStarts.push_back(0);
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
            fStarts.push_back(i + 1);
}

int LineTable::LineOf(std::size_t offset) const
{
    return static_cast<int>(std::upper_bound(fStarts.begin(), fStarts.end(), offset) -
                            fStarts.begin());
}

DiscFacts GatherFolder(const std::string& folder)
{
    std::error_code error;
    if (!fs::is_directory(PathOf(folder), error))
        throw CheckFailure{"no such folder: " + folder};
    return Gatherer(folder, folder).Gather();
}

DiscFacts GatherImageTree(const std::string& readFolder, ImageFacts image)
{
    DiscFacts facts = Gatherer(readFolder, image.path).Gather();
    facts.image = std::move(image);
    return facts;
}

} // namespace autorun::check
