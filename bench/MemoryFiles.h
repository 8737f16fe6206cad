#pragma once

#include "scene/MemoryFileSource.h"

namespace zelmor::bench {

// Every file of the repository's data folder (logs left out), held in memory and named by its
// path relative to that folder, as the bundled scene names them: the readers are measured
// without the disk.
MemoryFileSource bundledFiles();

}  // namespace zelmor::bench
