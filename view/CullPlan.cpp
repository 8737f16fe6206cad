#include "view/CullPlan.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <utility>

namespace zelmor {

namespace {

using Point = std::array<double, 3>;

// Flatness and convexity are judged to this fraction of a piece's size: the model files' corners
// are rounded to floats, so the faces of a box meet their planes only to about 1e-7.
constexpr double RELATIVE_TOLERANCE = 1e-5;
// Face-by-corner tests allowed for one piece; a larger piece (a bad file) keeps its back faces.
constexpr std::size_t CHECK_BUDGET = std::size_t(1) << 22;
// A part of more triangles keeps its back faces unexamined: the look-ups that find its pieces
// take some twenty times the memory of its indices.
constexpr uint32_t TRIANGLE_LIMIT = 1 << 16;
// The matrices come from GL as floats: conditions must hold by this fraction of their scale.
constexpr double VIEW_MARGIN = 1e-5;

enum class Winding { KEEP, TURN, BOTH };

Point minus(const Point& a, const Point& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

Point cross(const Point& a, const Point& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

double dot(const Point& a, const Point& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

double length(const Point& a) {
    return std::sqrt(dot(a, a));
}

// A part's triangles over its distinct corners: vertices at the same place are one corner, so
// that faces coloured apart still meet at their edges.
struct Surface {
    std::vector<Point> corners;
    std::vector<std::array<uint32_t, 3>> triangles;  // corner numbers
};

Surface weld(const float* vertices, const uint32_t* indices, uint32_t triangleCount) {
    Surface surface;
    std::map<std::array<float, 3>, uint32_t> cornerOf;
    for (uint32_t k = 0; k < 3 * triangleCount; ++k) {
        const float* v = vertices + 3 * std::size_t(indices[k]);
        const auto [at, added] =
            cornerOf.try_emplace({v[0], v[1], v[2]}, uint32_t(surface.corners.size()));
        if (added) {
            surface.corners.push_back({v[0], v[1], v[2]});
        }
        if (k % 3 == 0) {
            surface.triangles.push_back({});
        }
        surface.triangles.back()[k % 3] = at->second;
    }
    return surface;
}

bool hasRepeatedCorner(const std::array<uint32_t, 3>& t) {
    return t[0] == t[1] || t[1] == t[2] || t[2] == t[0];
}

// The connected pieces: triangles that share an edge are one piece. Triangles with a repeated
// corner cover nothing and belong to none (piece number UINT32_MAX).
std::vector<uint32_t> pieceOfEach(const Surface& surface, uint32_t& pieceCount) {
    const auto count = static_cast<uint32_t>(surface.triangles.size());
    std::vector<uint32_t> parent(count);
    std::iota(parent.begin(), parent.end(), 0u);
    auto root = [&](uint32_t t) {
        while (parent[t] != t) {
            t = parent[t] = parent[parent[t]];
        }
        return t;
    };
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> firstOnEdge;
    for (uint32_t t = 0; t < count; ++t) {
        const auto& c = surface.triangles[t];
        if (hasRepeatedCorner(c)) {
            continue;
        }
        for (int e = 0; e < 3; ++e) {
            const auto edge = std::minmax(c[e], c[(e + 1) % 3]);
            const auto [at, added] = firstOnEdge.try_emplace(edge, t);
            if (!added) {
                parent[root(t)] = root(at->second);
            }
        }
    }
    std::vector<uint32_t> piece(count, UINT32_MAX);
    std::map<uint32_t, uint32_t> numberOf;
    for (uint32_t t = 0; t < count; ++t) {
        if (!hasRepeatedCorner(surface.triangles[t])) {
            piece[t] = numberOf.try_emplace(root(t), uint32_t(numberOf.size())).first->second;
        }
    }
    pieceCount = static_cast<uint32_t>(numberOf.size());
    return piece;
}

// The edges that the piece's faces do not pair up, one way against the other: where it is open.
std::vector<uint32_t> openCorners(const Surface& surface, const std::vector<uint32_t>& faces) {
    std::map<std::pair<uint32_t, uint32_t>, int> net;
    for (uint32_t t : faces) {
        const auto& c = surface.triangles[t];
        for (int e = 0; e < 3; ++e) {
            const uint32_t from = c[e];
            const uint32_t to = c[(e + 1) % 3];
            net[std::minmax(from, to)] += from < to ? 1 : -1;
        }
    }
    std::vector<uint32_t> corners;
    for (const auto& [edge, count] : net) {
        if (count != 0) {
            corners.push_back(edge.first);
            corners.push_back(edge.second);
        }
    }
    return corners;
}

// How one piece may be drawn under culling, and the limit on the eye that an opening sets.
class PieceCheck {
public:
    PieceCheck(const Surface& surface, const std::vector<uint32_t>& faces)
        : surface_(surface), faces_(faces) {
        for (uint32_t t : faces) {
            corners_.insert(corners_.end(), surface.triangles[t].begin(),
                            surface.triangles[t].end());
        }
        std::sort(corners_.begin(), corners_.end());
        corners_.erase(std::unique(corners_.begin(), corners_.end()), corners_.end());
        double size = 0.0;
        for (int axis = 0; axis < 3; ++axis) {
            const auto [low, high] =
                std::minmax_element(corners_.begin(), corners_.end(), [&](uint32_t a, uint32_t b) {
                    return surface.corners[a][axis] < surface.corners[b][axis];
                });
            size = std::max(size, surface.corners[*high][axis] - surface.corners[*low][axis]);
        }
        tolerance_ = RELATIVE_TOLERANCE * size;
    }

    // KEEP: a convex solid wound outwards; TURN: one wound inwards; BOTH: anything else.
    Winding winding() const {
        if (!(tolerance_ > 0.0) || faces_.size() * corners_.size() > CHECK_BUDGET) {
            return Winding::BOTH;
        }
        bool outwards = true;
        bool inwards = true;
        for (uint32_t t : faces_) {
            const auto& c = surface_.triangles[t];
            const Point& a = surface_.corners[c[0]];
            const Point normal =
                cross(minus(surface_.corners[c[1]], a), minus(surface_.corners[c[2]], a));
            const double area = length(normal);
            if (!(area > 0.0)) {
                continue;
            }
            double above = 0.0;
            double below = 0.0;
            for (uint32_t corner : corners_) {
                const double d = dot(normal, minus(surface_.corners[corner], a)) / area;
                above = std::max(above, d);
                below = std::min(below, d);
            }
            outwards = outwards && above <= tolerance_;
            inwards = inwards && below >= -tolerance_;
        }
        // A flat piece (every corner within the tolerance of every face) passes both tests:
        // it is seen from both sides.
        if (outwards == inwards) {
            return Winding::BOTH;
        }
        return outwards ? Winding::KEEP : Winding::TURN;
    }

    // The opening's plane, oriented away from the piece, as a limit on the eye; false when the
    // piece is open other than in one plane it rests against. A closed piece sets no limit.
    bool opening(std::vector<uint32_t> open, Point& normal, double& offset) const {
        if (open.empty()) {
            return true;
        }
        const Point& first = surface_.corners[open.front()];
        auto distanceFromFirst = [&](uint32_t c) {
            return length(minus(surface_.corners[c], first));
        };
        const Point& far =
            surface_
                .corners[*std::max_element(open.begin(), open.end(), [&](uint32_t a, uint32_t b) {
                    return distanceFromFirst(a) < distanceFromFirst(b);
                })];
        const Point along = minus(far, first);
        auto offLine = [&](uint32_t c) {
            return length(cross(along, minus(surface_.corners[c], first)));
        };
        const Point& third =
            surface_
                .corners[*std::max_element(open.begin(), open.end(), [&](uint32_t a, uint32_t b) {
                    return offLine(a) < offLine(b);
                })];
        normal = cross(along, minus(third, first));
        const double area = length(normal);
        if (!(area > tolerance_ * length(along))) {
            return false;  // the open edges lie on one line
        }
        for (double& n : normal) {
            n /= area;
        }
        double above = 0.0;
        double below = 0.0;
        for (uint32_t corner : corners_) {
            const double d = dot(normal, minus(surface_.corners[corner], first));
            above = std::max(above, d);
            below = std::min(below, d);
        }
        for (uint32_t corner : open) {
            if (std::abs(dot(normal, minus(surface_.corners[corner], first))) > tolerance_) {
                return false;
            }
        }
        if (above > tolerance_ && below < -tolerance_) {
            return false;  // the plane cuts through the piece
        }
        if (above > tolerance_) {
            for (double& n : normal) {
                n = -n;
            }
        }
        offset = dot(normal, first) - tolerance_;
        return true;
    }

private:
    const Surface& surface_;
    const std::vector<uint32_t>& faces_;
    std::vector<uint32_t> corners_;
    double tolerance_ = 0.0;
};

}  // namespace

void CullPlan::addPart(const float* vertices, uint32_t vertexCount, const uint32_t* indices,
                       uint32_t indexCount, uint32_t base) {
    const uint32_t triangleCount = indexCount / 3;
    bool finite = true;
    for (uint32_t v = 0; v < vertexCount; ++v) {
        const Point p{vertices[3 * v], vertices[3 * v + 1], vertices[3 * v + 2]};
        const double distance = length(p);
        finite = finite && std::isfinite(distance);
        reach_ = std::max(reach_, finite ? distance : INFINITY);
    }
    std::vector<Winding> windings(triangleCount, Winding::BOTH);
    if (finite && triangleCount <= TRIANGLE_LIMIT) {
        const Surface surface = weld(vertices, indices, triangleCount);
        uint32_t pieceCount = 0;
        const std::vector<uint32_t> pieceOf = pieceOfEach(surface, pieceCount);
        std::vector<std::vector<uint32_t>> pieces(pieceCount);
        for (uint32_t t = 0; t < triangleCount; ++t) {
            if (pieceOf[t] == UINT32_MAX) {
                windings[t] = Winding::KEEP;  // covers no pixel
            } else {
                pieces[pieceOf[t]].push_back(t);
            }
        }
        for (const std::vector<uint32_t>& faces : pieces) {
            const PieceCheck check(surface, faces);
            Winding winding = check.winding();
            EyeLimit limit{};
            if (winding != Winding::BOTH &&
                !check.opening(openCorners(surface, faces), limit.normal, limit.offset)) {
                winding = Winding::BOTH;
            }
            if (winding != Winding::BOTH && limit.normal != Point{}) {
                addLimit(limit);
            }
            for (uint32_t t : faces) {
                windings[t] = winding;
            }
        }
    }
    for (uint32_t t = 0; t < triangleCount; ++t) {
        const uint32_t a = base + indices[3 * t];
        const uint32_t b = base + indices[3 * t + 1];
        const uint32_t c = base + indices[3 * t + 2];
        // A triangle turned round as (b, a, c) is the one the renderer rasterises for a
        // clockwise (a, b, c), so both drawings cover the same pixels.
        if (windings[t] != Winding::TURN) {
            indices_.insert(indices_.end(), {a, b, c});
        }
        if (windings[t] != Winding::KEEP) {
            indices_.insert(indices_.end(), {b, a, c});
        }
        bothWays_.insert(bothWays_.end(), {a, b, c, b, a, c});
    }
}

void CullPlan::addLimit(const EyeLimit& limit) {
    for (EyeLimit& held : limits_) {
        if (held.normal == limit.normal) {
            held.offset = std::min(held.offset, limit.offset);
            return;
        }
    }
    limits_.push_back(limit);
}

bool CullPlan::holdsFor(const std::array<float, 16>& modelview,
                        const std::array<float, 16>& projection) const {
    const auto& m = modelview;
    const auto& p = projection;
    // A perspective whose eye sits at the origin of eye space, as gluPerspective and glFrustum
    // make; any other projection draws without culling.
    if (p[3] != 0.0f || p[7] != 0.0f || p[11] != -1.0f || p[15] != 0.0f || p[12] != 0.0f ||
        p[13] != 0.0f) {
        return false;
    }
    // Beyond the near plane: (row 2 + row 3 of the projection) . point > 0, here taken into the
    // array's frame and required of the whole ball that holds the array.
    std::array<double, 4> near{};
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i) {
            near[j] += (double(p[i * 4 + 2]) + p[i * 4 + 3]) * m[j * 4 + i];
        }
    }
    const double spread = reach_ * length({near[0], near[1], near[2]});
    if (!(near[3] - spread > VIEW_MARGIN * (std::abs(near[3]) + spread))) {
        return false;
    }
    // The eye in the array's frame: the point the model-view takes to the origin.
    const Point x{m[0], m[1], m[2]};
    const Point y{m[4], m[5], m[6]};
    const Point z{m[8], m[9], m[10]};
    const Point t{m[12], m[13], m[14]};
    const double determinant = dot(x, cross(y, z));
    if (!(std::abs(determinant) > 0.0)) {
        return false;
    }
    const Point eye{-dot(t, cross(y, z)) / determinant, -dot(x, cross(t, z)) / determinant,
                    -dot(x, cross(y, t)) / determinant};
    const double margin = VIEW_MARGIN * (1.0 + length(eye));
    return std::all_of(limits_.begin(), limits_.end(), [&](const EyeLimit& limit) {
        return dot(limit.normal, eye) < limit.offset - margin;
    });
}

}  // namespace zelmor
