#include "scene/ModelFile.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "scene/FileSource.h"
#include "scene/RecordReader.h"

namespace zelmor {

namespace {

// The primitive modes that OpenGL 1.1 draws: GL_POINTS (0) to GL_POLYGON (9).
constexpr int32_t LAST_PRIMITIVE_MODE = 9;

// A count in a file is a promise the file may not keep: room is made for at most this many
// values up front, and the arrays grow only as numbers are really read.
constexpr std::size_t RESERVE_LIMIT = 1 << 16;

// The model as the records have built it so far. Each record reads into its own array and
// replaces the model's only when all its numbers were read.
struct Draft {
    std::vector<float> vertices;
    std::vector<uint32_t> indices;
    std::vector<uint8_t> colours;
    Colour colour;
    int32_t mode = 0;
    std::streamoff vertexRecordAt = -1;
    std::streamoff indexRecordAt = -1;

    uint32_t vertexCount() const { return static_cast<uint32_t>(vertices.size() / 3); }
};

class ModelReader {
public:
    ModelReader(std::istream& in, const std::string& file, ReadReport* report)
        : reader_(in, file, report) {}

    Mesh read();

private:
    bool readRecord(char letter);
    bool readColour();
    bool readIndices();
    bool readVertexColours();
    bool readMode();
    bool readIgnored();
    bool readVertices();
    void checkMesh(const Mesh& mesh);

    RecordReader reader_;
    Draft draft_;
    bool anyRecord_ = false;
};

Mesh ModelReader::read() {
    char letter = 0;
    while (reader_.nextRecord("ciopsvx", letter)) {
        anyRecord_ = true;
        if (letter == 'x') {
            reader_.noteTrailingText();
            break;
        }
        if (!readRecord(letter)) {
            break;
        }
    }
    Mesh mesh(std::move(draft_.vertices), std::move(draft_.indices), std::move(draft_.colours),
              draft_.colour, draft_.mode);
    checkMesh(mesh);
    return mesh;
}

// False when reading ends: a number could not be read or the file ended inside the record.
bool ModelReader::readRecord(char letter) {
    switch (letter) {
        case 'c':
            return readColour();
        case 'i':
            return readIndices();
        case 'o':
            return readVertexColours();
        case 'p':
            return readMode();
        case 's':
            return readIgnored();
        default:
            return readVertices();
    }
}

bool ModelReader::readColour() {
    Colour colour;
    if (!reader_.readNumber(colour.r) || !reader_.readNumber(colour.g) ||
        !reader_.readNumber(colour.b) || !reader_.readNumber(colour.a)) {
        return false;
    }
    draft_.colour = colour;
    return true;
}

bool ModelReader::readIndices() {
    const std::streamoff at = reader_.recordOffset();
    uint32_t count = 0;
    if (!reader_.readCount(count, "count")) {
        return false;
    }
    std::vector<uint32_t> indices;
    indices.reserve(std::min<std::size_t>(count, RESERVE_LIMIT));
    for (uint32_t n = 0; n < count; ++n) {
        uint32_t index = 0;
        if (!reader_.readCount(index, "index")) {
            return false;
        }
        indices.push_back(index);
    }
    draft_.indices = std::move(indices);
    draft_.indexRecordAt = at;
    return true;
}

bool ModelReader::readVertexColours() {
    // Colours need the vertices they colour; before them the letter alone is passed over.
    const std::size_t count = 4 * std::size_t{draft_.vertexCount()};
    if (count == 0) {
        reader_.recordProblem("'o' before any vertices is ignored");
        return true;
    }
    std::vector<uint8_t> colours;
    colours.reserve(std::min(count, RESERVE_LIMIT));
    for (std::size_t n = 0; n < count; ++n) {
        uint32_t value = 0;
        if (!reader_.readCount(value, "colour")) {
            return false;
        }
        colours.push_back(static_cast<uint8_t>(value % 256));
    }
    draft_.colours = std::move(colours);
    return true;
}

bool ModelReader::readMode() {
    int32_t mode = 0;
    if (!reader_.readInteger(mode)) {
        return false;
    }
    draft_.mode = mode;
    return true;
}

// "s": a character and three floats that the model does not use.
bool ModelReader::readIgnored() {
    char tag = 0;
    float unused = 0.0f;
    return reader_.readCharacter(tag) && reader_.readNumber(unused) && reader_.readNumber(unused) &&
           reader_.readNumber(unused);
}

bool ModelReader::readVertices() {
    const std::streamoff at = reader_.recordOffset();
    uint32_t count = 0;
    if (!reader_.readCount(count, "count")) {
        return false;
    }
    std::vector<float> vertices;
    vertices.reserve(3 * std::min<std::size_t>(count, RESERVE_LIMIT));
    for (std::size_t n = 0; n < 3 * std::size_t{count}; ++n) {
        float value = 0.0f;
        if (!reader_.readNumber(value)) {
            return false;
        }
        vertices.push_back(value);
    }
    draft_.vertices = std::move(vertices);
    draft_.vertexRecordAt = at;
    return true;
}

void ModelReader::checkMesh(const Mesh& mesh) {
    if (!reader_.reporting()) {
        return;
    }
    const uint32_t count = mesh.vertexCount();
    for (uint32_t index : mesh.indices()) {
        if (index >= count) {
            reader_.problem(draft_.indexRecordAt, "index " + std::to_string(index) +
                                                      " at or above the vertex count " +
                                                      std::to_string(count));
            break;
        }
    }
    if (!mesh.coloursMatch()) {
        reader_.problem(draft_.vertexRecordAt, "vertex colours do not match the vertices");
    }
    if (!anyRecord_ && !reader_.skippedSinceAsked()) {
        reader_.note(-1, "model file is empty; the model draws nothing");
    } else if (mesh.indexCount() == 0) {
        reader_.note(-1, "model has no indices; it draws nothing");
    } else if (mesh.primitiveMode() < 0 || mesh.primitiveMode() > LAST_PRIMITIVE_MODE) {
        reader_.note(-1, "primitive mode " + std::to_string(mesh.primitiveMode()) +
                             " is no OpenGL primitive; the model draws nothing");
    }
}

}  // namespace

Mesh readModelFile(std::istream& in, const std::string& fileName, ReadReport* report) {
    return ModelReader(in, fileName, report).read();
}

Mesh loadModelFile(const std::string& path) {
    const auto in = FileSource::disk().open(path);
    if (!in) {
        return Mesh();
    }
    return readModelFile(*in, path);
}

}  // namespace zelmor
