#include "core/JpegFile.h"

#include "core/BmpFile.h"
#include "core/Dib.h"

#include <QImage>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <memory>

#include <jerror.h>
#include <jpeglib.h>

#ifndef JCS_EXTENSIONS
#error "libjpeg-turbo with JCS_EXT_* colour spaces is required"
#endif

// libjpeg reports errors by calling error_exit, which must not return. Ours
// jumps back to the function that started the work; that function and the
// ones below it up to libjpeg hold only trivially destructible locals, so
// nothing is left unreleased but libjpeg's own memory, which
// jpeg_destroy_* frees.
namespace {

constexpr int kMaxScans = 500; // progressive files can otherwise make us loop for long

struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void jumpBack(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorManager *>(cinfo->err)->jump, 1);
}

void quietMessage(j_common_ptr, int) { }
void quietOutput(j_common_ptr) { }

void initErrors(ErrorManager &err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = jumpBack;
    err.pub.emit_message = quietMessage; // warnings on damaged data are not shown
    err.pub.output_message = quietOutput;
}

// Source: the whole JPEG is in memory; running out of data, end marker
// included, is an error (no half-grey pictures from truncated data).
using Source = jpeg_source_mgr;

void sourceInit(j_decompress_ptr) { }
void sourceTerm(j_decompress_ptr) { }

boolean sourceFill(j_decompress_ptr cinfo)
{
    ERREXIT(cinfo, JERR_INPUT_EOF);
    return FALSE;
}

void sourceSkip(j_decompress_ptr cinfo, long count)
{
    jpeg_source_mgr *src = cinfo->src;
    if (count <= 0)
        return;
    if (size_t(count) > src->bytes_in_buffer)
        sourceFill(cinfo);
    src->next_input_byte += count;
    src->bytes_in_buffer -= size_t(count);
}

void onProgress(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        ERREXIT(cinfo, JERR_NOT_COMPILED);
}

// Destination: output collected in a QByteArray through a fixed buffer.
struct Destination
{
    jpeg_destination_mgr pub;
    QByteArray *out;
    JOCTET buffer[16384];
};

void destinationInit(j_compress_ptr cinfo)
{
    auto *dst = reinterpret_cast<Destination *>(cinfo->dest);
    dst->pub.next_output_byte = dst->buffer;
    dst->pub.free_in_buffer = sizeof dst->buffer;
}

boolean destinationEmpty(j_compress_ptr cinfo)
{
    auto *dst = reinterpret_cast<Destination *>(cinfo->dest);
    dst->out->append(reinterpret_cast<const char *>(dst->buffer), qsizetype(sizeof dst->buffer));
    destinationInit(cinfo);
    return TRUE;
}

void destinationTerm(j_compress_ptr cinfo)
{
    auto *dst = reinterpret_cast<Destination *>(cinfo->dest);
    dst->out->append(
        reinterpret_cast<const char *>(dst->buffer), qsizetype(sizeof dst->buffer - dst->pub.free_in_buffer));
}

struct DecodeJob
{
    QByteArrayView jpeg;
    ImageLimits limits;
    QByteArray *dib;
    JpegStatus status = JpegStatus::Corrupt;
    jpeg_decompress_struct cinfo {};
    ErrorManager err {};
    Source src {};
    jpeg_progress_mgr progress {};
};

// CMYK as Adobe writes it (inverted) or plain, to the BGR of a DIB row.
void cmykToBgr(const JSAMPLE *cmyk, uchar *bgr, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x) {
        int c = cmyk[4 * x], m = cmyk[4 * x + 1], y = cmyk[4 * x + 2], k = cmyk[4 * x + 3];
        if (!inverted)
            c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        bgr[3 * x] = uchar(y * k / 255);
        bgr[3 * x + 1] = uchar(m * k / 255);
        bgr[3 * x + 2] = uchar(c * k / 255);
    }
}

bool decodeBody(DecodeJob &job)
{
    jpeg_decompress_struct &cinfo = job.cinfo;
    jpeg_create_decompress(&cinfo);
    job.src.init_source = sourceInit;
    job.src.fill_input_buffer = sourceFill;
    job.src.skip_input_data = sourceSkip;
    job.src.resync_to_restart = jpeg_resync_to_restart;
    job.src.term_source = sourceTerm;
    job.src.next_input_byte = reinterpret_cast<const JOCTET *>(job.jpeg.data());
    job.src.bytes_in_buffer = size_t(job.jpeg.size());
    cinfo.src = &job.src;

    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        return false;
    if (!job.limits.allows(cinfo.image_width, cinfo.image_height)) {
        job.status = JpegStatus::TooLarge;
        return false;
    }
    // Beyond this libjpeg reports an error instead of allocating (progressive
    // files keep every coefficient of the picture).
    cinfo.mem->max_memory_to_use = long(job.limits.maxPixels * 8 + (16 << 20));
    job.progress.progress_monitor = onProgress;
    cinfo.progress = &job.progress;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);

    const JDIMENSION width = cinfo.output_width, height = cinfo.output_height;
    if (!job.limits.allows(width, height)) {
        job.status = JpegStatus::TooLarge;
        return false;
    }
    const qsizetype stride = dibStride(width, 24);
    QByteArray &dib = *job.dib;
    dib = makeDibInfoHeader(int(width), int(height), 24);
    dib.resize(kDibInfoHeaderSize + stride * height, '\0');
    if (dib.size() != kDibInfoHeaderSize + stride * qsizetype(height)) {
        job.status = JpegStatus::TooLarge;
        return false;
    }
    uchar *bits = reinterpret_cast<uchar *>(dib.data()) + kDibInfoHeaderSize;
    JSAMPARRAY cmykRow
        = cmyk ? cinfo.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, width * 4, 1) : nullptr;
    while (cinfo.output_scanline < height) {
        uchar *row = bits + qsizetype(height - 1 - cinfo.output_scanline) * stride; // bottom-up
        JSAMPROW target = cmyk ? cmykRow[0] : row;
        if (jpeg_read_scanlines(&cinfo, &target, 1) != 1)
            return false;
        if (cmyk)
            cmykToBgr(cmykRow[0], row, width, cinfo.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&cinfo);
    job.status = JpegStatus::Ok;
    return true;
}

bool runDecode(DecodeJob &job)
{
    initErrors(job.err);
    job.cinfo.err = &job.err.pub;
    if (setjmp(job.err.jump)) {
        jpeg_destroy_decompress(&job.cinfo);
        return false;
    }
    const bool ok = decodeBody(job);
    jpeg_destroy_decompress(&job.cinfo);
    return ok;
}

struct EncodeJob
{
    const QImage *rgb; // Format_RGB888
    int quality;
    QByteArray *out;
    jpeg_compress_struct cinfo {};
    ErrorManager err {};
    Destination dst {};
};

void encodeBody(EncodeJob &job)
{
    jpeg_compress_struct &cinfo = job.cinfo;
    jpeg_create_compress(&cinfo);
    job.dst.out = job.out;
    job.dst.pub.init_destination = destinationInit;
    job.dst.pub.empty_output_buffer = destinationEmpty;
    job.dst.pub.term_destination = destinationTerm;
    cinfo.dest = &job.dst.pub;
    cinfo.image_width = JDIMENSION(job.rgb->width());
    cinfo.image_height = JDIMENSION(job.rgb->height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, job.quality, TRUE);
    // Full-resolution colour: pictures are mostly screenshots, where halved
    // chroma blurs coloured text.
    for (int i = 0; i < cinfo.num_components; ++i)
        cinfo.comp_info[i].h_samp_factor = cinfo.comp_info[i].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto row = const_cast<JSAMPROW>(job.rgb->constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
}

bool runEncode(EncodeJob &job)
{
    initErrors(job.err);
    job.cinfo.err = &job.err.pub;
    if (setjmp(job.err.jump)) {
        jpeg_destroy_compress(&job.cinfo);
        return false;
    }
    encodeBody(job);
    jpeg_destroy_compress(&job.cinfo);
    return true;
}

} // namespace

JpegStatus decodeJpegToDib(QByteArrayView jpeg, QByteArray &dib, const ImageLimits &limits)
{
    QByteArray result;
    auto job = std::make_unique<DecodeJob>();
    job->jpeg = jpeg;
    job->limits = limits;
    job->dib = &result;
    dib.clear();
    if (!runDecode(*job))
        return job->status == JpegStatus::Ok ? JpegStatus::Corrupt : job->status;
    dib = result;
    return JpegStatus::Ok;
}

QByteArray JpegDecompressGlobal(QByteArrayView jpeg)
{
    QByteArray dib;
    decodeJpegToDib(jpeg, dib);
    return dib;
}

QByteArray JpegCompressGlobal(QByteArrayView dib, int quality)
{
    QImage image;
    if (decodePackedDib(dib, image) != DibStatus::Ok)
        return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        return {};
    QByteArray out;
    auto job = std::make_unique<EncodeJob>();
    job->rgb = &rgb;
    job->quality = quality;
    job->out = &out;
    if (!runEncode(*job))
        return {};
    return out;
}

bool JpegFile::ConvertJpegFileToBmpFile(const QString &jpegPath, const QString &bmpPath)
{
    const QByteArray dib = LoadJpegFileAsDib(jpegPath);
    return !dib.isEmpty() && SaveDibToFile(bmpPath, dib);
}

bool JpegFile::EncodeDibToJpegFile(QByteArrayView dib, const QString &path)
{
    const QByteArray jpeg = JpegCompressGlobal(dib);
    return !jpeg.isEmpty() && writePictureFile(path, jpeg);
}

QByteArray JpegFile::LoadJpegFileAsDib(const QString &path)
{
    const std::optional<QByteArray> bytes = readPictureFile(path);
    return bytes ? JpegDecompressGlobal(*bytes) : QByteArray();
}
