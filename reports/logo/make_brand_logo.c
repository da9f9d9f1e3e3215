/* Draws the logo of the further report brands (90 x 50 pixels) and writes it
 * as data/ReportImage/logo.jpg. Not part of the build; run it after changing
 * the artwork:
 *
 *   cc make_brand_logo.c -ljpeg -o /tmp/make_brand_logo && /tmp/make_brand_logo ../../data/ReportImage/logo.jpg
 */
#include <stdio.h>
#include <jpeglib.h>

enum { W = 90, H = 50 };
static unsigned char pixels[H][W][3];

static void put(int x, int y, int r, int g, int b)
{
    if (x < 0 || y < 0 || x >= W || y >= H) return;
    pixels[y][x][0] = (unsigned char)r;
    pixels[y][x][1] = (unsigned char)g;
    pixels[y][x][2] = (unsigned char)b;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make_brand_logo <file.jpg>\n");
        return 2;
    }
    /* Deep green field, light frame, three rising bars. */
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            int edge = x < 3 || y < 3 || x >= W - 3 || y >= H - 3;
            put(x, y, edge ? 240 : 16, edge ? 240 : 96, edge ? 230 : 64);
        }
    for (int bar = 0; bar < 3; ++bar)
        for (int y = 38 - 9 * bar; y < 42; ++y)
            for (int x = 18 + 20 * bar; x < 32 + 20 * bar; ++x)
                put(x, y, 250, 200, 40);

    FILE* out = fopen(argv[1], "wb");
    if (!out) return 1;
    struct jpeg_compress_struct info;
    struct jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = W;
    info.image_height = H;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 92, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < H) {
        JSAMPROW row = &pixels[info.next_scanline][0][0];
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    fclose(out);
    return 0;
}
