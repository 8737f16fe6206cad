#pragma once

#include <istream>
#include <string>

#include "geometry/Vector3.h"
#include "scene/ReadContext.h"
#include "scene/RecordReader.h"

namespace zelmor {

class World;

// Reads a SceneFile into a World: "m" loads a model list, "b" places a static object, "u" a
// unit, "c" sets the camera and "l" the light, all at the current position and orientation
// that "p" and "o" set; "x" ends the scene. A record whose operands cannot all be read (a
// malformed number or the end of the input) ends the reading and does not take effect: a
// half-read record would otherwise place an object or aim the camera with values nobody wrote.
class SceneFile {
public:
    // fileName only labels reports; files that records name open through context.files.
    static void read(std::istream& in, const std::string& fileName, World& world,
                     const ReadContext& context);

private:
    SceneFile(std::istream& in, const std::string& fileName, World& world,
              const ReadContext& context);
    void readAll();
    // False when the record could not be read whole: reading ends there.
    bool readRecord(char letter);
    bool readModelList();
    bool readStaticObject();
    bool readUnit();
    bool readCamera();

    RecordReader reader_;
    World& world_;
    const ReadContext& context_;
    Vector3 position_;     // set by "p"
    Vector3 orientation_;  // set by "o": angles of placed objects, the camera's look offset
};

}  // namespace zelmor
