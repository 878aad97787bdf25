#version 430 core
// Glyph coverage (red channel) becomes alpha; the colour goes through gamma.

in vec2 texCoords;
out vec4 fragColor;

layout(binding = 0) uniform sampler2D text;
uniform vec3 textColor;
uniform float gamma;

void main() {
    float coverage = texture(text, texCoords).r;
    float g = gamma > 0.0 ? gamma : 1.0;
    fragColor = vec4(pow(clamp(textColor, 0.0, 1.0), vec3(1.0 / g)), coverage);
}
