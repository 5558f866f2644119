#include "bitmap/convert.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace kestrel {
namespace {

constexpr uint8_t kEscape = 0;
constexpr uint8_t kEndOfLine = 0;
constexpr uint8_t kEndOfBitmap = 1;
constexpr uint8_t kDelta = 2;
constexpr size_t kMaxRun = 255;

struct Rgb {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
};

// Index of pixel x in an uncompressed row of 1, 4 or 8 bits.
uint8_t IndexAt(const uint8_t* row, uint32_t x, uint16_t bitCount) {
  switch (bitCount) {
    case 1: return static_cast<uint8_t>((row[x >> 3] >> (7 - (x & 7))) & 1);
    case 4: return static_cast<uint8_t>((x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4);
    default: return row[x];
  }
}

void SetIndex(uint8_t* row, uint32_t x, uint16_t bitCount, uint8_t index) {
  switch (bitCount) {
    case 1:
      row[x >> 3] = static_cast<uint8_t>(row[x >> 3] | ((index & 1) << (7 - (x & 7))));
      break;
    case 4:
      row[x >> 1] = static_cast<uint8_t>(row[x >> 1] | ((x & 1) ? (index & 0x0F) : (index << 4)));
      break;
    default:
      row[x] = index;
  }
}

// Copies the header and colour table of `dib` into a new uncompressed block.
Block NewUncompressedLike(const Bytes& dib, const BitmapInfoHeader& h) {
  Block out = NewPackedDib(h.biWidth, h.biHeight, h.biBitCount);
  if (!out) return {};
  BitmapInfoHeader header = *LoadInfoHeader(*out);
  header.biClrUsed = h.biClrUsed;
  header.biClrImportant = h.biClrImportant;
  const uint32_t table = ColourTableSize(header);
  out->resize(kInfoHeaderSize + table + header.biSizeImage);
  StoreInfoHeader(header, *out);
  std::copy_n(dib.begin() + kInfoHeaderSize, table, out->begin() + kInfoHeaderSize);
  return out;
}

// --- RLE decoding ------------------------------------------------------------------------------

Block DecodeRleRuns(const Bytes& dib, const BitmapInfoHeader& h) {
  const bool four = h.biBitCount == 4;
  Block out = NewUncompressedLike(dib, h);
  if (!out) return {};
  const auto width = static_cast<uint32_t>(h.biWidth);
  const auto height = static_cast<uint32_t>(h.biHeight);
  const uint32_t stride = RowLength(h.biBitCount, width);
  uint8_t* pixels = out->data() + PixelOffset(*LoadInfoHeader(*out));
  const uint8_t* in = dib.data() + PixelOffset(h);
  const size_t size = h.biSizeImage;
  size_t pos = 0;
  uint64_t x = 0;
  uint64_t y = 0;
  // Encoders often code the row padding too; like other readers, pixels that fall outside
  // the picture are dropped.
  auto put = [&](uint8_t index) {
    if (x < width && y < height)
      SetIndex(pixels + y * stride, static_cast<uint32_t>(x), h.biBitCount, index);
    ++x;
  };

  while (pos + 2 <= size && y < height) {
    const uint8_t first = in[pos];
    const uint8_t second = in[pos + 1];
    pos += 2;
    if (first != kEscape) {
      if (!four) {
        // Runs are most of an RLE8 picture: fill the part inside the row at once.
        if (x < width) std::memset(pixels + y * stride + x, second, std::min<uint64_t>(first, width - x));
        x += first;
        continue;
      }
      for (uint32_t i = 0; i < first; ++i)
        put(static_cast<uint8_t>((i & 1) ? second & 0x0F : second >> 4));
      continue;
    }
    if (second == kEndOfLine) {
      x = 0;
      ++y;
    } else if (second == kEndOfBitmap) {
      break;
    } else if (second == kDelta) {
      if (pos + 2 > size) return {};
      x += in[pos];
      y += in[pos + 1];
      pos += 2;
    } else {
      const size_t count = second;
      const size_t bytes = four ? (count + 1) / 2 : count;
      if (pos + bytes > size) return {};  // literals cut off by the end of the data
      if (!four) {
        if (x < width) std::memcpy(pixels + y * stride + x, in + pos, std::min<uint64_t>(count, width - x));
        x += count;
        pos += (bytes + 1) & ~size_t{1};
        continue;
      }
      for (size_t i = 0; i < count; ++i) {
        const uint8_t byte = in[pos + (four ? i / 2 : i)];
        put(four ? static_cast<uint8_t>((i & 1) ? byte & 0x0F : byte >> 4) : byte);
      }
      pos += (bytes + 1) & ~size_t{1};  // absolute runs end on a 16-bit boundary
    }
  }
  return out;
}

// --- RLE encoding ------------------------------------------------------------------------------

// Encodes one row of indices (one index per byte) with RLE8 or RLE4 codes.
void EncodeRow(const uint8_t* indices, size_t width, bool four, Bytes& out) {
  size_t x = 0;
  auto runLength = [&](size_t at) {
    size_t n = 1;
    while (at + n < width && n < kMaxRun && indices[at + n] == indices[at]) ++n;
    return n;
  };
  while (x < width) {
    const size_t run = runLength(x);
    if (run >= 3 || width - x < 3) {
      // An encoded run; short tails go as runs too, since absolute mode needs 3 or more.
      const size_t n = run >= 3 ? run : std::min<size_t>(run, width - x);
      const uint8_t value = four ? static_cast<uint8_t>(indices[x] << 4 | indices[x]) : indices[x];
      out.push_back(static_cast<uint8_t>(n));
      out.push_back(value);
      x += n;
      continue;
    }
    // Absolute mode: gather literals until a run of 3 starts or the limit is reached.
    size_t end = x;
    while (end < width && end - x < kMaxRun && runLength(end) < 3) ++end;
    const size_t count = end - x;
    if (count < 3) {
      for (size_t i = x; i < end; ++i) {
        const uint8_t value = four ? static_cast<uint8_t>(indices[i] << 4 | indices[i]) : indices[i];
        out.push_back(1);
        out.push_back(value);
      }
      x = end;
      continue;
    }
    out.push_back(kEscape);
    out.push_back(static_cast<uint8_t>(count));
    size_t written = 0;
    if (four) {
      for (size_t i = 0; i < count; i += 2) {
        const uint8_t high = indices[x + i];
        const uint8_t low = i + 1 < count ? indices[x + i + 1] : 0;
        out.push_back(static_cast<uint8_t>(high << 4 | low));
        ++written;
      }
    } else {
      out.insert(out.end(), indices + x, indices + end);
      written = count;
    }
    if (written & 1) out.push_back(0);
    x = end;
  }
}

// --- Palettes and depth ------------------------------------------------------------------------

std::vector<Rgb> ColourTable(const Bytes& dib, const BitmapInfoHeader& h) {
  std::vector<Rgb> table(ColourCount(h));
  const uint8_t* p = dib.data() + kInfoHeaderSize;
  for (size_t i = 0; i < table.size(); ++i) table[i] = {p[4 * i], p[4 * i + 1], p[4 * i + 2]};
  return table;
}

uint32_t Distance(const Rgb& a, const Rgb& b) {
  const int db = a.blue - b.blue;
  const int dg = a.green - b.green;
  const int dr = a.red - b.red;
  return static_cast<uint32_t>(db * db + dg * dg + dr * dr);
}

uint8_t NearestEntry(const std::vector<Rgb>& palette, const Rgb& colour) {
  size_t best = 0;
  uint32_t bestDistance = UINT32_MAX;
  for (size_t i = 0; i < palette.size(); ++i) {
    const uint32_t d = Distance(palette[i], colour);
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return static_cast<uint8_t>(best);
}

// A colour bin of the 5-5-5 histogram that median cut works on.
struct Bin {
  uint32_t count = 0;
  uint64_t blue = 0;
  uint64_t green = 0;
  uint64_t red = 0;
  Rgb Mean() const {
    return {static_cast<uint8_t>(blue / count), static_cast<uint8_t>(green / count),
            static_cast<uint8_t>(red / count)};
  }
};

uint32_t Key(const Rgb& c) { return uint32_t{c.red} << 16 | uint32_t{c.green} << 8 | c.blue; }

uint16_t BinOf(const Rgb& c) {
  return static_cast<uint16_t>((c.red >> 3) << 10 | (c.green >> 3) << 5 | (c.blue >> 3));
}

// Keys to small numbers by open addressing in a power-of-two table at least twice as large as
// the most keys it will hold: no allocation per key, and a small picture's table stays small.
class KeyTable {
 public:
  explicit KeyTable(size_t mostKeys)
      : keys_(std::bit_ceil(std::max<size_t>(2 * mostKeys, 16)), kEmpty),
        values_(keys_.size()),
        mask_(keys_.size() - 1),
        shift_(64 - std::countr_zero(keys_.size())) {}

  // The value held for `key`, and false; or `value`, now held for it, and true.
  std::pair<uint16_t, bool> Insert(uint32_t key, uint16_t value) {
    size_t at = Home(key);
    for (; keys_[at] != kEmpty; at = (at + 1) & mask_)
      if (keys_[at] == key) return {values_[at], false};
    keys_[at] = key;
    values_[at] = value;
    return {value, true};
  }
  std::optional<uint16_t> Find(uint32_t key) const {
    for (size_t at = Home(key); keys_[at] != kEmpty; at = (at + 1) & mask_)
      if (keys_[at] == key) return values_[at];
    return std::nullopt;
  }

 private:
  static constexpr uint32_t kEmpty = UINT32_MAX;  // no colour or bin key reaches it
  size_t Home(uint32_t key) const { return (key * 0x9E3779B97F4A7C15ull) >> shift_; }

  std::vector<uint32_t> keys_;
  std::vector<uint16_t> values_;
  size_t mask_;
  int shift_;
};

// The 5-5-5 histogram, kept sparse: only the bins a picture uses are held, each found through
// a key table, so that a small picture does not fill a megabyte of empty bins.
class Histogram {
 public:
  explicit Histogram(uint64_t pixels)
      : slots_(static_cast<size_t>(std::min<uint64_t>(pixels, uint64_t{1} << 15))) {}

  void Add(const Rgb& c, uint32_t count) {
    const auto [slot, fresh] = slots_.Insert(BinOf(c), static_cast<uint16_t>(bins_.size()));
    if (fresh) {
      bins_.emplace_back();
      binNumbers_.push_back(BinOf(c));
    }
    Bin& bin = bins_[slot];
    bin.count += count;
    bin.blue += uint64_t{c.blue} * count;
    bin.green += uint64_t{c.green} * count;
    bin.red += uint64_t{c.red} * count;
  }
  // The slot of the bin of a colour already added.
  size_t SlotOf(const Rgb& c) const { return *slots_.Find(BinOf(c)); }
  const Bin& operator[](size_t slot) const { return bins_[slot]; }
  size_t size() const { return bins_.size(); }
  // Every slot, in the order of its bin's number.
  std::vector<uint16_t> SlotsInBinOrder() const {
    std::vector<uint16_t> slots(bins_.size());
    for (size_t i = 0; i < slots.size(); ++i) slots[i] = static_cast<uint16_t>(i);
    std::sort(slots.begin(), slots.end(),
              [&](uint16_t a, uint16_t b) { return binNumbers_[a] < binNumbers_[b]; });
    return slots;
  }

 private:
  KeyTable slots_;  // by bin number
  std::vector<Bin> bins_;
  std::vector<uint16_t> binNumbers_;  // by slot
};

// Median cut over the used bins: split the box with the widest spread at its weighted median
// until there are `wanted` boxes; each box gives its weighted mean colour.
std::vector<Rgb> MedianCut(const Histogram& bins, size_t wanted) {
  std::vector<Rgb> means;
  std::vector<uint16_t> used = bins.SlotsInBinOrder();
  struct Box {
    size_t begin, end;
    int range = 0;  // the widest spread of its colours, 0 for a box of one bin
    int axis = 0;   // the channel it lies along
  };
  // Every box's spread and sort reads its bins' means: worked out once per bin.
  std::vector<Rgb> binMeans(bins.size());
  for (size_t slot = 0; slot < bins.size(); ++slot) binMeans[slot] = bins[slot].Mean();
  auto channel = [&](uint16_t slot, int axis) {
    const Rgb& m = binMeans[slot];
    return axis == 0 ? m.red : axis == 1 ? m.green : m.blue;
  };
  // A box measured once, when it is made: only the two halves of a split box change.
  auto measured = [&](size_t begin, size_t end) {
    Box box{begin, end};
    if (end - begin < 2) return box;
    box.range = -1;
    for (int axis = 0; axis < 3; ++axis) {
      int lo = 255, hi = 0;
      for (size_t i = begin; i < end; ++i) {
        lo = std::min<int>(lo, channel(used[i], axis));
        hi = std::max<int>(hi, channel(used[i], axis));
      }
      if (hi - lo > box.range) {
        box.range = hi - lo;
        box.axis = axis;
      }
    }
    return box;
  };
  std::vector<Box> boxes{measured(0, used.size())};
  while (boxes.size() < wanted) {
    size_t pick = boxes.size();
    int pickRange = 0;
    for (size_t b = 0; b < boxes.size(); ++b) {
      if (boxes[b].range > pickRange) {
        pick = b;
        pickRange = boxes[b].range;
      }
    }
    if (pick == boxes.size()) break;  // every box is a single colour
    const Box box = boxes[pick];
    std::sort(used.begin() + static_cast<ptrdiff_t>(box.begin),
              used.begin() + static_cast<ptrdiff_t>(box.end),
              [&](uint16_t a, uint16_t b) { return channel(a, box.axis) < channel(b, box.axis); });
    uint64_t total = 0;
    for (size_t i = box.begin; i < box.end; ++i) total += bins[used[i]].count;
    uint64_t running = 0;
    size_t split = box.begin + 1;
    for (size_t i = box.begin; i + 1 < box.end; ++i) {
      running += bins[used[i]].count;
      split = i + 1;
      if (2 * running >= total) break;
    }
    boxes[pick] = measured(box.begin, split);
    boxes.push_back(measured(split, box.end));
  }
  for (const Box& box : boxes) {
    Bin sum;
    for (size_t i = box.begin; i < box.end; ++i) {
      const Bin& bin = bins[used[i]];
      sum.count += bin.count;
      sum.blue += bin.blue;
      sum.green += bin.green;
      sum.red += bin.red;
    }
    if (sum.count) means.push_back(sum.Mean());
  }
  return means;
}

// Calls `visit(Rgb)` for every pixel of an uncompressed picture, row by row.
template <typename Visit>
void ForEachPixel(const Bytes& dib, const BitmapInfoHeader& h, Visit visit) {
  const auto width = static_cast<uint32_t>(h.biWidth);
  const uint32_t stride = RowLength(h.biBitCount, width);
  const uint8_t* pixels = dib.data() + PixelOffset(h);
  const std::vector<Rgb> table = ColourTable(dib, h);
  for (int32_t y = 0; y < h.biHeight; ++y) {
    const uint8_t* row = pixels + size_t{static_cast<uint32_t>(y)} * stride;
    for (uint32_t x = 0; x < width; ++x) {
      if (h.biBitCount == 24) {
        visit(Rgb{row[3 * x], row[3 * x + 1], row[3 * x + 2]}, static_cast<uint32_t>(y), x);
      } else {
        const uint8_t index = IndexAt(row, x, h.biBitCount);
        visit(index < table.size() ? table[index] : Rgb{}, static_cast<uint32_t>(y), x);
      }
    }
  }
}

Block ToTrueColour(const Bytes& dib, const BitmapInfoHeader& h) {
  // Going up in depth can take a picture past the picture limit; then there is no result.
  Block out = NewPackedDib(h.biWidth, h.biHeight, 24);
  if (!out) return {};
  const uint32_t stride = RowLength(24, static_cast<uint32_t>(h.biWidth));
  uint8_t* pixels = out->data() + kInfoHeaderSize;
  ForEachPixel(dib, h, [&](const Rgb& c, uint32_t y, uint32_t x) {
    uint8_t* p = pixels + size_t{y} * stride + 3 * size_t{x};
    p[0] = c.blue;
    p[1] = c.green;
    p[2] = c.red;
  });
  return out;
}

Block ToIndexed(const Bytes& dib, const BitmapInfoHeader& h, uint16_t bitCount) {
  const size_t capacity = size_t{1} << bitCount;
  Block out = NewPackedDib(h.biWidth, h.biHeight, bitCount);
  if (!out) return {};
  uint8_t* table = out->data() + kInfoHeaderSize;
  const uint32_t stride = RowLength(bitCount, static_cast<uint32_t>(h.biWidth));
  uint8_t* pixels = out->data() + kInfoHeaderSize + capacity * 4;

  // An indexed picture whose table fits keeps its indices and colours exactly.
  if (h.biBitCount != 24 && ColourCount(h) <= capacity) {
    std::copy_n(dib.begin() + kInfoHeaderSize, size_t{ColourCount(h)} * 4, table);
    const uint8_t* source = dib.data() + PixelOffset(h);
    const uint32_t sourceStride = RowLength(h.biBitCount, static_cast<uint32_t>(h.biWidth));
    for (int32_t y = 0; y < h.biHeight; ++y) {
      const uint8_t* from = source + size_t{static_cast<uint32_t>(y)} * sourceStride;
      uint8_t* to = pixels + size_t{static_cast<uint32_t>(y)} * stride;
      for (uint32_t x = 0; x < static_cast<uint32_t>(h.biWidth); ++x)
        SetIndex(to, x, bitCount, IndexAt(from, x, h.biBitCount));
    }
    return out;
  }

  // The picture's own colours serve as the palette while there are few enough of them; only a
  // picture with more colours needs the histogram that median cut works on.
  const uint64_t pixelCount = uint64_t{static_cast<uint32_t>(h.biWidth)} *
                              static_cast<uint32_t>(std::max(h.biHeight, 0));
  KeyTable exactIndex(capacity);
  std::vector<Rgb> palette;
  std::vector<uint32_t> exactCounts;
  std::optional<Histogram> histogram;
  // Neighbouring pixels mostly share their colour: only a change of colour is looked up.
  constexpr uint32_t kNoColour = UINT32_MAX;
  uint32_t lastKey = kNoColour;
  uint8_t lastIndex = 0;
  ForEachPixel(dib, h, [&](const Rgb& c, uint32_t, uint32_t) {
    if (histogram) return histogram->Add(c, 1);
    if (Key(c) != lastKey) {
      lastKey = Key(c);
      const auto found = exactIndex.Find(lastKey);
      if (found) {
        lastIndex = static_cast<uint8_t>(*found);
      } else if (palette.size() == capacity) {
        // One colour too many: the histogram takes over, counting the colours seen so far.
        histogram.emplace(pixelCount);
        for (size_t i = 0; i < palette.size(); ++i) histogram->Add(palette[i], exactCounts[i]);
        return histogram->Add(c, 1);
      } else {
        lastIndex = static_cast<uint8_t>(palette.size());
        exactIndex.Insert(lastKey, lastIndex);
        palette.push_back(c);
        exactCounts.push_back(0);
      }
    }
    ++exactCounts[lastIndex];
  });
  const bool exactFits = !histogram;
  if (!exactFits) palette = MedianCut(*histogram, capacity);
  for (size_t i = 0; i < palette.size(); ++i) {
    table[4 * i + 0] = palette[i].blue;
    table[4 * i + 1] = palette[i].green;
    table[4 * i + 2] = palette[i].red;
  }
  // Otherwise each pixel takes the entry nearest to its histogram bin's mean colour.
  std::vector<int16_t> binEntry(exactFits ? 0 : histogram->size(), -1);
  lastKey = kNoColour;
  ForEachPixel(dib, h, [&](const Rgb& c, uint32_t y, uint32_t x) {
    uint8_t index = 0;
    if (exactFits) {
      if (Key(c) != lastKey) {
        lastKey = Key(c);
        lastIndex = static_cast<uint8_t>(*exactIndex.Find(lastKey));
      }
      index = lastIndex;
    } else {
      const size_t slot = histogram->SlotOf(c);
      int16_t& cached = binEntry[slot];
      if (cached < 0) cached = NearestEntry(palette, (*histogram)[slot].Mean());
      index = static_cast<uint8_t>(cached);
    }
    SetIndex(pixels + size_t{y} * stride, x, bitCount, index);
  });
  return out;
}

}  // namespace

Block DecodeRle(const Bytes& dib) {
  if (!IsWellFormedDib(dib)) return {};
  const BitmapInfoHeader h = *LoadInfoHeader(dib);
  if (h.biCompression == kCompressionRgb) return {};
  return DecodeRleRuns(dib, h);
}

Block EncodeRle(const Bytes& dib) {
  if (!IsWellFormedDib(dib)) return {};
  const BitmapInfoHeader h = *LoadInfoHeader(dib);
  if (h.biCompression != kCompressionRgb || (h.biBitCount != 4 && h.biBitCount != 8)) return {};
  const bool four = h.biBitCount == 4;
  const auto width = static_cast<uint32_t>(h.biWidth);
  const uint32_t stride = RowLength(h.biBitCount, width);
  const uint8_t* pixels = dib.data() + PixelOffset(h);
  Bytes indices(width);
  // The codes go straight behind a copy of the header and table; the reserve covers the
  // worst case (all literals), so the block is never moved while it grows.
  const uint32_t tableEnd = PixelOffset(h);
  Block out = std::make_shared<Bytes>(dib.begin(), dib.begin() + tableEnd);
  out->reserve(size_t{tableEnd} + h.biSizeImage + h.biSizeImage / 64 +
               4 * static_cast<size_t>(h.biHeight) + 16);
  for (int32_t y = 0; y < h.biHeight; ++y) {
    const uint8_t* row = pixels + size_t{static_cast<uint32_t>(y)} * stride;
    if (four) {
      for (uint32_t x = 0; x < width; ++x) indices[x] = IndexAt(row, x, 4);
      EncodeRow(indices.data(), width, true, *out);
    } else {
      EncodeRow(row, width, false, *out);
    }
    out->push_back(kEscape);
    out->push_back(y + 1 == h.biHeight ? kEndOfBitmap : kEndOfLine);
  }
  BitmapInfoHeader header = h;
  header.biCompression = four ? kCompressionRle4 : kCompressionRle8;
  header.biSizeImage = static_cast<uint32_t>(out->size() - tableEnd);
  StoreInfoHeader(header, *out);
  return out;
}

Block ConvertDepth(const Bytes& dib, uint16_t bitCount) {
  if (!IsWellFormedDib(dib)) return {};
  const BitmapInfoHeader h = *LoadInfoHeader(dib);
  if (h.biCompression != kCompressionRgb) return {};
  if (bitCount == 24) return ToTrueColour(dib, h);
  if (bitCount == 1 || bitCount == 4 || bitCount == 8) return ToIndexed(dib, h, bitCount);
  return {};
}

Block ConvertDib(const Bytes& dib, uint32_t compression, uint16_t bitCount) {
  const bool valid = (compression == kCompressionRgb &&
                      (bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24)) ||
                     (compression == kCompressionRle8 && bitCount == 8) ||
                     (compression == kCompressionRle4 && bitCount == 4);
  if (!valid || !IsWellFormedDib(dib)) return {};
  const BitmapInfoHeader h = *LoadInfoHeader(dib);
  Block plain = h.biCompression == kCompressionRgb ? std::make_shared<Bytes>(dib) : DecodeRle(dib);
  if (!plain) return {};
  if (h.biBitCount != bitCount || ColourCount(h) != (bitCount == 24 ? 0u : 1u << bitCount))
    plain = ConvertDepth(*plain, bitCount);
  if (!plain || compression == kCompressionRgb) return plain;
  return EncodeRle(*plain);
}

}  // namespace kestrel
