/// autorun-check on a disc image: the image's tree, under the names Windows shows from
/// it, laid out in a private temporary folder and checked as a disc folder is.
#ifndef KOVA_CHECKER_IMAGECHECK_H
#define KOVA_CHECKER_IMAGECHECK_H

#include "checker/CheckReport.h"

#include <string>

namespace kova::check {

/// Checks the disc image `path`. Throws CheckFailure when it cannot be read, is not a disc
/// image, or is damaged.
CheckReport CheckImage(const std::string& path);

} // namespace kova::check

#endif
