#pragma once

#include <istream>
#include <string>

#include "scene/Mesh.h"
#include "scene/ReadReport.h"

namespace zelmor {

// Reads the ModelFile at path (as written, relative to the working directory). A file that
// cannot be opened gives an empty mesh.
Mesh loadModelFile(const std::string& path);
// Reads a ModelFile from a stream; fileName only labels reports.
Mesh readModelFile(std::istream& in, const std::string& fileName = {},
                   ReadReport* report = nullptr);

}  // namespace zelmor
