#include "scene/ModelFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

#include "scene/BoundedRead.h"
#include "scene/FileSource.h"
#include "scene/SkippedRun.h"

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

std::string shown(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F) {
        return std::string("'") + c + "'";
    }
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

class ModelReader {
public:
    ModelReader(std::istream& in, const std::string& file, ReadReport* report)
        : in_(in), file_(file), report_(report) {}

    Mesh read();

private:
    bool readRecord(char letter);
    bool readColour();
    bool readIndices();
    bool readVertexColours();
    bool readMode();
    bool readIgnored();
    bool readVertices();
    void noteTextAfterEnd();
    void checkMesh(const Mesh& mesh);
    void skip(char letter);
    void reportSkipped();

    template <typename T>
    bool number(T& value, std::streamoff* at = nullptr);
    bool extract(float& value) {
        return BoundedRead::number(in_, value) == BoundedRead::Result::Read;
    }
    template <typename T>
    bool extract(T& value) {
        return static_cast<bool>(in_ >> value);
    }
    bool unsignedNumber(uint32_t& value, const char* what);

    std::streamoff here() { return report_ ? static_cast<std::streamoff>(in_.tellg()) : -1; }
    void problem(std::streamoff at, const std::string& message) {
        if (report_) {
            report_->report(file_, at, ReadReport::Kind::Problem, message);
        }
    }
    void note(const std::string& message) {
        if (report_) {
            report_->report(file_, -1, ReadReport::Kind::Note, message);
        }
    }

    std::istream& in_;
    const std::string& file_;
    ReadReport* report_;
    Draft draft_;
    char letter_ = 0;
    std::streamoff recordAt_ = -1;
    bool anyText_ = false;
    SkippedRun skipped_;
};

Mesh ModelReader::read() {
    for (;;) {
        in_ >> std::ws;
        if (!in_.good()) {
            break;
        }
        recordAt_ = here();
        if (!in_.get(letter_)) {
            break;
        }
        anyText_ = true;
        if (report_ && std::string_view("ciopsvx").find(letter_) != std::string_view::npos) {
            reportSkipped();
            skipped_.clear();
        }
        if (letter_ == 'x') {
            noteTextAfterEnd();
            break;
        }
        if (!readRecord(letter_)) {
            break;
        }
    }
    reportSkipped();
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
        case 'v':
            return readVertices();
        default:
            skip(letter);
            return true;
    }
}

bool ModelReader::readColour() {
    Colour colour;
    if (!number(colour.r) || !number(colour.g) || !number(colour.b) || !number(colour.a)) {
        return false;
    }
    draft_.colour = colour;
    return true;
}

bool ModelReader::readIndices() {
    const std::streamoff at = recordAt_;
    uint32_t count = 0;
    if (!unsignedNumber(count, "count")) {
        return false;
    }
    std::vector<uint32_t> indices;
    indices.reserve(std::min<std::size_t>(count, RESERVE_LIMIT));
    for (uint32_t n = 0; n < count; ++n) {
        uint32_t index = 0;
        if (!unsignedNumber(index, "index")) {
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
        problem(recordAt_, "'o' before any vertices is ignored");
        return true;
    }
    std::vector<uint8_t> colours;
    colours.reserve(std::min(count, RESERVE_LIMIT));
    for (std::size_t n = 0; n < count; ++n) {
        uint32_t value = 0;
        if (!unsignedNumber(value, "colour")) {
            return false;
        }
        colours.push_back(static_cast<uint8_t>(value % 256));
    }
    draft_.colours = std::move(colours);
    return true;
}

bool ModelReader::readMode() {
    int32_t mode = 0;
    if (!number(mode)) {
        return false;
    }
    draft_.mode = mode;
    return true;
}

// "s": a character and three floats that the model does not use.
bool ModelReader::readIgnored() {
    char tag = 0;
    if (!(in_ >> tag)) {
        problem(recordAt_, "'s' record cut short by the end of the file");
        return false;
    }
    float unused = 0.0f;
    return number(unused) && number(unused) && number(unused);
}

bool ModelReader::readVertices() {
    const std::streamoff at = recordAt_;
    uint32_t count = 0;
    if (!unsignedNumber(count, "count")) {
        return false;
    }
    std::vector<float> vertices;
    vertices.reserve(3 * std::min<std::size_t>(count, RESERVE_LIMIT));
    for (std::size_t n = 0; n < 3 * std::size_t{count}; ++n) {
        float value = 0.0f;
        if (!number(value)) {
            return false;
        }
        vertices.push_back(value);
    }
    draft_.vertices = std::move(vertices);
    draft_.vertexRecordAt = at;
    return true;
}

void ModelReader::skip(char letter) {
    // A run that fills its quote is told at once and goes on silently to its end.
    if (report_ && skipped_.add(letter, recordAt_)) {
        reportSkipped();
    }
}

void ModelReader::reportSkipped() {
    if (skipped_.pending()) {
        problem(skipped_.start(), "skipped " + skipped_.quoted() + ": not a record letter");
        skipped_.markReported();
    }
}

// Reads one number after white space. Out-of-range values and text that is no number fail the
// stream's extraction; either way reading ends and the record in hand is dropped.
template <typename T>
bool ModelReader::number(T& value, std::streamoff* at) {
    in_ >> std::ws;
    if (!in_.good()) {
        problem(recordAt_, shown(letter_) + " record cut short by the end of the file");
        return false;
    }
    const std::streamoff start = here();
    if (at) {
        *at = start;
    }
    if (extract(value)) {
        return true;
    }
    problem(start, "unreadable number in " + shown(letter_) + " record");
    return false;
}

// Counts, indices and colour values: whole numbers from 0 to 2^32 - 1. A sign would otherwise
// wrap "-1" into a huge count.
bool ModelReader::unsignedNumber(uint32_t& value, const char* what) {
    long long wide = 0;
    std::streamoff at = -1;
    if (!number(wide, &at)) {
        return false;
    }
    if (wide < 0 || wide > std::numeric_limits<uint32_t>::max()) {
        problem(at, std::string(what) + " out of range in " + shown(letter_) + " record");
        return false;
    }
    value = static_cast<uint32_t>(wide);
    return true;
}

void ModelReader::noteTextAfterEnd() {
    if (!report_) {
        return;
    }
    in_ >> std::ws;
    if (in_.good() && in_.peek() != std::char_traits<char>::eof()) {
        report_->report(file_, here(), ReadReport::Kind::Note, "text after x is never read");
    }
}

void ModelReader::checkMesh(const Mesh& mesh) {
    if (!report_) {
        return;
    }
    const uint32_t count = mesh.vertexCount();
    for (uint32_t index : mesh.indices()) {
        if (index >= count) {
            problem(draft_.indexRecordAt, "index " + std::to_string(index) +
                                              " at or above the vertex count " +
                                              std::to_string(count));
            break;
        }
    }
    if (!mesh.coloursMatch()) {
        problem(draft_.vertexRecordAt, "vertex colours do not match the vertices");
    }
    if (!anyText_) {
        note("model file is empty; the model draws nothing");
    } else if (mesh.indexCount() == 0) {
        note("model has no indices; it draws nothing");
    } else if (mesh.primitiveMode() < 0 || mesh.primitiveMode() > LAST_PRIMITIVE_MODE) {
        note("primitive mode " + std::to_string(mesh.primitiveMode()) +
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
