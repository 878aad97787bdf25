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
uniform vec3 viewPosition;      // smoke: puffs face the camera
uniform int particle;

out VS_OUT {
    vec3 worldPosition;
    vec3 normal;
    vec2 texCoords;
    vec4 lightSpacePosition;
} vs;

// A puff is a square of half-width 1 in its own x and y, drawn as a ball: the square is
// turned to face the viewer and scaled with its puff (only turned about +Y, moved and
// scaled evenly). The normal passed on is the in-plane part of the ball's normal, linear
// across the square; the fragment shader adds the part towards the viewer.
vec4 puffCorner() {
    mat4 puff = movingMatrix * aInstanceMatrix;
    vec3 centre = puff[3].xyz;
    float size = length(puff[0].xyz);
    vec3 toViewer = normalize(viewPosition - centre);
    vec3 side = cross(vec3(0.0, 1.0, 0.0), toViewer);
    side = dot(side, side) > 1e-8 ? normalize(side) : vec3(1.0, 0.0, 0.0);
    vec3 up = cross(toViewer, side);
    vec3 offset = side * aPosition.x + up * aPosition.y;
    vs.normal = offset;
    return vec4(centre + offset * size, 1.0);
}

void main() {
    vec4 world;
    if (particle == 1) {
        world = puffCorner();
        gl_Position = projectionView * world;
    } else {
        world = modelMatrix * vec4(aPosition, 1.0);
        vs.normal = mat3(transpose(inverse(modelMatrix))) * aNormal;
        gl_Position = projectionMatrix * world;
    }
    vs.worldPosition = world.xyz;
    vs.texCoords = aTexCoords;
    vs.lightSpacePosition = lightSpaceMatrix * world;
}
