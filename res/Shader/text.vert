#version 430 core
// Screen text: one glyph quad in window pixels.

layout(location = 0) in vec4 vertex;  // (x, y, u, v)

uniform mat4 projection;

out vec2 texCoords;

void main() {
    gl_Position = projection * vec4(vertex.xy, 0.0, 1.0);
    texCoords = vertex.zw;
}
