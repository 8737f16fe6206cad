#pragma once

#include <istream>
#include <string>

#include "scene/ModelCache.h"
#include "scene/ReadContext.h"
#include "scene/RecordReader.h"
#include "scene/SceneObject.h"

namespace zelmor {

class Unit;

// Reads a UnitFile, the named parts of one kind of unit, into a unit. One part is under
// construction throughout: "m", "p" and "o" change it and "a" stores a copy under a name, so a
// value stays in force for the parts that follow until a record changes it. Reading ends at
// "x", at the end of the input or at a number that cannot be read; the parts stored so far stay.
class UnitFile {
public:
    // A file that cannot be opened leaves the unit without parts.
    static void load(const std::string& path, const ModelCache& models, const ReadContext& context,
                     Unit& unit);
    // fileName only labels reports.
    static void read(std::istream& in, const std::string& fileName, const ModelCache& models,
                     ReadReport* report, Unit& unit);

private:
    UnitFile(std::istream& in, const std::string& fileName, const ModelCache& models,
             ReadReport* report, Unit& unit);
    void readAll();
    // False when the record could not be read whole: reading ends there.
    bool readRecord(char letter);
    bool readModel();
    bool readPartName();

    RecordReader reader_;
    const ModelCache& models_;
    Unit& unit_;
    SceneObject part_;
    // Only kept for reports: the model named by the last "m" record, whether one was read
    // since the last stored part, and how many parts were stored.
    std::string modelName_;
    bool modelSincePart_ = false;
    int partsStored_ = 0;
};

}  // namespace zelmor
