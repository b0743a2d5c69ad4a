// png_write_stream for builds without libpng: the stored writer.
#include "imagefile/png_file.h"

bool png_write_stream(FILE* file, const uint32_t* pixels, int32_t width, int32_t height,
                      bool alpha) {
    return png_stored_write_stream(file, pixels, width, height, alpha);
}
