// The sun's shadow map: a 5000 x 5000 depth texture in its own framebuffer, filled each
// frame by a depth-only pass over the scene objects. Every level gets its own ShadowMap,
// but the framebuffer and texture are made once per process and handed to each of them:
// fresh 100 MB of texture memory costs about 0.3 s on software GL.
// NOTE: render() leaves the viewport at the map's size and the clear colour magenta.
// NOTE: the destructor keeps the shared framebuffer and texture; releaseShared() frees them.
#pragma once

#include <GL/glew.h>
#include <vector>

#include <glm/glm.hpp>

#include "render/Mesh.h"

class Shader;
namespace object {
class GameObject;
}

namespace service {

class ShadowMap {
public:
    static constexpr int Size = 5000;

    int width = Size;
    int height = Size;
    GLuint depthMapFBO = 0;
    GLuint depthMap = 0;

    // Makes the shared framebuffer and texture on first use; every map gets the same two,
    // cleared to the farthest depth so that nothing of the level before is left in them.
    ShadowMap();
    virtual ~ShadowMap();
    ShadowMap(const ShadowMap&) = delete;
    ShadowMap& operator=(const ShadowMap&) = delete;

    virtual GLuint getDepthMap();
    // Depth of every object from the sun, drawn with depthShader ("depthMVP"). Clears and
    // draws only the texels that this pass's objects and the last pass's cover; every other
    // texel already holds the cleared depth, so the map equals a full clear and redraw.
    // NOTE: leaves the scissor test off and the scissor box at the map's size.
    // The pass reads each object's `mesh` and `modelMatrix` and nothing else.
    template <class Object = object::GameObject>
    void render(std::vector<Object*> objects, Shader* depthShader);

    // Makes the shared framebuffer and texture when there are none, without clearing them
    // or saying so, so that a set-up can take their memory while other work runs.
    static void makeShared();

    // Deletes the shared framebuffer and texture (at exit, with the GL context current); the
    // next map makes new ones. No map may be rendered or sampled after this.
    static void releaseShared();

    // Texels [x0, x1) x [y0, y1) that the last pass may have drawn; outside them the map
    // holds the cleared depth. The whole map until the first pass: a new texture's content
    // is undefined.
    struct Cover {
        int x0, y0, x1, y1;
    };
    Cover lastCover{0, 0, Size, Size};

private:
    // What the depth pass draws of one object: its mesh where its model matrix puts it.
    struct Caster {
        const Mesh* mesh;
        const glm::mat4* modelMatrix;
    };
    void renderCasters(const std::vector<Caster>& casters, Shader* depthShader);

    static GLuint sharedFramebuffer;
    static GLuint sharedTexture;
};

template <class Object>
void ShadowMap::render(std::vector<Object*> objects, Shader* depthShader) {
    std::vector<Caster> casters;
    casters.reserve(objects.size());
    for (const Object* object : objects) casters.push_back({&object->mesh, &object->modelMatrix});
    renderCasters(casters, depthShader);
}

}  // namespace service
