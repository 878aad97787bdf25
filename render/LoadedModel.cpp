#include "render/LoadedModel.h"

#include <utility>

#include "physics/TriangleMesh.h"

LoadedModel::LoadedModel(Mesh mesh, phys::TriangleMesh* triangleMesh, const glm::vec3& boundsMin,
                         const glm::vec3& boundsMax)
    : mesh(std::move(mesh)), triangleMesh(triangleMesh), boundsMin(boundsMin), boundsMax(boundsMax) {}

LoadedModel::~LoadedModel() {
    release();
}

LoadedModel::LoadedModel(LoadedModel&& other) noexcept {
    *this = std::move(other);
}

LoadedModel& LoadedModel::operator=(LoadedModel&& other) noexcept {
    if (this != &other) {
        release();
        // A moved Mesh keeps its GL names: the other record must name none after this.
        mesh = std::exchange(other.mesh, Mesh());
        triangleMesh = std::exchange(other.triangleMesh, nullptr);
        boundsMin = other.boundsMin;
        boundsMax = other.boundsMax;
        owning = other.owning;
    }
    return *this;
}

LoadedModel LoadedModel::lend() const {
    LoadedModel copy(mesh, triangleMesh, boundsMin, boundsMax);
    copy.owning = false;
    return copy;
}

bool LoadedModel::owns() const {
    return owning;
}

void LoadedModel::release() {
    if (owning) {
        mesh.release();
        if (triangleMesh != nullptr) triangleMesh->release();
    }
    mesh = Mesh();
    triangleMesh = nullptr;
}
