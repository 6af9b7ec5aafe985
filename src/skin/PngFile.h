#pragma once
// What a PNG file says about itself before it is decoded: its size and resolution from the chunks before
// the image data, and whether its chunks are whole. Every chunk carries a CRC of its type and data, so a
// file that was cut short, overwritten or corrupted in transit is found by checking the CRCs, at a small
// fraction of the cost of decoding it; a picture that is only decoded when first drawn must be found bad
// here, or a damaged file would be taken for a good one and draw nothing.
#include <cstddef>
#include <cstdint>

struct PngHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    float dpiX = 96; // from the physical pixel size in pixels per metre, 96 without one
    float dpiY = 96;
};

enum class PngCheck {
    NotPng,  // no PNG signature: some other kind of picture, for another decoder
    Damaged, // a PNG whose chunks are not whole, or not in the order a PNG needs
    Good,    // every chunk's CRC holds, IHDR first, one run of IDAT chunks, then IEND
};

// Checks the file's chunks and, for a good file, reads its header. A picture without pixels (a side of 0)
// counts as damaged.
PngCheck CheckPng(const unsigned char* bytes, std::size_t size, PngHeader& header);

// The CRC-32 of the PNG format (and of zlib), continuing from `crc` (0 to start).
std::uint32_t PngCrc32(const unsigned char* bytes, std::size_t size, std::uint32_t crc = 0);
