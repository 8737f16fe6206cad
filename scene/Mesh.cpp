#include "scene/Mesh.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "scene/SceneRenderer.h"

namespace zelmor {

namespace {

uint64_t changeCount = 0;

// Every change to a mesh's contents passes here.
void countChange() {
    ++changeCount;
}

}  // namespace

Mesh::Mesh(std::vector<float> vertices, std::vector<uint32_t> indices,
           std::vector<uint8_t> vertexColours, Colour colour, int32_t primitiveMode)
    : vertices_(std::move(vertices)),
      indices_(std::move(indices)),
      vertexColours_(std::move(vertexColours)),
      colour_(colour),
      primitiveMode_(primitiveMode) {
    const uint32_t count = vertexCount();
    // glDrawElements takes a signed count; a longer list could not be handed over whole.
    indicesInRange_ =
        indices_.size() <= static_cast<std::size_t>(INT_MAX) &&
        std::all_of(indices_.begin(), indices_.end(), [count](uint32_t i) { return i < count; });
    coloursMatch_ = vertexColours_.empty() || vertexColours_.size() == 4 * std::size_t{count};
}

Mesh::Mesh(Mesh&& other) noexcept
    : vertices_(std::move(other.vertices_)),
      indices_(std::move(other.indices_)),
      vertexColours_(std::move(other.vertexColours_)),
      colour_(other.colour_),
      primitiveMode_(other.primitiveMode_),
      indicesInRange_(other.indicesInRange_),
      coloursMatch_(other.coloursMatch_) {
    countChange();
    other.indicesInRange_ = true;
    other.coloursMatch_ = true;
}

Mesh& Mesh::operator=(const Mesh& other) {
    // Each vector copies into new storage before it releases its own, so a mesh assigned to
    // itself stays intact.
    vertices_ = other.vertices_;
    indices_ = other.indices_;
    vertexColours_ = other.vertexColours_;
    colour_ = other.colour_;
    primitiveMode_ = other.primitiveMode_;
    indicesInRange_ = other.indicesInRange_;
    coloursMatch_ = other.coloursMatch_;
    countChange();
    return *this;
}

Mesh& Mesh::operator=(Mesh&& other) noexcept {
    if (this == &other) {
        return *this;
    }
    vertices_ = std::move(other.vertices_);
    indices_ = std::move(other.indices_);
    vertexColours_ = std::move(other.vertexColours_);
    colour_ = other.colour_;
    primitiveMode_ = other.primitiveMode_;
    indicesInRange_ = other.indicesInRange_;
    coloursMatch_ = other.coloursMatch_;
    other.indicesInRange_ = true;
    other.coloursMatch_ = true;
    countChange();
    return *this;
}

Mesh::~Mesh() {
    countChange();
}

uint64_t Mesh::changes() {
    return changeCount;
}

void Mesh::draw() const {
    if (SceneRenderer* renderer = SceneRenderer::installed()) {
        renderer->drawMesh(*this);
    }
}

}  // namespace zelmor
