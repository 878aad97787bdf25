#version 430 core
// Depth only: the framebuffer has no colour attachment.

void main() {
}
