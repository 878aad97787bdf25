// Times one physics frame of a level-sized world: 100 hex tiles on one cooked mesh, the
// platform with 15 stacked boxes, the death zone and the character controller walking
// about. Prints the mean and the worst time per 60 Hz step (simulate, fetch, move).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/ContactReportCallback.h"
#include "app/PhysXErrorCallback.h"
#include "objects/CharacterControllerDesc.h"
#include "objects/DeathZone.h"
#include "physics/Controller.h"
#include "physics/ControllerManager.h"
#include "physics/Cooking.h"
#include "physics/Foundation.h"
#include "physics/Geometry.h"
#include "physics/Material.h"
#include "physics/Physics.h"
#include "physics/RigidDynamic.h"
#include "physics/RigidStatic.h"
#include "physics/Scene.h"
#include "physics/Shape.h"
#include "physics/TriangleMesh.h"

namespace {

constexpr float Step = 1.0f / 60.0f;
constexpr int Frames = 3600;
constexpr float Pi = 3.14159265f;

phys::TriangleMesh* cook(phys::Cooking& cooking, const std::vector<glm::vec3>& points,
                         const std::vector<uint32_t>& indices) {
    phys::TriangleMeshDesc desc;
    desc.points.count = uint32_t(points.size());
    desc.points.data = points.data();
    desc.triangles.count = uint32_t(indices.size() / 3);
    desc.triangles.data = indices.data();
    return cooking.createTriangleMesh(desc);
}

// The tile model: a hexagonal prism of circumradius 4, 1 thick, fans on top and bottom.
phys::TriangleMesh* cookTile(phys::Cooking& cooking) {
    std::vector<glm::vec3> points;
    for (float y : {0.5f, -0.5f}) {
        points.emplace_back(0.0f, y, 0.0f);
        for (int i = 0; i < 6; ++i) points.emplace_back(-4.0f * std::sin(i * Pi / 3), y, 4.0f * std::cos(i * Pi / 3));
    }
    std::vector<uint32_t> indices;
    // Every face turned outwards, as the model's are: the controller pushes only from that side.
    for (uint32_t i = 0; i < 6; ++i) indices.insert(indices.end(), {0, 1 + (i + 1) % 6, 1 + i});
    for (uint32_t i = 0; i < 6; ++i) indices.insert(indices.end(), {7, 8 + i, 8 + (i + 1) % 6});
    for (uint32_t i = 0; i < 6; ++i) {
        const uint32_t a = 1 + i, b = 1 + (i + 1) % 6;
        indices.insert(indices.end(), {a, b, a + 7, b, b + 7, a + 7});
    }
    return cook(cooking, points, indices);
}

phys::TriangleMesh* cookBlock(phys::Cooking& cooking, const glm::vec3& h) {
    std::vector<glm::vec3> points;
    for (int i = 0; i < 8; ++i) points.emplace_back((i & 1) ? h.x : -h.x, (i & 2) ? h.y : -h.y, (i & 4) ? h.z : -h.z);
    return cook(cooking, points, {0, 3, 1, 0, 2, 3, 4, 7, 6, 4, 5, 7, 0, 5, 4, 0, 1, 5,
                                  2, 7, 3, 2, 6, 7, 0, 6, 2, 0, 4, 6, 1, 7, 5, 1, 3, 7});
}

void addStatic(phys::Physics& physics, phys::Scene& scene, const phys::Geometry& geometry, const phys::Pose& pose,
               const char* name) {
    phys::Material* material = physics.createMaterial(0.5f, 0.5f, 0.5f);
    phys::RigidStatic* actor = physics.createRigidStatic(pose);
    phys::Shape* shape = physics.createShape(geometry, material);
    actor->attachShape(shape);
    actor->setName(name);
    shape->release();
    material->release();
    scene.addActor(*actor);
}

}  // namespace

int main() {
    service::PhysXErrorCallback errors;
    ContactReportCallback contacts;
    phys::Foundation* foundation = phys::createFoundation(errors);
    phys::Physics* physics = phys::createPhysics(foundation);
    phys::Cooking* cooking = phys::createCooking(physics);

    phys::SceneDesc desc;
    desc.gravity = {0.0f, -9.8f, 0.0f};
    desc.filterShader = contactReportFilterShader;
    desc.simulationEventCallback = &contacts;
    phys::Scene* scene = physics->createScene(desc);

    const float tileWidth = 4.0f * std::sqrt(3.0f), tileDepth = 8.0f;
    phys::TriangleMesh* tile = cookTile(*cooking);
    for (int row = 0; row < 10; ++row)
        for (int column = 0; column < 10; ++column) {
            const float x = (float(column) - 2.0f - ((row % 2) ? 0.5f : 0.0f)) * tileWidth;
            addStatic(*physics, *scene, phys::Geometry::mesh(tile), phys::Pose({x, 1.0f, row * 0.75f * tileDepth - 34.0f}),
                      "tile");
        }
    phys::TriangleMesh* block = cookBlock(*cooking, {8.0f, 1.0f, 12.0f});
    addStatic(*physics, *scene, phys::Geometry::mesh(block), phys::Pose({-32.0f, 0.0f, 5.0f}), "right");
    scene->addActor(*object::CreateDeathZone(*physics));

    phys::Material* barrelMaterial = physics->createMaterial(0.01f, 0.01f, 0.01f);
    const int rows[] = {5, 4, 3, 2, 1};
    for (int r = 0; r < 5; ++r)
        for (int i = 0; i < rows[r]; ++i) {
            phys::RigidDynamic* barrel =
                physics->createRigidDynamic(phys::Pose({-30.0f, 2.5f + 2.4f * r, 3.0f - 2.0f * (i + 0.5f * r)}));
            phys::Shape* shape = physics->createShape(phys::Geometry::box({1.0f, 1.2f, 1.0f}), barrelMaterial);
            barrel->attachShape(shape);
            shape->release();
            scene->addActor(*barrel);
        }

    phys::ControllerManager* manager = phys::createControllerManager(scene);
    // The shipped character model is 4 x 2 x 1.5 units.
    phys::Controller* controller =
        manager->createController(object::CharacterControllerDesc({4.0f, 2.0f, 1.5f}, {15.0, 10.0, -7.0}));
    phys::Shape* controllerShape = nullptr;
    controller->getActor()->getShapes(&controllerShape, 1);

    // The character's rules: push into the ground on "down", fall faster in the air,
    // walk at 10 units per second and keep turning: a circle of radius 12.5 on the field.
    std::vector<double> times;
    times.reserve(Frames);
    float fallSpeed = 0.0f, yaw = 0.0f;
    int grounded = 0;
    for (int frame = 0; frame < Frames; ++frame) {
        const auto start = std::chrono::steady_clock::now();
        scene->simulate(Step);
        scene->fetchResults(true);
        phys::ControllerState state;
        controller->getState(state);
        if (state.collisionFlags == phys::ControllerCollisionFlag::Down) {
            fallSpeed = -9.81f * Step;
            ++grounded;
        } else if (state.collisionFlags == 0) {
            fallSpeed += Step * (-98.1f * Step);
        }
        yaw += 0.8f * Step;
        controllerShape->setLocalPose(phys::Pose(glm::vec3(0.0f), glm::quat(std::cos(0.5f * yaw), std::sin(0.5f * yaw), 0.0f, 0.0f)));
        const glm::vec3 move(10.0f * Step * std::sin(yaw), fallSpeed, 10.0f * Step * std::cos(yaw));
        controller->move(move, 1e-9f, Step, phys::ControllerFilters());
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }

    double sum = 0.0;
    for (double t : times) sum += t;
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    std::printf("physics step at 60 Hz: 100 mesh tiles, platform, 15 boxes, death zone, controller\n");
    std::printf("frames %d, controller on the ground in %d\n", Frames, grounded);
    std::printf("mean %.4f ms, median %.4f ms, 99th percentile %.4f ms, max %.4f ms per step\n", sum / Frames,
                sorted[Frames / 2], sorted[Frames * 99 / 100], sorted.back());

    scene->release();
    barrelMaterial->release();
    tile->release();
    block->release();
    cooking->release();
    physics->release();
    foundation->release();
    return 0;
}
