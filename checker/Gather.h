/// The checker's first step, and the only one that touches the file system, an image or the
/// registry: it turns a disc and this machine's registry into the record of facts.
#ifndef KOVA_CHECKER_GATHER_H
#define KOVA_CHECKER_GATHER_H

#include "checker/DiscFacts.h"

#include <string>

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
