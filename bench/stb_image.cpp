// stb_image's implementation, compiled once for the benchmarks (it is one header).
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
