#include "menus/bitmap_scale.h"

#include <algorithm>

namespace {

bool WellFormed(const PixelImage& image)
{
    return image.width > 0 && image.height > 0 &&
           image.pixels.size() == static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
}

// How much of each source pixel along one axis falls into each target pixel. In units
// where a source pixel is `to` long and a target pixel `from` long, so every weight is a
// whole number and the weights of one target pixel add up to `from`.
struct Span {
    int first = 0;
    std::vector<uint32_t> weights;
};

std::vector<Span> AreaSpans(int from, int to)
{
    std::vector<Span> spans(static_cast<std::size_t>(to));
    for (int t = 0; t < to; ++t) {
        const int64_t begin = int64_t{t} * from, end = int64_t{t + 1} * from;
        Span& span = spans[static_cast<std::size_t>(t)];
        span.first = static_cast<int>(begin / to);
        for (int s = span.first; s < from && int64_t{s} * to < end; ++s) {
            const int64_t lo = std::max(begin, int64_t{s} * to), hi = std::min(end, int64_t{s + 1} * to);
            span.weights.push_back(static_cast<uint32_t>(hi - lo));
        }
    }
    return spans;
}

// Sums of alpha-weighted colour: a straight-alpha pixel adds alpha * colour.
struct Accumulator {
    uint64_t a = 0, r = 0, g = 0, b = 0;

    void Add(uint32_t pixel, uint64_t weight)
    {
        const uint64_t alpha = (pixel >> 24) & 0xFFu, wa = weight * alpha;
        a += wa;
        r += wa * ((pixel >> 16) & 0xFFu);
        g += wa * ((pixel >> 8) & 0xFFu);
        b += wa * (pixel & 0xFFu);
    }
    uint32_t Pixel(uint64_t totalWeight) const
    {
        if (a == 0) return 0;
        const auto channel = [this](uint64_t sum) { return static_cast<uint32_t>((sum + a / 2) / a); };
        const auto alpha = static_cast<uint32_t>((a + totalWeight / 2) / totalWeight);
        return (alpha << 24) | (channel(r) << 16) | (channel(g) << 8) | channel(b);
    }
};

PixelImage AreaAverage(const PixelImage& image, int width, int height)
{
    const std::vector<Span> columns = AreaSpans(image.width, width), rows = AreaSpans(image.height, height);
    const uint64_t total = uint64_t(image.width) * uint64_t(image.height);
    PixelImage result{width, height, std::vector<uint32_t>(std::size_t(width) * std::size_t(height))};
    for (int y = 0; y < height; ++y) {
        const Span& row = rows[std::size_t(y)];
        for (int x = 0; x < width; ++x) {
            const Span& column = columns[std::size_t(x)];
            Accumulator sum;
            for (std::size_t j = 0; j < row.weights.size(); ++j)
                for (std::size_t i = 0; i < column.weights.size(); ++i)
                    sum.Add(image.At(column.first + int(i), row.first + int(j)),
                            uint64_t(row.weights[j]) * column.weights[i]);
            result.At(x, y) = sum.Pixel(total);
        }
    }
    return result;
}

// Where target pixel `t` samples the source: the pixel to its left or above and the
// share (0..256) of the next one. Centres line up, edges clamp.
struct Sample {
    int first = 0;
    uint32_t share = 0;
};

std::vector<Sample> LinearSamples(int from, int to)
{
    std::vector<Sample> samples(static_cast<std::size_t>(to));
    for (int t = 0; t < to; ++t) {
        // (t + 0.5) * from / to - 0.5, in 1/256 of a source pixel.
        const int64_t pos = ((2 * int64_t{t} + 1) * from * 256 - int64_t{to} * 256) / (2 * int64_t{to});
        Sample& s = samples[static_cast<std::size_t>(t)];
        if (pos <= 0) continue;
        s.first = static_cast<int>(pos / 256);
        s.share = static_cast<uint32_t>(pos % 256);
        if (s.first >= from - 1) s = Sample{from - 1, 0};
    }
    return samples;
}

PixelImage Interpolate(const PixelImage& image, int width, int height)
{
    const std::vector<Sample> columns = LinearSamples(image.width, width), rows = LinearSamples(image.height, height);
    PixelImage result{width, height, std::vector<uint32_t>(std::size_t(width) * std::size_t(height))};
    for (int y = 0; y < height; ++y) {
        const Sample row = rows[std::size_t(y)];
        const int y1 = std::min(row.first + 1, image.height - 1);
        for (int x = 0; x < width; ++x) {
            const Sample column = columns[std::size_t(x)];
            const int x1 = std::min(column.first + 1, image.width - 1);
            Accumulator sum;
            sum.Add(image.At(column.first, row.first), uint64_t(256 - column.share) * (256 - row.share));
            sum.Add(image.At(x1, row.first), uint64_t(column.share) * (256 - row.share));
            sum.Add(image.At(column.first, y1), uint64_t(256 - column.share) * row.share);
            sum.Add(image.At(x1, y1), uint64_t(column.share) * row.share);
            result.At(x, y) = sum.Pixel(256u * 256u);
        }
    }
    return result;
}

}  // namespace

PixelImage ScalePicture(const PixelImage& image, int width, int height)
{
    if (!WellFormed(image) || width < 1 || height < 1) return {};
    if (width == image.width && height == image.height) return image;
    if (width <= image.width && height <= image.height) return AreaAverage(image, width, height);
    return Interpolate(image, width, height);
}
