#pragma once

#include "scene/FileSource.h"
#include "scene/ReadReport.h"

namespace zelmor {

// What a reader needs beyond the file in hand: where to open the files it names, and where to
// report problems (nowhere, in the program).
struct ReadContext {
    const FileSource* files = &FileSource::disk();
    ReadReport* report = nullptr;
};

}  // namespace zelmor
