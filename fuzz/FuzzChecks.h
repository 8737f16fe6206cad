#pragma once

#include "scene/Mesh.h"

namespace zelmor {
class Unit;
class World;
}  // namespace zelmor

namespace zelmor::fuzz {

// The promises that the program's drawing and tick rely on. A broken one aborts, which the
// fuzzer counts as a finding.
void require(bool condition, const char* what);

// The mesh's own verdicts agree with its arrays: the draw trusts them to stay inside.
void requireSound(const Mesh& mesh);
// Bit for bit the same model: reading with a report sink must not change what is read.
void requireSame(const Mesh& a, const Mesh& b);
// The same parts, meshes and positions.
void requireSame(const Unit& a, const Unit& b);

// Gives every unit orders towards the others and runs the tick and the visibility test for a
// while, so that whatever positions a file gave reach the arithmetic the program runs on them.
void exercise(World& world);
// The same units in the same places, headings and speeds, bit for bit.
void requireSameUnits(const World& a, const World& b);

}  // namespace zelmor::fuzz
