#version 430 core
// Lit pass: scene objects (particle == 0) and instanced smoke puffs (particle == 1).

layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aTexCoords;
layout(location = 3) in mat4 aInstanceMatrix;  // locations 3 to 6, one per puff

uniform mat4 modelMatrix;
uniform mat4 projectionMatrix;  // the object's projection times the camera view
uniform mat4 lightSpaceMatrix;
uniform mat4 projectionView;    // smoke: projection times view
uniform mat4 movingMatrix;      // smoke: drift of the whole burst
uniform int particle;

out VS_OUT {
    vec3 worldPosition;
    vec3 normal;
    vec2 texCoords;
    vec4 lightSpacePosition;
} vs;

void main() {
    mat4 model;
    mat4 clip;
    if (particle == 1) {
        model = movingMatrix * aInstanceMatrix;
        clip = projectionView;
    } else {
        model = modelMatrix;
        clip = projectionMatrix;
    }
    vec4 world = model * vec4(aPosition, 1.0);
    vs.worldPosition = world.xyz;
    // Puffs are only turned, moved and scaled evenly: their own matrix turns normals right,
    // which spares an inverse per vertex of every puff.
    vs.normal = particle == 1 ? mat3(model) * aNormal : mat3(transpose(inverse(model))) * aNormal;
    vs.texCoords = aTexCoords;
    vs.lightSpacePosition = lightSpaceMatrix * world;
    gl_Position = clip * world;
}
