#version 430 core
// Soft, half-transparent smoke.

in vec2 texCoords;
out vec4 fragColor;

layout(binding = 0) uniform sampler2D texture_diffuse1;

void main() {
    vec3 color = texture(texture_diffuse1, texCoords).rgb;
    fragColor = vec4(color, 0.45);
}
