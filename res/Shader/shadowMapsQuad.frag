#version 430 core
// Shows the shadow map's depth as grey: near is dark, far is white.

in vec2 texCoords;
out vec4 fragColor;

layout(binding = 0) uniform sampler2D depthMap;

void main() {
    float depth = texture(depthMap, texCoords).r;
    fragColor = vec4(vec3(depth), 1.0);
}
