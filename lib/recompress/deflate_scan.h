// Packing side of deflate recompression: finds the deflate streams of zip entries, gzip members and
// PNG image data in a file, inflates them, and searches zlib's settings for ones that give the
// same bytes back; a zip or gzip stream zlib does not make is rebuilt by our model where its record
// pays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lib/recompress/deflate_recipe.h"

namespace uha {

struct DeflateStats {
  std::uint64_t reproduced = 0;  // deflate bytes the extractor rebuilds from inflated data
  std::uint64_t inflated = 0;    // what those streams inflate to: the extractor's deflate work
  std::uint64_t kept = 0;        // deflate bytes found but stored as they are
  std::uint64_t png = 0;         // of `reproduced`, PNG image data
  std::uint64_t png_kept = 0;    // of `kept`, PNG image data
  std::uint64_t modelled = 0;    // of `reproduced`, rebuilt by the model
  std::uint64_t model_record = 0;  // the model's records for those
  std::uint64_t work = 0;          // the extractor's estimated work rebuilding them (rebuild_work.h)

  DeflateStats& operator+=(const DeflateStats& o) {
    reproduced += o.reproduced;
    inflated += o.inflated;
    kept += o.kept;
    png += o.png;
    png_kept += o.png_kept;
    modelled += o.modelled;
    model_record += o.model_record;
    work += o.work;
    return *this;
  }
};

// The settings, tried in a fixed order with `params` first (all with its window), that deflate
// `inflated` into exactly `deflated`; on success `params` holds them.
bool FindParams(const std::uint8_t* deflated, std::size_t deflated_size,
                const std::vector<std::uint8_t>& inflated, DeflateParams& params);

// What LZMA at a quick preset makes of `data` alone: enough to tell which of two forms of a file
// packs smaller (in a solid block beside similar files either takes less).
std::size_t QuickPackedSize(const std::vector<std::uint8_t>& data);

// The recipe for `file`, or an empty one when no stream in it is reproduced.
std::vector<std::uint8_t> MakeRecipe(const std::vector<std::uint8_t>& file, DeflateStats& stats);

}  // namespace uha
