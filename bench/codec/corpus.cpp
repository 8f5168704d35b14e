#include "bench/codec/corpus.h"

#include <algorithm>
#include <random>
#include <string>

namespace {

using Bytes = std::vector<uint8_t>;

// Words with a skewed frequency, sentences, line breaks.
void addText(Bytes& out, size_t n, std::mt19937& rng) {
  std::vector<std::string> words;
  for (int i = 0; i < 400; ++i) {
    std::string w;
    const int len = 2 + rng() % 9;
    for (int k = 0; k < len; ++k) w += static_cast<char>('a' + rng() % 26);
    words.push_back(w);
  }
  std::uniform_real_distribution<double> u(0, 1);
  const size_t end = out.size() + n;
  bool capital = true;
  while (out.size() < end) {
    const double x = u(rng);
    std::string w = words[static_cast<size_t>(400 * x * x * x)];
    if (capital) w[0] = static_cast<char>(w[0] - 32);
    capital = false;
    out.insert(out.end(), w.begin(), w.end());
    const uint32_t r = rng() % 100;
    if (r < 8) {
      out.push_back('.');
      capital = true;
    } else if (r < 12) {
      out.push_back(',');
    }
    out.push_back(r == 0 ? '\n' : ' ');
  }
  out.resize(end);
}

// Code-like byte patterns, tables of small 32-bit numbers, names, zero padding.
void addExecutable(Bytes& out, size_t n, std::mt19937& rng) {
  static const std::vector<Bytes> kOps = {
      {0x55}, {0x89, 0xE5}, {0x5D}, {0xC3}, {0x83, 0xEC}, {0x8B, 0x45}, {0x89, 0x45}, {0xE8},
      {0x48, 0x8B, 0x05}, {0x31, 0xC0}, {0x74}, {0x75}, {0xFF, 0x15}, {0x0F, 0x84}, {0x90}};
  const size_t end = out.size() + n;
  while (out.size() < end) {
    const uint32_t kind = rng() % 10;
    if (kind < 6) {  // a function
      const int ops = 10 + rng() % 60;
      for (int i = 0; i < ops; ++i) {
        const Bytes& op = kOps[rng() % kOps.size()];
        out.insert(out.end(), op.begin(), op.end());
        const int imm = op[0] == 0xE8 || op[0] == 0x48 || op[0] == 0xFF ? 4 : (op.size() > 1 ? 1 : 0);
        for (int k = 0; k < imm; ++k) out.push_back(static_cast<uint8_t>(k < 2 ? rng() : 0));
      }
    } else if (kind < 8) {  // a table of small numbers
      const int count = 8 + rng() % 100;
      uint32_t v = rng() % 1000;
      for (int i = 0; i < count; ++i) {
        v += rng() % 40;
        for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(v >> (8 * k)));
      }
    } else if (kind < 9) {  // names
      const int count = 3 + rng() % 20;
      for (int i = 0; i < count; ++i) {
        const char* prefix[] = {"sys_", "gfx_", "snd_", "load", "Init", "str"};
        std::string s = prefix[rng() % 6];
        for (int k = 0; k < 3 + static_cast<int>(rng() % 8); ++k) s += static_cast<char>('a' + rng() % 26);
        out.insert(out.end(), s.begin(), s.end());
        out.push_back(0);
      }
    } else {  // alignment padding
      const size_t align = rng() % 4 == 0 ? 2048 : 16;
      while (out.size() % align != 0) out.push_back(0);
    }
  }
  out.resize(end);
}

// 8-bit paletted picture rows: gradients, flat shapes, noise, dithering.
void addPicture(Bytes& out, size_t n, std::mt19937& rng) {
  const int width = 256;
  const size_t end = out.size() + n;
  while (out.size() < end) {
    const uint32_t kind = rng() % 4;
    const int rows = 8 + rng() % 40;
    const uint8_t a = static_cast<uint8_t>(rng()), b = static_cast<uint8_t>(rng());
    for (int y = 0; y < rows; ++y) {
      for (int x = 0; x < width; ++x) {
        uint8_t v;
        if (kind == 0) {
          v = static_cast<uint8_t>(a + (x + y) / 8);
        } else if (kind == 1) {
          const int dx = x - 128, dy = y - rows / 2;
          v = dx * dx + dy * dy * 16 < 2500 ? a : b;
        } else if (kind == 2) {
          v = static_cast<uint8_t>(a + rng() % 16);
        } else {
          v = ((x + y) & 1) ? a : b;
        }
        out.push_back(v);
      }
    }
  }
  out.resize(end);
}

// Runs of equal bytes, mostly short, some long, a few very long.
void addRuns(Bytes& out, size_t n, std::mt19937& rng) {
  const size_t end = out.size() + n;
  while (out.size() < end) {
    const uint32_t r = rng() % 100;
    const size_t len = r < 70 ? 1 + rng() % 8 : r < 97 ? 10 + rng() % 300 : 1000 + rng() % 70000;
    const uint8_t v = rng() % 3 == 0 ? 0 : static_cast<uint8_t>(rng() % 8);
    out.insert(out.end(), len, v);
  }
  out.resize(end);
}

}  // namespace

std::vector<uint8_t> mixedCorpus(size_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out;
  out.reserve(size);
  const size_t piece = 256 * 1024;
  for (int kind = 0; out.size() < size; kind = (kind + 1) % 4) {
    const size_t n = std::min(piece, size - out.size());
    if (kind == 0) addText(out, n, rng);
    if (kind == 1) addExecutable(out, n, rng);
    if (kind == 2) addPicture(out, n, rng);
    if (kind == 3) addRuns(out, n, rng);
  }
  return out;
}
