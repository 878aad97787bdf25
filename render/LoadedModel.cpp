#include "render/LoadedModel.h"

#include "physics/TriangleMesh.h"

LoadedModel LoadedModel::lend() const {
    LoadedModel copy = *this;
    copy.ownership = Ownership::Borrowed;
    return copy;
}

void LoadedModel::release() {
    if (ownership == Ownership::Owned) {
        mesh.release();
        if (triangleMesh != nullptr) triangleMesh->release();
    }
    mesh = Mesh();
    triangleMesh = nullptr;
}
