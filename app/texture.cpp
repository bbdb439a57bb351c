#include "app/texture.h"

#include <GL/gl.h>

#include <cstdio>

#include "app/image_decode.h"

Texture loadTexture(const char* path) {
    Texture texture = {0, 0, 0};
    const DecodedImage image = decodeImageFile(path);
    if (image.width == 0) {
        std::printf("Failed to load %s\n", path);
        std::fflush(stdout);
        return texture;
    }
    texture.width = image.width;
    texture.height = image.height;
    GLuint name = 0;
    glGenTextures(1, &name);
    texture.glName = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);  // rows of 4-byte pixels are always aligned
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 image.rgba.data());
    // Nearest filtering keeps glyph cells and atlas tiles sharp.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    std::printf("Successfully loaded %s\n", path);
    std::fflush(stdout);
    return texture;
}
