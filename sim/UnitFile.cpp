#include "sim/UnitFile.h"

#include "sim/Unit.h"

namespace zelmor {

namespace {

constexpr char RECORD_LETTERS[] = "mpoax";

}  // namespace

void UnitFile::load(const std::string& path, const ModelCache& models, const ReadContext& context,
                    Unit& unit) {
    auto in = context.files->open(path);
    if (!in) {
        ReadReport::cannotOpen(context.report, path, "unit file", "the unit has no parts");
        return;
    }
    read(*in, path, models, context.report, unit);
}

void UnitFile::read(std::istream& in, const std::string& fileName, const ModelCache& models,
                    ReadReport* report, Unit& unit) {
    UnitFile(in, fileName, models, report, unit).readAll();
}

UnitFile::UnitFile(std::istream& in, const std::string& fileName, const ModelCache& models,
                   ReadReport* report, Unit& unit)
    : reader_(in, fileName, report), models_(models), unit_(unit) {}

void UnitFile::readAll() {
    char letter = 0;
    while (reader_.nextRecord(RECORD_LETTERS, letter)) {
        if (letter == 'x') {
            reader_.noteTrailingText();
            break;
        }
        if (!readRecord(letter)) {
            break;
        }
    }
    if (reader_.reporting() && unit_.parts().empty()) {
        reader_.problem(-1, "unit file stores no parts; the unit shows nothing");
    }
}

bool UnitFile::readRecord(char letter) {
    switch (letter) {
        case 'm':
            return readModel();
        case 'p':
            return reader_.readVector(part_.position);
        case 'o':
            return reader_.readVector(part_.angles);
        case 'a':
            return readPartName();
        default:
            return false;
    }
}

bool UnitFile::readModel() {
    const std::streamoff offset = reader_.nextTokenOffset();
    std::string name;
    if (!reader_.readWord(name)) {
        return false;
    }
    // The cache never loads here: only a model list read before this unit can supply the model.
    part_.mesh = models_.get(name);
    modelName_ = name;
    modelSincePart_ = true;
    if (part_.mesh == nullptr && reader_.reporting()) {
        reader_.problem(offset, "model '" + name + "' is in no model list loaded before this unit");
    }
    return true;
}

bool UnitFile::readPartName() {
    const std::streamoff offset = reader_.nextTokenOffset();
    std::string name;
    if (!reader_.readWord(name)) {
        return false;
    }
    if (part_.mesh == nullptr && reader_.reporting()) {
        reader_.problem(offset, "part '" + name + "' has no model and draws nothing");
    }
    // Skipped text where this part's "m" record was meant to be (a mistyped letter) leaves it
    // with the model of the part before it, which is easy to miss on screen.
    const bool skipped = reader_.skippedSinceAsked();
    if (skipped && !modelSincePart_ && part_.mesh != nullptr && partsStored_ > 0) {
        reader_.note(offset, "part '" + name + "' keeps the model '" + modelName_ +
                                 "' of the part before it");
    }
    modelSincePart_ = false;
    ++partsStored_;
    unit_.storePart(name, part_);
    return true;
}

}  // namespace zelmor
