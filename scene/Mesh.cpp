#include "scene/Mesh.h"

#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <utility>

namespace zelmor {

namespace {

// The mesh whose set-up (colour, colour array, vertex pointer) is still in the GL state. Only
// compared for identity; one thread draws.
const Mesh* lastDrawn = nullptr;
bool culling = false;  // whether GL_CULL_FACE is on
uint64_t changeCount = 0;

// Every change to a mesh's contents passes here.
void forgetIfLast(const Mesh* mesh) {
    ++changeCount;
    if (lastDrawn == mesh) {
        lastDrawn = nullptr;
    }
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
    forgetIfLast(&other);
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
    forgetIfLast(this);
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
    forgetIfLast(this);
    forgetIfLast(&other);
    return *this;
}

Mesh::~Mesh() {
    forgetIfLast(this);
}

void Mesh::forgetLastDrawn() {
    lastDrawn = nullptr;
}

uint64_t Mesh::changes() {
    return changeCount;
}

void Mesh::cullBackFaces(bool on) {
    if (culling == on) {
        return;
    }
    if (on) {
        glEnable(GL_CULL_FACE);
    } else {
        glDisable(GL_CULL_FACE);
    }
    culling = on;
}

void Mesh::resetCulling() {
    glDisable(GL_CULL_FACE);
    culling = false;
}

void Mesh::draw() const {
    // An index past the vertices would make GL read outside the array: such a mesh issues no
    // call at all, and the GL state stays that of the mesh drawn before it.
    if (!indicesInRange_) {
        return;
    }
    cullBackFaces(false);
    // Colours that are not one per vertex are treated as absent, so the alpha rule applies.
    const bool colourArray = coloursMatch_ && hasVertexColours();
    const bool additive = !colourArray && colour_.a != 1.0f;
    // The set-up is skipped while the same mesh is drawn again and its state is still in place.
    // A mesh with a colour array or blending switches them off after each draw, so it sets them
    // up every time; drawn again without them it would come out flat or opaque.
    const bool fresh = lastDrawn != this || colourArray || additive;
    if (fresh) {
        glColor4f(colour_.r, colour_.g, colour_.b, colour_.a);
        if (colourArray) {
            glEnableClientState(GL_COLOR_ARRAY);
            glColorPointer(4, GL_UNSIGNED_BYTE, 0, vertexColours_.data());
        } else if (additive) {
            // A translucent single-coloured model glows: its colour is added to what is behind.
            glEnable(GL_BLEND);
            glBlendFunc(GL_ONE, GL_ONE);
        }
        glVertexPointer(3, GL_FLOAT, 0, vertices_.data());
    }
    // With no indices the count is 0 and GL reads neither array.
    glDrawElements(static_cast<GLenum>(primitiveMode_), static_cast<GLsizei>(indices_.size()),
                   GL_UNSIGNED_INT, indices_.data());
    if (fresh) {
        if (colourArray) {
            glDisableClientState(GL_COLOR_ARRAY);
        } else if (additive) {
            glDisable(GL_BLEND);
        }
    }
    lastDrawn = this;
}

}  // namespace zelmor
