#include "objects/GameObject.h"

#include <cmath>
#include <utility>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "app/Globals.h"
#include "objects/HexColor.h"
#include "physics/Material.h"
#include "physics/Physics.h"
#include "physics/RigidDynamic.h"
#include "physics/RigidStatic.h"
#include "physics/Shape.h"
#include "render/Shader.h"

namespace {

const glm::vec3 InitialBounds(1.0f, 1.0f, 1.0f);
constexpr float MeshMaterial = 0.5f;     // static friction, dynamic friction, restitution
constexpr float BoxMaterial = 0.01f;     // the same three for dynamic boxes
constexpr float HalfTurnAngle = 1.5707964f;  // half of the half turn about +Y
constexpr phys::ShapeFlags ActorShapeFlags =
    phys::ShapeFlag::SimulationShape | phys::ShapeFlag::SceneQueryShape | phys::ShapeFlag::Visualization;

void SetMatrix(GLuint program, const char* name, const glm::mat4& matrix) {
    glUniformMatrix4fv(glGetUniformLocation(program, name), 1, GL_FALSE, glm::value_ptr(matrix));
}

}  // namespace

namespace object {

GameObject::GameObject()
    : modelMatrix(0.0f),
      projectionViewMatrix(0.0f),
      scaleMatrix(1.0f),
      rotationMatrix(1.0f),
      translationMatrix(1.0f),
      boundsMax(InitialBounds),
      boundsMin(InitialBounds),
      lightSpaceMatrix(1.0f),
      projectionMatrix(0.0f),
      shader(nullptr),
      material(nullptr),
      triangleMesh(nullptr),
      staticActor(nullptr),
      dynamicActor(nullptr),
      shape(nullptr) {}

GameObject::GameObject(std::string name, Shader* shader, glm::mat4 projection) : GameObject() {
    lightSpaceMatrix = lightProjection * lightView;
    this->name = std::move(name);
    projectionMatrix = projection;
    this->shader = shader;
}

GameObject::~GameObject() {
    // A subclass whose actor belongs to something else (the character's controller) has
    // released it and nulled the handle before this runs.
    if (staticActor != nullptr) staticActor->release();
    if (dynamicActor != nullptr) dynamicActor->release();
    if (shape != nullptr) shape->release();
    if (material != nullptr) material->release();
    ownModel.release();
}

void GameObject::setBounds(float minX, float minY, float minZ, float maxX, float maxY, float maxZ) {
    boundsMin = glm::vec3(minX, minY, minZ);
    boundsMax = glm::vec3(maxX, maxY, maxZ);
}

void GameObject::translate(const glm::vec3& v) {
    // The whole accumulated translation goes into the model matrix again at every call.
    translationMatrix = glm::translate(translationMatrix, v);
    modelMatrix = modelMatrix * translationMatrix;
}

glm::vec3 GameObject::getPosition() {
    return glm::vec3(modelMatrix[3][0], modelMatrix[3][1], modelMatrix[3][2]);
}

void GameObject::setMesh(Mesh newMesh) {
    mesh = std::move(newMesh);
}

void GameObject::scale(const glm::vec3& v) {
    scaleMatrix = glm::scale(scaleMatrix, v);
}

void GameObject::rotate(float angle, const glm::vec3& axis) {
    rotationMatrix = glm::rotate(rotationMatrix, angle, axis);
}

void GameObject::setView(glm::mat4 view) {
    projectionViewMatrix = projectionMatrix * view;
}

void GameObject::draw(float gamma) {
    const GLuint program = shader->program;
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "particle"), 0);
    glUniform1i(glGetUniformLocation(program, "shadowMap"), static_cast<GLint>(Mesh::ShadowMapUnit));
    glUniform1f(glGetUniformLocation(program, "gamma"), gamma);
    glUniform1i(glGetUniformLocation(program, "hexColor"), drawColor());
    SetMatrix(program, "lightSpaceMatrix", lightSpaceMatrix);
    SetMatrix(program, "modelMatrix", modelMatrix);
    SetMatrix(program, "projectionMatrix", projectionViewMatrix);
    mesh.draw(shader);
}

int32_t GameObject::drawColor() const {
    return HexColor::None;
}

void GameObject::update(float deltaMs) {}

Shader* GameObject::getShader() {
    return shader;
}

glm::mat4 GameObject::toMat4(const phys::Matrix44& m) {
    glm::mat4 result;
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) result[column][row] = m.column[column][row];
    }
    return result;
}

glm::mat4 GameObject::getModelMatrix() {
    return modelMatrix;
}

void GameObject::createActor(phys::Physics* physics, int kind) {
    if (kind != ActorKind::StaticMesh && kind != ActorKind::DynamicBox) return;

    const glm::vec3 size = boundsMax - boundsMin;
    // A half turn about +Y; the creator sets the real pose afterwards.
    const glm::quat halfTurn(std::cos(HalfTurnAngle), 0.0f, std::sin(HalfTurnAngle), 0.0f);
    const phys::Pose pose(glm::vec3(0.0f), halfTurn);

    phys::RigidActor* actor = nullptr;
    phys::Geometry geometry;
    if (kind == ActorKind::StaticMesh) {
        if (material == nullptr) material = physics->createMaterial(MeshMaterial, MeshMaterial, MeshMaterial);
        staticActor = physics->createRigidStatic(pose);
        actor = staticActor;
        geometry = phys::Geometry::mesh(triangleMesh);
    } else {
        material = physics->createMaterial(BoxMaterial, BoxMaterial, BoxMaterial);
        dynamicActor = physics->createRigidDynamic(pose);
        actor = dynamicActor;
        geometry = phys::Geometry::box(size * 0.5f);
    }
    if (actor != nullptr) actor->setName(name.c_str());

    // The engine refuses a mesh shape without a cooked mesh and a box without extent:
    // the actor then stays without a shape.
    shape = physics->createShape(geometry, material, false, ActorShapeFlags);
    if (shape == nullptr) return;
    shape->setFlag(phys::ShapeFlag::SimulationShape, true);
    if (actor != nullptr) actor->attachShape(shape);
}

void GameObject::setModel(LoadedModel model) {
    // A lent mesh moves in; an owned one is copied (the copy shares its GL names), as the
    // record that frees it stays with the object.
    if (model.owns()) {
        setMesh(model.mesh);
    } else {
        setMesh(std::move(model.mesh));
    }
    triangleMesh = model.triangleMesh;
    setBounds(model.boundsMin.x, model.boundsMin.y, model.boundsMin.z, model.boundsMax.x, model.boundsMax.y,
              model.boundsMax.z);
    if (model.owns()) ownModel = std::move(model);
}

void GameObject::borrowModel(const Mesh& lentMesh, phys::TriangleMesh* lentTriangleMesh) {
    setMesh(lentMesh);
    triangleMesh = lentTriangleMesh;
}

}  // namespace object
