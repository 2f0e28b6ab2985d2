// gifcopy IN OUT: reads IN with the GIF engine and writes it to OUT unoptimized.
#include <cstdio>
#include <exception>

#include "gif/GIFImage.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: gifcopy IN OUT\n");
        return 2;
    }
    try {
        TGIFImage image;
        image.LoadFromFile(argv[1]);
        image.SaveToFile(argv[2]);
    } catch (const GIFException& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
