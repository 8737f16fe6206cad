#include "scene/SceneFile.h"

#include "scene/World.h"

namespace zelmor {

namespace {

constexpr char RECORD_LETTERS[] = "pombuclx";

}  // namespace

void SceneFile::read(std::istream& in, const std::string& fileName, World& world,
                     const ReadContext& context) {
    SceneFile(in, fileName, world, context).readAll();
}

SceneFile::SceneFile(std::istream& in, const std::string& fileName, World& world,
                     const ReadContext& context)
    : reader_(in, fileName, context.report), world_(world), context_(context) {}

void SceneFile::readAll() {
    char letter = 0;
    while (reader_.nextRecord(RECORD_LETTERS, letter)) {
        if (letter == 'x') {
            reader_.noteTrailingText();
            return;
        }
        if (!readRecord(letter)) {
            return;
        }
    }
}

bool SceneFile::readRecord(char letter) {
    switch (letter) {
        case 'p':
            return reader_.readVector(position_);
        case 'o':
            return reader_.readVector(orientation_);
        case 'm':
            return readModelList();
        case 'b':
            return readStaticObject();
        case 'u':
            return readUnit();
        case 'c':
            return readCamera();
        case 'l':
            world_.light = Light::atPosition(position_);
            return true;
        default:
            return false;
    }
}

bool SceneFile::readModelList() {
    const std::streamoff offset = reader_.nextTokenOffset();
    std::string path;
    if (!reader_.readWord(path)) {
        return false;
    }
    reader_.named(ReadReport::Role::ModelList, path, offset);
    world_.models->preload(path, context_);
    return true;
}

bool SceneFile::readStaticObject() {
    const std::streamoff offset = reader_.nextTokenOffset();
    std::string name;
    if (!reader_.readWord(name)) {
        return false;
    }
    StaticObject object;
    object.position = position_;
    object.angles = orientation_;
    // Only a model list read earlier can supply the mesh; without one the object is not
    // drawn but still stops units.
    object.mesh = world_.models->get(name);
    if (object.mesh == nullptr && reader_.reporting()) {
        reader_.problem(offset, "model '" + name + "' is in no model list loaded before it");
    }
    world_.staticObjects.push_back(object);
    return true;
}

bool SceneFile::readUnit() {
    const std::streamoff offset = reader_.nextTokenOffset();
    std::string path;
    if (!reader_.readWord(path)) {
        return false;
    }
    reader_.named(ReadReport::Role::UnitFile, path, offset);
    Unit unit(path, *world_.models, context_);
    unit.position = position_;
    unit.angles = orientation_;
    world_.units.push_back(unit);
    return true;
}

bool SceneFile::readCamera() {
    float fieldOfView = 0.0f;
    float nearPlane = 0.0f;
    float farPlane = 0.0f;
    if (!reader_.readNumber(fieldOfView) || !reader_.readNumber(nearPlane) ||
        !reader_.readNumber(farPlane)) {
        return false;
    }
    Camera& camera = world_.camera;
    camera.setPosition(position_);
    camera.setLookOffset(orientation_);
    camera.setFieldOfView(fieldOfView);
    camera.setNearPlane(nearPlane);
    camera.setFarPlane(farPlane);
    return true;
}

}  // namespace zelmor
