#pragma once
// Where the image library is not to be had (the Windows build), its two
// decoding calls over the single-header PNG decoder it is built around. Only
// what the game uses: from memory, into 8-bit channels.

enum { SOIL_LOAD_AUTO = 0, SOIL_LOAD_L = 1, SOIL_LOAD_LA = 2, SOIL_LOAD_RGB = 3, SOIL_LOAD_RGBA = 4 };

unsigned char* SOIL_load_image_from_memory(const unsigned char* bytes, int size, int* width, int* height,
                                           int* channels, int forceChannels);
void SOIL_free_image_data(unsigned char* pixels);
