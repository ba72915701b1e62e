/// autorun-check on a disc image: the image's tree, under the names Windows shows from
/// it, laid out in a private temporary folder and gathered as a disc folder is.
#ifndef KOVA_CHECKER_IMAGECHECK_H
#define KOVA_CHECKER_IMAGECHECK_H

#include "checker/DiscFacts.h"

#include <string>

namespace autorun::check {

/// Gathers the facts of the disc image `path`. Throws CheckFailure when it cannot be read, is
/// not a disc image, or is damaged.
DiscFacts GatherImage(const std::string& path);

} // namespace autorun::check

#endif
