/// The checker's first step, and the only one that touches the file system, an image or the
/// registry: it turns a disc and this machine's registry into the record of facts. The file
/// and the registry are read in Gather.cpp, the programs the disc names found in
/// ProgramSearch.cpp, the shell's lines read in ShellAutorun.cpp, an image laid out in
/// ImageCheck.cpp.
#ifndef KOVA_CHECKER_GATHER_H
#define KOVA_CHECKER_GATHER_H

#include "checker/DiscFacts.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace autorun::check {

/// Why the check could not run at all.
struct CheckFailure {
    std::string message;
};

/// Reads FOLDER/autorun.inf (FOLDER in UTF-8) as Windows' shell and the launcher do, asks
/// the registry exactly as the launcher does (nothing is started and nothing is written),
/// and looks for every program the disc names. Throws CheckFailure when the folder does
/// not exist.
DiscFacts GatherFolder(const std::string& folder);

/// GatherFolder on `readFolder`, which holds `image`'s tree laid out; the facts name the
/// image, and its files by the image's path.
DiscFacts GatherImageTree(const std::string& readFolder, ImageFacts image);

/// The facts of the disc image `path`: its tree, under the names Windows shows from it, laid
/// out in a private temporary folder and gathered as a disc folder is (Linux build only).
/// Throws CheckFailure when it cannot be read, is not a disc image, or is damaged.
DiscFacts GatherImage(const std::string& path);

/// Where the disc's files are read (a folder, or an image's tree laid out in a temporary
/// folder), and the name the report gives that place.
struct DiscPlace {
    std::string readFolder;
    std::string shownFolder;

    /// A path below the folder the disc is read from, as the report names it.
    std::string Shown(const std::string& path) const;
};

/// The program `commandLine` starts when the launcher runs from the disc's root (then both
/// its own folder and the current folder), found by the launcher's own look-up
/// (launcher/CommandProgram.h): a name without a folder part in the launcher's folder first,
/// then where Windows looks next (the system folders and PATH); a relative name with a
/// folder part from the disc's root. Found, its file is read: its machine, manifest,
/// version resource and signature.
ProgramFacts FindProgram(const std::string& commandLine, const DiscPlace& disc);

/// The path of the file `name` (relative to the disc's root, as the shell's lines name
/// files) when it is a file on the disc.
std::optional<std::string> FindDiscFile(const std::string& name, const DiscPlace& disc);

/// Reads the file's bytes as Windows' INI reader does: UTF-16LE when they begin with its
/// byte-order mark, any other text in the ANSI code page; lines end at a line feed;
/// section and key names compare without regard to case, with the blanks around them
/// left out; a value loses its surrounding blanks and one pair of quotes around it; the
/// first [autorun] section counts, and in it the first line of each key. Fills `shell`'s
/// `utf16`, `sectionLine` and `lines`. `asUtf8`: reads 8-bit text as UTF-8 instead, as the
/// author of a UTF-8 file meant it.
void ReadShellAutorun(std::string_view bytes, ShellFacts& shell, bool asUtf8 = false);

/// The line table of a text: CR LF, LF and a lone CR each end a line.
class LineTable {
public:
    explicit LineTable(std::string_view text);
    /// The 1-based line of a byte offset.
    int LineOf(std::size_t offset) const;

private:
    std::vector<std::size_t> fStarts;
};

} // namespace autorun::check

#endif
