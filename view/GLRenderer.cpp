#include "view/GLRenderer.h"

#include <GL/gl.h>

#include "scene/Mesh.h"
#include "scene/SceneObject.h"
#include "sim/SelectionBox.h"
#include "sim/Unit.h"
#include "view/PartBatch.h"

namespace zelmor {

namespace {

// A turn about one axis; a zero angle costs no call.
void turn(float degrees, float x, float y, float z) {
    if (degrees != 0.0f) {
        glRotatef(degrees, x, y, z);
    }
}

}  // namespace

void GLRenderer::drawObject(const SceneObject& object) {
    const Vector3& p = object.position;
    const Vector3& a = object.angles;
    glTranslatef(p.x, p.y, p.z);
    // X, then Y, then Z: a vertex turns about Z first.
    turn(a.x, 1.0f, 0.0f, 0.0f);
    turn(a.y, 0.0f, 1.0f, 0.0f);
    turn(a.z, 0.0f, 0.0f, 1.0f);
    if (object.mesh != nullptr) {
        drawMesh(*object.mesh);
    }
    drawChildren(object);
}

void GLRenderer::drawChildren(const SceneObject& object) {
    for (const SceneObject& child : object.children) {
        glPushMatrix();
        drawObject(child);
        glPopMatrix();
    }
}

void GLRenderer::drawUnit(const Unit& unit) {
    const Vector3& p = unit.position;
    const Vector3& a = unit.angles;
    glTranslatef(p.x, p.y, p.z);
    // The heading goes last so that it acts first: the model is turned to its heading, then
    // tilted about the world's x and z axes with the ground.
    turn(a.x, 1.0f, 0.0f, 0.0f);
    turn(a.z, 0.0f, 0.0f, 1.0f);
    turn(a.y, 0.0f, 1.0f, 0.0f);
    if (unit.mesh != nullptr) {
        drawMesh(*unit.mesh);
    }
    drawChildren(unit);
    // Looked up on every draw: the marker is whatever the model lists call SELECTOR now.
    const Mesh* marker = unit.selectionMarker();
    if (!PartBatch::mergeParts) {
        drawPartsOneByOne(unit, marker);
        return;
    }
    if (unit.drawHandle() == 0) {
        unit.setDrawHandle(PartBatch::sharedHandle(unit.parts()));
    }
    PartBatch& batch = PartBatch::byHandle(unit.drawHandle());
    (marker != nullptr ? batch.withMarker(marker) : &batch)->draw(unit.parts(), *this);
}

void GLRenderer::drawPartsOneByOne(const Unit& unit, const Mesh* marker) {
    for (const auto& [name, part] : unit.parts()) {
        glPushMatrix();
        drawObject(part);
        glPopMatrix();
    }
    if (unit.isSelected()) {
        glPushMatrix();
        if (marker != nullptr) {
            drawMesh(*marker);
        }
        glPopMatrix();
    }
}

void GLRenderer::drawSelectionBox(const SelectionBox& box) {
    const float level = SelectionBox::pulseLevel;
    const float height = SelectionBox::OUTLINE_HEIGHT;
    glColor4f(level, level, level, 1.0f);
    // The grey replaces the current colour: the next mesh must set its own again, even if it
    // is the one drawn last.
    state_.forgetMesh();
    glBegin(GL_LINE_LOOP);
    glVertex3f(box.startCorner.x, height, box.startCorner.z);
    glVertex3f(box.startCorner.x, height, box.endCorner.z);
    glVertex3f(box.endCorner.x, height, box.endCorner.z);
    glVertex3f(box.endCorner.x, height, box.startCorner.z);
    glEnd();
}

void GLRenderer::drawMesh(const Mesh& mesh) {
    // An index past the vertices would make GL read outside the array: such a mesh issues no
    // call at all, and the GL state stays that of the mesh drawn before it.
    if (!mesh.indicesInRange()) {
        return;
    }
    state_.cullBackFaces(false);
    // Colours that are not one per vertex are treated as absent, so the alpha rule applies.
    const bool colourArray = mesh.coloursMatch() && mesh.hasVertexColours();
    const Colour& colour = mesh.colour();
    const bool additive = !colourArray && colour.a != 1.0f;
    // The set-up is skipped while the same mesh is drawn again and its state is still in place.
    // A mesh with a colour array or blending switches them off after each draw, so it sets them
    // up every time; drawn again without them it would come out flat or opaque.
    const bool fresh = !state_.isSetUp(mesh) || colourArray || additive;
    if (fresh) {
        glColor4f(colour.r, colour.g, colour.b, colour.a);
        if (colourArray) {
            glEnableClientState(GL_COLOR_ARRAY);
            glColorPointer(4, GL_UNSIGNED_BYTE, 0, mesh.vertexColours().data());
        } else if (additive) {
            // A translucent single-coloured model glows: its colour is added to what is behind.
            glEnable(GL_BLEND);
            glBlendFunc(GL_ONE, GL_ONE);
        }
        glVertexPointer(3, GL_FLOAT, 0, mesh.vertices().data());
    }
    // With no indices the count is 0 and GL reads neither array.
    glDrawElements(static_cast<GLenum>(mesh.primitiveMode()),
                   static_cast<GLsizei>(mesh.indices().size()), GL_UNSIGNED_INT,
                   mesh.indices().data());
    if (fresh) {
        if (colourArray) {
            glDisableClientState(GL_COLOR_ARRAY);
        } else if (additive) {
            glDisable(GL_BLEND);
        }
    }
    state_.setUp(mesh);
}

}  // namespace zelmor
