// The decoder is compiled here, for PNG only: the game reads no other format.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

#include "SOIL/SOIL.h"

unsigned char* SOIL_load_image_from_memory(const unsigned char* bytes, int size, int* width, int* height,
                                           int* channels, int forceChannels) {
    return stbi_load_from_memory(bytes, size, width, height, channels, forceChannels);
}

void SOIL_free_image_data(unsigned char* pixels) { stbi_image_free(pixels); }
