#version 430 core
// Shadow depth pass: positions seen from the sun.

layout(location = 0) in vec3 aPosition;

uniform mat4 depthMVP;

void main() {
    gl_Position = depthMVP * vec4(aPosition, 1.0);
}
