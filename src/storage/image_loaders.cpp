// The built-in image filters: ARGB, BMP, PNG (libpng) and JPEG (libjpeg). Each turns a stream
// into an info block (BITMAPINFOHEADER and colour table or masks) and a pixel block.
//
// libpng and libjpeg report fatal errors by longjmp. The code they may jump across is kept
// in small stage functions that hold no C++ objects; blocks and row tables live in the
// calling frame, which no jump leaves.
#include <csetjmp>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>
#include <png.h>

#include "framework/stream.h"
#include "platform/little_endian.h"
#include "storage/dib.h"
#include "storage/spi.h"

namespace {

constexpr uint64_t kMaxBitsSize = kSpiMaxPictureBits;
constexpr uint64_t kMaxSide = kSpiMaxPictureSide;
static_assert(kSpiMaxPictureSide * kSpiMaxPictureSide * 4 <= uint64_t{64} << 20,
              "the surface of the largest picture stays within 64 MiB");

// What libjpeg may allocate for one picture (a progressive one keeps all its coefficients).
constexpr uint64_t kJpegLibraryMemory = uint64_t{64} << 20;

// A picture declares its size in a header that a few hundred bytes of data can back (compressed,
// or an uncompressed one inside a compressed archive), so that claim alone decides.
bool beyondAnyScreen(uint64_t width, uint64_t height) { return width > kMaxSide || height > kMaxSide; }

std::string sides(uint64_t width, uint64_t height) { return std::to_string(width) + " x " + std::to_string(height); }

std::string tooLarge(const char* format, uint64_t width, uint64_t height) {
    return std::string(format) + " of " + sides(width, height) + ", wider or taller than " + std::to_string(kMaxSide) +
           " pixels";
}

std::string bitsTooLarge(const char* format, uint64_t width, uint64_t height, uint64_t bits) {
    return std::string(format) + " of " + sides(width, height) + ", a bitmap of " + std::to_string(bits >> 20) +
           " MiB, more than the " + std::to_string(kMaxBitsSize >> 20) + " MiB of the largest picture";
}

std::string truncated(const char* format, uint64_t wanted, uint64_t there) {
    return std::string(format) + " cut short: " + std::to_string(wanted) + " bytes wanted, " + std::to_string(there) +
           " there";
}

uint64_t remaining(TStream& s) {
    const uint32_t size = s.size(), pos = s.tell();
    return size > pos ? size - pos : 0;
}

uint64_t strideFor(uint64_t width, int bpp) { return ((width * static_cast<uint64_t>(bpp) + 31) / 8) & ~uint64_t{3}; }

BITMAPINFOHEADER topDownHeader(uint32_t width, uint32_t height, int bpp, uint32_t compression, uint32_t colours,
                               uint32_t imageSize) {
    BITMAPINFOHEADER h;
    h.biSize = 40;
    h.biWidth = static_cast<int32_t>(width);
    h.biHeight = -static_cast<int32_t>(height);
    h.biPlanes = 1;
    h.biBitCount = static_cast<uint16_t>(bpp);
    h.biCompression = compression;
    h.biSizeImage = imageSize;
    h.biClrUsed = colours;
    return h;
}

bool readAll(TStream& s, void* buf, uint64_t n) {
    auto* p = static_cast<uint8_t*>(buf);
    while (n > 0) {
        const uint32_t chunk = static_cast<uint32_t>(std::min<uint64_t>(n, 1u << 30));
        if (s.read(p, chunk) != chunk) return false;
        p += chunk;
        n -= chunk;
    }
    return true;
}

}  // namespace

// ---- ARGB ------------------------------------------------------------------------------------

SpiArgbFile::SpiArgbFile() {
    setTexts("00IN", "argb.spi", "ARGB to DIB filter Ver 1.0", "*.ARGB",
             "BETA include Alpha image files(Non Compression,32bits)");
}

bool SpiArgbFile::matches(const uint8_t* head, size_t size) { return size >= 4 && std::memcmp(head, "BGRA", 4) == 0; }

int SpiArgbFile::decode(TStream& stream, platform::MemBlock& infoOut, platform::MemBlock& bitsOut) {
    refusal_.clear();
    uint8_t head[16];
    const uint32_t got = stream.read(head, 16);
    if (got != 16) return refuse(SPI_FORMAT_ERROR, truncated("ARGB header", 16, got));
    if (std::memcmp(head, "BGRA", 4) != 0) return refuse(SPI_FORMAT_ERROR, "no ARGB picture");
    const uint64_t width = le::load32(head + 8), height = le::load32(head + 12);
    if (width == 0 || height == 0) return refuse(SPI_FORMAT_ERROR, "ARGB of " + sides(width, height));
    if (beyondAnyScreen(width, height)) return refuse(SPI_FORMAT_ERROR, tooLarge("ARGB", width, height));
    const uint64_t size = width * height * 4;
    if (size > kMaxBitsSize) return refuse(SPI_FORMAT_ERROR, bitsTooLarge("ARGB", width, height, size));
    if (size > remaining(stream)) return refuse(SPI_FORMAT_ERROR, truncated("ARGB pixels", size, remaining(stream)));
    platform::MemBlock info = platform::MemBlock::allocate(52);
    platform::MemBlock bits = platform::MemBlock::allocate(static_cast<size_t>(size));
    if (info.empty() || bits.empty()) return refuse(SPI_FORMAT_ERROR, "out of memory");
    const BITMAPINFOHEADER h = topDownHeader(static_cast<uint32_t>(width), static_cast<uint32_t>(height), 32,
                                             BI_BITFIELDS, 0, static_cast<uint32_t>(size));
    std::memcpy(info.data(), &h, sizeof h);
    le::store32(info.data() + 40, 0xFF0000);
    le::store32(info.data() + 44, 0xFF00);
    le::store32(info.data() + 48, 0xFF);
    if (!readAll(stream, bits.data(), size)) return refuse(SPI_FORMAT_ERROR, "ARGB pixels could not be read");
    infoOut = std::move(info);
    bitsOut = std::move(bits);
    return SPI_OK;
}

// ---- BMP -------------------------------------------------------------------------------------

SpiBmpFile::SpiBmpFile() {
    setTexts("00IN", "bmp.spi", "DIB to DIB filter Ver 1.0", "*.BMP;*.DIB", "Windows bitmap files(Non Compression)");
}

bool SpiBmpFile::matches(const uint8_t* head, size_t size) { return size >= 2 && head[0] == 'B' && head[1] == 'M'; }

int SpiBmpFile::decode(TStream& stream, platform::MemBlock& infoOut, platform::MemBlock& bitsOut) {
    refusal_.clear();
    uint8_t fh[kBitmapFileHeaderSize];
    const uint32_t got = stream.read(fh, sizeof fh);
    if (got != sizeof fh) return refuse(SPI_FORMAT_ERROR, truncated("BMP file header", sizeof fh, got));
    if (fh[0] != 'B' || fh[1] != 'M') return refuse(SPI_FORMAT_ERROR, "no BMP picture");
    const uint64_t fileSize = le::load32(fh + 2), offset = le::load32(fh + 10);
    // The info block lies between the file header and the bits; the bits run to the file's
    // stated end.
    if (offset < kBitmapFileHeaderSize + sizeof(BITMAPINFOHEADER) || fileSize <= offset)
        return refuse(SPI_FORMAT_ERROR, "BMP whose bits start at " + std::to_string(offset) + " of its " +
                                            std::to_string(fileSize) + " bytes");
    const uint64_t infoSize = offset - kBitmapFileHeaderSize, bitsSize = fileSize - offset;
    if (infoSize > kSpiMaxPictureHeaders)
        return refuse(SPI_FORMAT_ERROR, "BMP with " + std::to_string(infoSize) + " bytes before its bits");
    if (infoSize > remaining(stream)) return refuse(SPI_FORMAT_ERROR, truncated("BMP", infoSize, remaining(stream)));
    platform::MemBlock info = platform::MemBlock::allocate(static_cast<size_t>(infoSize));
    if (info.empty()) return refuse(SPI_NO_MEMORY, "out of memory");
    if (!readAll(stream, info.data(), infoSize)) return refuse(SPI_FORMAT_ERROR, "BMP header could not be read");

    // The header decides before anything is allocated for the bits: an uncompressed picture in a
    // compressed archive costs its whole size in memory however few bytes it was stored in.
    BITMAPINFOHEADER h;
    std::memcpy(&h, info.data(), sizeof h);
    const int bpp = h.biBitCount;
    const bool depthOk = bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
    const bool compressionOk =
        h.biCompression == BI_RGB || (h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32));
    if (h.biSize < 40 || h.biSize > infoSize || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN)
        return refuse(SPI_FORMAT_ERROR, "BMP with a malformed info header");
    if (!depthOk || !compressionOk)
        return refuse(SPI_FORMAT_ERROR, "BMP of " + std::to_string(bpp) + " bits a pixel with compression " +
                                            std::to_string(h.biCompression) + ", which is not read");
    const uint64_t width = static_cast<uint64_t>(h.biWidth);
    const uint64_t rows = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
    if (beyondAnyScreen(width, rows)) return refuse(SPI_FORMAT_ERROR, tooLarge("BMP", width, rows));
    const uint64_t need = strideFor(width, bpp) * rows;
    if (need > bitsSize) return refuse(SPI_FORMAT_ERROR, truncated("BMP rows", need, bitsSize));
    if (bitsSize > remaining(stream))
        return refuse(SPI_FORMAT_ERROR, truncated("BMP bits", bitsSize, remaining(stream)));
    if (bitsSize > kMaxBitsSize) return refuse(SPI_FORMAT_ERROR, bitsTooLarge("BMP", width, rows, bitsSize));
    platform::MemBlock bits = platform::MemBlock::allocate(static_cast<size_t>(bitsSize));
    if (bits.empty()) return refuse(SPI_NO_MEMORY, "out of memory");
    if (!readAll(stream, bits.data(), bitsSize)) return refuse(SPI_FORMAT_ERROR, "BMP bits could not be read");
    infoOut = std::move(info);
    bitsOut = std::move(bits);
    return SPI_OK;
}

// ---- PNG -------------------------------------------------------------------------------------

namespace {

struct PngJob {
    png_structp png = nullptr;
    png_infop info = nullptr;
    png_uint_32 width = 0, height = 0;
    int depth = 0, colorType = 0, interlace = 0;
    png_colorp palette = nullptr;
    int paletteCount = 0;
    png_bytepp rows = nullptr;
    size_t stride = 0;
    char error[128] = {};  // what libpng said when it gave up
};

void pngError(png_structp png, png_const_charp message) {
    if (auto* job = static_cast<PngJob*>(png_get_error_ptr(png)); job && message)
        std::snprintf(job->error, sizeof job->error, "%s", message);
    png_longjmp(png, 1);
}
void pngWarning(png_structp, png_const_charp) {}

void pngRead(png_structp png, png_bytep out, size_t n) {
    auto* stream = static_cast<TStream*>(png_get_io_ptr(png));
    if (n > UINT32_MAX || stream->read(out, static_cast<uint32_t>(n)) != n) png_error(png, "the data ends early");
}

// Stage 1: the header chunks. No C++ objects here: libpng may jump out of this frame.
int pngReadHeader(PngJob* job) {
    if (setjmp(png_jmpbuf(job->png))) return 1;
    png_read_info(job->png, job->info);
    png_get_IHDR(job->png, job->info, &job->width, &job->height, &job->depth, &job->colorType, &job->interlace, nullptr,
                 nullptr);
    if (job->colorType == PNG_COLOR_TYPE_PALETTE &&
        png_get_PLTE(job->png, job->info, &job->palette, &job->paletteCount) == 0) {
        job->palette = nullptr;
        job->paletteCount = 0;
    }
    return 0;
}

// Stage 2: transformations and the rows. Same rule as stage 1.
int pngReadRows(PngJob* job, int bitCount) {
    if (setjmp(png_jmpbuf(job->png))) return 1;
    png_structp png = job->png;
    const bool grey = (job->colorType & PNG_COLOR_MASK_COLOR) == 0;
    if (job->depth == 16) png_set_strip_16(png);
    if (job->colorType & PNG_COLOR_MASK_ALPHA) png_set_strip_alpha(png);
    if (grey && bitCount == 24) png_set_gray_to_rgb(png);
    if (bitCount == 24) png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, job->info);
    if (png_get_rowbytes(png, job->info) > job->stride) png_error(png, "row wider than the bitmap");
    png_read_image(png, job->rows);
    png_read_end(png, nullptr);
    return 0;
}

// The bit count of the bitmap for a PNG depth and colour type (alpha looked up without it).
int pngBitCount(int depth, int colorType) {
    const int type = colorType & ~PNG_COLOR_MASK_ALPHA;
    if (type == PNG_COLOR_TYPE_PALETTE && depth <= 8) return depth;
    if (type == PNG_COLOR_TYPE_RGB && (depth == 8 || depth == 16)) return 24;
    if (type == PNG_COLOR_TYPE_GRAY && depth <= 8) return depth;
    if (type == PNG_COLOR_TYPE_GRAY && depth == 16) return 24;
    return 0;
}

int pngChannels(int colorType) {
    switch (colorType) {
        case PNG_COLOR_TYPE_RGB:
            return 3;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return 4;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        default:
            return 1;
    }
}

}  // namespace

SpiPngFile::SpiPngFile() { setTexts("00IN", "png.spi", "PNG to DIB filter Ver 1.0", "*.PNG", "PNG files"); }

bool SpiPngFile::matches(const uint8_t* head, size_t size) {
    return size >= 8 && png_sig_cmp(const_cast<png_bytep>(head), 0, 8) == 0;
}

int SpiPngFile::decode(TStream& stream, platform::MemBlock& infoOut, platform::MemBlock& bitsOut) {
    PngJob job;
    refusal_.clear();
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, pngError, pngWarning);
    if (!job.png) return refuse(SPI_FORMAT_ERROR, "out of memory");
    job.info = png_create_info_struct(job.png);
    if (!job.info) {
        png_destroy_read_struct(&job.png, nullptr, nullptr);
        return refuse(SPI_FORMAT_ERROR, "out of memory");
    }
    png_set_read_fn(job.png, &stream, pngRead);
    png_set_user_limits(job.png, 0x7FFFFFFF, 0x7FFFFFFF);
    struct Cleanup {
        PngJob& job;
        ~Cleanup() { png_destroy_read_struct(&job.png, &job.info, nullptr); }
    } cleanup{job};

    const auto damaged = [&] { return refuse(SPI_FORMAT_ERROR, std::string("damaged PNG: ") + job.error); };
    if (pngReadHeader(&job) != 0) return damaged();
    const int bitCount = pngBitCount(job.depth, job.colorType);
    if (bitCount == 0)
        return refuse(SPI_FORMAT_ERROR, "PNG of depth " + std::to_string(job.depth) + " and colour type " +
                                            std::to_string(job.colorType) + ", which is not read");
    if (job.width == 0 || job.height == 0) return refuse(SPI_FORMAT_ERROR, "PNG of " + sides(job.width, job.height));
    if (beyondAnyScreen(job.width, job.height)) return refuse(SPI_FORMAT_ERROR, tooLarge("PNG", job.width, job.height));
    const uint64_t stride = strideFor(job.width, bitCount);
    const uint64_t bitsSize = stride * job.height;
    // Deflate expands at most about 1032 to 1: an image whose rows could not fit in what is
    // left of the stream cannot be complete, so it is refused before its rows are allocated.
    const uint64_t rawRow = (static_cast<uint64_t>(job.width) * pngChannels(job.colorType) * job.depth + 7) / 8 + 1;
    if (bitsSize > kMaxBitsSize) return refuse(SPI_FORMAT_ERROR, bitsTooLarge("PNG", job.width, job.height, bitsSize));
    if (rawRow * job.height > 1032 * remaining(stream) + 65536)
        return refuse(SPI_FORMAT_ERROR, "PNG of " + sides(job.width, job.height) + ", more than its " +
                                            std::to_string(remaining(stream)) + " bytes of data can hold");

    const uint32_t colours =
        bitCount > 8
            ? 0
            : (job.colorType == PNG_COLOR_TYPE_PALETTE ? static_cast<uint32_t>(job.paletteCount) : 1u << job.depth);
    platform::MemBlock info = platform::MemBlock::allocate(40 + 4 * static_cast<size_t>(colours));
    platform::MemBlock bits = platform::MemBlock::allocate(static_cast<size_t>(bitsSize));
    std::vector<png_bytep> rows;
    try {
        rows.resize(job.height);
    } catch (const std::bad_alloc&) {
        return refuse(SPI_FORMAT_ERROR, "out of memory");
    }
    if (info.empty() || bits.empty()) return refuse(SPI_FORMAT_ERROR, "out of memory");
    const BITMAPINFOHEADER h =
        topDownHeader(job.width, job.height, bitCount, BI_RGB, colours, static_cast<uint32_t>(bitsSize));
    std::memcpy(info.data(), &h, sizeof h);
    uint8_t* table = info.data() + 40;
    if (job.colorType == PNG_COLOR_TYPE_PALETTE) {
        for (uint32_t i = 0; i < colours; ++i) {
            table[4 * i] = job.palette[i].blue;
            table[4 * i + 1] = job.palette[i].green;
            table[4 * i + 2] = job.palette[i].red;
        }
    } else if (colours > 0) {
        const uint32_t step = std::max<uint32_t>(1, 255 / (colours - 1));
        for (uint32_t i = 0; i < colours && i * step < 256; ++i) {
            table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<uint8_t>(i * step);
        }
    }
    for (uint32_t y = 0; y < job.height; ++y) rows[y] = bits.data() + static_cast<size_t>(y) * stride;
    job.rows = rows.data();
    job.stride = static_cast<size_t>(stride);
    if (pngReadRows(&job, bitCount) != 0) return damaged();
    infoOut = std::move(info);
    bitsOut = std::move(bits);
    return SPI_OK;
}

// ---- JPEG ------------------------------------------------------------------------------------

namespace {

struct JpegError {
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];  // what libjpeg said when it gave up
};

struct JpegSource {
    jpeg_source_mgr pub;
    TStream* stream;
    bool started;
    JOCTET buffer[4096];
};

void jpegErrorExit(j_common_ptr info) {
    auto* err = reinterpret_cast<JpegError*>(info->err);
    err->pub.format_message(info, err->message);
    longjmp(err->jump, 1);
}
void jpegOutputMessage(j_common_ptr) {}

void jpegInitSource(j_decompress_ptr d) { reinterpret_cast<JpegSource*>(d->src)->started = false; }

boolean jpegFill(j_decompress_ptr d) {
    auto* src = reinterpret_cast<JpegSource*>(d->src);
    uint32_t n = src->stream->read(src->buffer, sizeof src->buffer);
    if (n == 0) {
        if (!src->started) ERREXIT(d, JERR_INPUT_EMPTY);
        // The data ended early: say so, and end the image there.
        WARNMS(d, JWRN_JPEG_EOF);
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        n = 2;
    }
    src->started = true;
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = n;
    return TRUE;
}

void jpegSkip(j_decompress_ptr d, long count) {
    if (count <= 0) return;
    auto* src = reinterpret_cast<JpegSource*>(d->src);
    while (count > static_cast<long>(src->pub.bytes_in_buffer)) {
        count -= static_cast<long>(src->pub.bytes_in_buffer);
        jpegFill(d);
    }
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= static_cast<size_t>(count);
}

void jpegTerm(j_decompress_ptr) {}

struct JpegJob {
    jpeg_decompress_struct d;
    JpegError err;
    JpegSource src;
    bool created;
    uint8_t* bits;
    uint8_t* row;
    size_t stride;
};

// Stage 1: create and header, with the output size worked out. No C++ objects: libjpeg may
// jump out of this frame.
int jpegReadHeader(JpegJob* job) {
    job->d.err = jpeg_std_error(&job->err.pub);
    job->err.pub.error_exit = jpegErrorExit;
    job->err.pub.output_message = jpegOutputMessage;
    if (setjmp(job->err.jump)) return 1;
    jpeg_create_decompress(&job->d);
    job->created = true;
    // Progressive images keep every coefficient of the picture until the last scan: two bytes
    // a sample, twice the bitmap's size. The cap keeps the library's part, with the bitmap's
    // beside it, within what any other picture costs; past it the library fails instead of
    // allocating (a progressive picture of more than about 11 million pixels at full colour
    // resolution, or 16 million with the usual halved colour, is refused).
    job->d.mem->max_memory_to_use = static_cast<long>(kJpegLibraryMemory);
    job->src.pub.init_source = jpegInitSource;
    job->src.pub.fill_input_buffer = jpegFill;
    job->src.pub.skip_input_data = jpegSkip;
    job->src.pub.resync_to_restart = jpeg_resync_to_restart;
    job->src.pub.term_source = jpegTerm;
    job->src.pub.bytes_in_buffer = 0;
    job->src.pub.next_input_byte = nullptr;
    job->d.src = &job->src.pub;
    jpeg_read_header(&job->d, TRUE);
    // Only grey and RGB output have a row writer; CMYK and the rest are refused.
    if (job->d.out_color_space != JCS_GRAYSCALE && job->d.out_color_space != JCS_RGB) {
        std::snprintf(job->err.message, sizeof job->err.message, "colour space %d is not read",
                      static_cast<int>(job->d.out_color_space));
        return 1;
    }
    jpeg_calc_output_dimensions(&job->d);
    return 0;
}

// Stage 2: decompression starts (a progressive image is read whole here). Same rule as stage 1.
int jpegStart(JpegJob* job) {
    if (setjmp(job->err.jump)) return 1;
    jpeg_start_decompress(&job->d);
    return 0;
}

// Stage 3: the scanlines, turned into bitmap rows. Same rule as stage 1.
int jpegRows(JpegJob* job) {
    if (setjmp(job->err.jump)) return 1;
    j_decompress_ptr d = &job->d;
    const JDIMENSION width = d->output_width;
    const int comps = d->output_components;
    uint8_t* out = job->bits;
    while (d->output_scanline < d->output_height) {
        JSAMPROW row = job->row;
        if (jpeg_read_scanlines(d, &row, 1) != 1) {
            std::snprintf(job->err.message, sizeof job->err.message, "row %u could not be read",
                          static_cast<unsigned>(d->output_scanline));
            return 1;
        }
        if (comps == 3) {
            for (JDIMENSION x = 0; x < width; ++x) {
                out[3 * x] = job->row[3 * x + 2];
                out[3 * x + 1] = job->row[3 * x + 1];
                out[3 * x + 2] = job->row[3 * x];
            }
        } else {
            std::memcpy(out, job->row, width);
        }
        out += job->stride;  // the padding stays zero
    }
    jpeg_finish_decompress(d);
    return 0;
}

}  // namespace

SpiJpegFile::SpiJpegFile() {
    setTexts("00IN", "jpg.spi", "JPEG to DIB filter Ver 1.0", "*.JPG;*.JPE;*.JPEG", "JPEG files");
}

bool SpiJpegFile::matches(const uint8_t* head, size_t size) { return size >= 2 && head[0] == 0xFF && head[1] == 0xD8; }

int SpiJpegFile::decode(TStream& stream, platform::MemBlock& infoOut, platform::MemBlock& bitsOut) {
    const uint64_t streamBytes = remaining(stream);
    auto job = std::make_unique<JpegJob>();
    std::memset(job.get(), 0, sizeof(JpegJob));
    job->src.stream = &stream;
    struct Cleanup {
        JpegJob& job;
        ~Cleanup() {
            if (job.created) jpeg_destroy_decompress(&job.d);
        }
    } cleanup{*job};

    refusal_.clear();
    const auto damaged = [&] {
        // The library's words for its memory cap tell a person nothing.
        if (job->err.pub.msg_code == JERR_NO_BACKING_STORE)
            return refuse(SPI_FORMAT_ERROR, "progressive JPEG of " + sides(job->d.output_width, job->d.output_height) +
                                                " needing more than " + std::to_string(kJpegLibraryMemory >> 20) +
                                                " MiB to decode");
        return refuse(SPI_FORMAT_ERROR, std::string("damaged JPEG: ") + job->err.message);
    };
    if (jpegReadHeader(job.get()) != 0) return damaged();
    const jpeg_decompress_struct& d = job->d;
    const int comps = d.output_components;
    if (comps != 1 && comps != 3)
        return refuse(SPI_FORMAT_ERROR, "JPEG of " + std::to_string(comps) + " components, which is not read");
    if (d.output_width == 0 || d.output_height == 0)
        return refuse(SPI_FORMAT_ERROR, "JPEG of " + sides(d.output_width, d.output_height));
    if (beyondAnyScreen(d.output_width, d.output_height))
        return refuse(SPI_FORMAT_ERROR, tooLarge("JPEG", d.output_width, d.output_height));
    const auto strideOf = [&d] {
        return (static_cast<uint64_t>(d.output_width) * d.output_components + 3) & ~uint64_t{3};
    };
    const uint64_t stride = strideOf();
    const uint64_t bitsSize = stride * d.output_height;
    // A picture far larger than its data could describe is taken for damage. The size is
    // judged from the header alone: starting decompression already allocates for it.
    if (bitsSize > kMaxBitsSize)
        return refuse(SPI_FORMAT_ERROR, bitsTooLarge("JPEG", d.output_width, d.output_height, bitsSize));
    if (bitsSize > 1024 * streamBytes + (uint64_t{4} << 20))
        return refuse(SPI_FORMAT_ERROR, "JPEG of " + sides(d.output_width, d.output_height) + ", more than its " +
                                            std::to_string(streamBytes) + " bytes of data can hold");
    if (jpegStart(job.get()) != 0) return damaged();
    // Starting settles the output; it must still be the size judged above.
    if (d.output_components != comps || strideOf() != stride || stride * d.output_height != bitsSize)
        return refuse(SPI_FORMAT_ERROR, "JPEG whose size changed when it was started");
    const bool colour = d.out_color_space == JCS_RGB && !d.quantize_colors;
    const int bitCount = colour ? 24 : 8;
    const uint32_t colours = colour ? 0 : 256;
    platform::MemBlock info = platform::MemBlock::allocate(40 + 4 * static_cast<size_t>(colours));
    platform::MemBlock bits = platform::MemBlock::allocate(static_cast<size_t>(bitsSize));
    std::vector<uint8_t> row(static_cast<size_t>(stride) + 4);
    if (info.empty() || bits.empty()) return refuse(SPI_FORMAT_ERROR, "out of memory");
    BITMAPINFOHEADER h =
        topDownHeader(d.output_width, d.output_height, bitCount, BI_RGB, colours, static_cast<uint32_t>(bitsSize));
    if (d.density_unit == 2) {
        h.biXPelsPerMeter = d.X_density * 100;
        h.biYPelsPerMeter = d.Y_density * 100;
    }
    std::memcpy(info.data(), &h, sizeof h);
    uint8_t* table = info.data() + 40;
    if (!colour) {
        if (!d.quantize_colors || !d.colormap) {
            for (int i = 0; i < 256; ++i) table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = static_cast<uint8_t>(i);
        } else {
            for (int i = 0; i < d.actual_number_of_colors && i < 256; ++i) {
                if (d.out_color_components == 1) {
                    table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = d.colormap[0][i];
                } else {
                    table[4 * i] = d.colormap[2][i];
                    table[4 * i + 1] = d.colormap[1][i];
                    table[4 * i + 2] = d.colormap[0][i];
                }
            }
        }
    }
    job->bits = bits.data();
    job->row = row.data();
    job->stride = static_cast<size_t>(stride);
    if (jpegRows(job.get()) != 0) return damaged();
    infoOut = std::move(info);
    bitsOut = std::move(bits);
    return SPI_OK;
}
