// The rendering tests link no scene objects: this gives object::GameObject, through its
// real header, just what the model loader and the depth pass use (bounds, mesh, matrix).
#include <utility>

#include "objects/GameObject.h"

namespace object {

GameObject::GameObject()
    : modelMatrix(1.0f),
      projectionViewMatrix(0.0f),
      scaleMatrix(1.0f),
      rotationMatrix(1.0f),
      translationMatrix(1.0f),
      boundsMax(1.0f),
      boundsMin(1.0f),
      lightSpaceMatrix(1.0f),
      projectionMatrix(0.0f),
      shader(nullptr),
      material(nullptr),
      triangleMesh(nullptr),
      staticActor(nullptr),
      dynamicActor(nullptr),
      shape(nullptr) {}

GameObject::GameObject(std::string name, Shader* shader, glm::mat4 projection) : GameObject() {
    this->name = std::move(name);
    this->shader = shader;
    projectionMatrix = projection;
}

GameObject::~GameObject() = default;

void GameObject::setBounds(float minX, float minY, float minZ, float maxX, float maxY, float maxZ) {
    boundsMin = glm::vec3(minX, minY, minZ);
    boundsMax = glm::vec3(maxX, maxY, maxZ);
}

void GameObject::translate(const glm::vec3&) {}
glm::vec3 GameObject::getPosition() {
    return glm::vec3(modelMatrix[3]);
}
void GameObject::setMesh(Mesh mesh) {
    this->mesh = std::move(mesh);
}
void GameObject::scale(const glm::vec3&) {}
void GameObject::rotate(float, const glm::vec3&) {}
void GameObject::setView(glm::mat4 view) {
    projectionViewMatrix = projectionMatrix * view;
}
void GameObject::draw(float) {}
void GameObject::update(float) {}
Shader* GameObject::getShader() {
    return shader;
}
glm::mat4 GameObject::toMat4(const phys::Matrix44&) {
    return glm::mat4(1.0f);
}
glm::mat4 GameObject::getModelMatrix() {
    return modelMatrix;
}
void GameObject::createActor(phys::Physics*, int) {}

}  // namespace object
