/// The process's registry: the ".reg" file named by KOVA_REGISTRY, read on first use.
#ifndef KOVA_POSIX_REGISTRY_H
#define KOVA_POSIX_REGISTRY_H

namespace kova::posix {

/// Reads the registry again from the file KOVA_REGISTRY names now (an 8-bit file through
/// the code page in force now), so that tests can switch registries within one process.
/// Open keys stay open and see the new contents.
void ReloadRegistry();

} // namespace kova::posix

#endif
