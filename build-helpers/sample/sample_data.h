// Deterministic stand-ins for the kinds of data a Java desktop product ships: class files, jars,
// packed libraries, bitmaps and text. The same seed always gives the same bytes.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace sample {

using Bytes = std::vector<std::uint8_t>;

class Generator {
 public:
  explicit Generator(std::uint32_t seed) : rng_(seed) {}

  // A class file with a constant pool of plausible names and methods of plausible bytecode.
  Bytes ClassFile(const std::string& qualified_name);
  // A jar (zip, entries stored) of `count` classes below `package`.
  Bytes Jar(const std::string& package, int count);
  // A 24-bit bitmap: gradients with a little noise, like a screenshot or a splash image.
  Bytes Bitmap(int width, int height);
  // Lines of words, like a licence or a properties file.
  std::string Prose(std::size_t bytes);
  // Structured binary records, like fonts, certificate stores or shared class data.
  Bytes Records(std::size_t bytes);

 private:
  std::uint32_t Next(std::uint32_t bound) { return static_cast<std::uint32_t>(rng_() % bound); }
  std::string Identifier();

  std::mt19937 rng_;
};

// A zip archive with stored (uncompressed) entries.
Bytes Zip(const std::vector<std::pair<std::string, Bytes>>& entries);
// A gzip stream of `data` at the best compression, with no name and time in its header;
// empty if compression failed.
Bytes Gzip(const Bytes& data);

}  // namespace sample
