#version 430 core
// Sky box colour from the cube map, through gamma.

in vec3 direction;
out vec4 fragColor;

uniform samplerCube skybox;
uniform float gamma;

void main() {
    vec3 color = texture(skybox, direction).rgb;
    float g = gamma > 0.0 ? gamma : 1.0;
    fragColor = vec4(pow(color, vec3(1.0 / g)), 1.0);
}
