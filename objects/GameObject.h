// Base of every scene object: its matrices, model bounds, name, GPU mesh, lit-pass
// shader and physics handles. Draws itself in the lit pass and builds its actor.
// NOTE: the physics actor keeps a pointer to name's characters; name must not change
// while the actor exists.
// NOTE: it frees only a model handed to it as its own (setModel with an owning record),
// and that one whatever mesh and triangleMesh hold at its end. A mesh from setMesh or
// borrowModel and a triangleMesh written directly stay their giver's to free.
// NOTE: delete it before releasing the scene that holds its actor. Not copyable: a copy
// would free the same actor and model again.
#pragma once

#include <string>

#include <glm/glm.hpp>

#include "physics/PhysicsTypes.h"
#include "render/LoadedModel.h"
#include "render/Mesh.h"

class Shader;
namespace phys {
class Physics;
class Material;
class TriangleMesh;
class RigidActor;
class RigidDynamic;
class Shape;
}  // namespace phys

namespace ActorKind {
enum : int { StaticMesh = 0, DynamicBox = 3 };
}

namespace object {

class GameObject {
public:
    glm::mat4 modelMatrix;
    glm::mat4 projectionViewMatrix;
    glm::mat4 scaleMatrix;
    glm::mat4 rotationMatrix;
    glm::mat4 translationMatrix;
    glm::vec3 boundsMax;
    glm::vec3 boundsMin;
    glm::mat4 lightSpaceMatrix;
    std::string name;
    Mesh mesh;
    glm::mat4 projectionMatrix;
    Shader* shader;
    phys::Material* material;
    phys::TriangleMesh* triangleMesh;
    phys::RigidActor* staticActor;
    phys::RigidDynamic* dynamicActor;
    phys::Shape* shape;

    GameObject();
    GameObject(std::string name, Shader* shader, glm::mat4 projection);
    GameObject(const GameObject&) = delete;
    GameObject& operator=(const GameObject&) = delete;

    // Releases the actor built by createActor (taking it out of its scene), its shape and
    // material, and the model the object owns.
    virtual ~GameObject();
    virtual void setBounds(float minX, float minY, float minZ, float maxX, float maxY, float maxZ);
    virtual void translate(const glm::vec3& v);
    virtual glm::vec3 getPosition();
    // Draws with mesh from now on; its GL objects stay whoever's they were.
    virtual void setMesh(Mesh mesh);
    virtual void scale(const glm::vec3& v);
    virtual void rotate(float angle, const glm::vec3& axis);
    virtual void setView(glm::mat4 view);
    virtual void draw(float gamma);
    virtual void update(float deltaMs);
    virtual Shader* getShader();
    virtual glm::mat4 toMat4(const phys::Matrix44& m);
    virtual glm::mat4 getModelMatrix();
    virtual void createActor(phys::Physics* physics, int kind);

    // Takes the model's mesh (setMesh), triangle mesh and bounds (setBounds). An owning
    // record, moved in, makes the model the object's own, and frees the one it owned before.
    void setModel(LoadedModel model);
    // Draws and collides with another object's mesh and triangle mesh, which stay whoever's
    // they were; the bounds stay as they are.
    void borrowModel(const Mesh& lentMesh, phys::TriangleMesh* lentTriangleMesh);

protected:
    // The HexColor that the lit pass draws this object in: plain but for a tile.
    virtual int32_t drawColor() const;

private:
    // The model this object frees, recorded as it arrived; empty unless one came owned.
    LoadedModel ownModel;
};

}  // namespace object
