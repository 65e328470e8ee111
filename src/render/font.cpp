#include "render/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <cmath>
#include <utility>

namespace nephrax {

namespace {

constexpr int32_t kDefaultEmPixels = 12;  // 9 points at 96 dots per inch
constexpr int32_t kLargestEmPixels = 4096;

struct PatternCloser {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternCloser>;

// The face fontconfig chooses, and whether it advises synthetic bold for it.
struct MatchedFace {
  std::string file;
  int index = 0;
  bool embolden = false;
  std::string family;
};

std::string StringOf(const FcPattern* pattern, const char* object) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, 0, &value) != FcResultMatch) return {};
  return reinterpret_cast<const char*>(value);
}

// The query: the family (when one is named), Japanese coverage for Shift-JIS fonts, the weight,
// upright, and an outline face rather than a bitmap one.
Pattern BuildQuery(const std::string& family, TextEncoding encoding, int32_t weight) {
  Pattern query(FcPatternCreate());
  if (!query) return nullptr;
  if (!family.empty()) {
    FcPatternAddString(query.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  }
  if (encoding == TextEncoding::kShiftJis) {
    FcPatternAddString(query.get(), FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  }
  const int32_t windows_weight = weight <= 0 ? kNormalWeight : std::min(weight, 1000);
  FcPatternAddInteger(query.get(), FC_WEIGHT, FcWeightFromOpenType(windows_weight));
  FcPatternAddInteger(query.get(), FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddBool(query.get(), FC_SCALABLE, FcTrue);
  return query;
}

std::optional<MatchedFace> MatchFace(const std::string& family, TextEncoding encoding,
                                     int32_t weight) {
  const Pattern query = BuildQuery(family, encoding, weight);
  if (!query) return std::nullopt;
  if (!FcConfigSubstitute(nullptr, query.get(), FcMatchPattern)) return std::nullopt;
  FcDefaultSubstitute(query.get());
  FcResult result = FcResultNoMatch;
  const Pattern match(FcFontMatch(nullptr, query.get(), &result));
  if (!match) return std::nullopt;
  MatchedFace face;
  face.file = StringOf(match.get(), FC_FILE);
  if (face.file.empty()) return std::nullopt;
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &face.index);
  FcBool embolden = FcFalse;
  FcPatternGetBool(match.get(), FC_EMBOLDEN, 0, &embolden);
  face.embolden = embolden == FcTrue;
  face.family = StringOf(match.get(), FC_FAMILY);
  return face;
}

// The em in pixels for a requested height: a negative height is the em itself, a positive one the
// cell, which the face's ascent and descent divide in proportion to the em.
FT_UInt EmPixels(const FT_Face face, int32_t height) {
  int64_t em = kDefaultEmPixels;
  if (height < 0) {
    em = -int64_t{height};
  } else if (height > 0) {
    const int64_t cell_units = int64_t{face->ascender} - face->descender;
    em = FT_IS_SCALABLE(face) && cell_units > 0
             ? (int64_t{height} * face->units_per_EM + cell_units / 2) / cell_units
             : height;
  }
  return static_cast<FT_UInt>(std::clamp<int64_t>(em, 1, kLargestEmPixels));
}

// Whole pixels of a 26.6 fixed-point length.
int32_t PixelsOf(FT_Pos length) {
  return static_cast<int32_t>((length + 32) >> 6);
}

// FreeType scales the face's ascent and descent to the em and rounds them outward to whole
// pixels; its line height adds the face's line gap.
TextMetrics MetricsOf(const FT_Face face) {
  const FT_Size_Metrics& size = face->size->metrics;
  TextMetrics metrics;
  metrics.tmAscent = PixelsOf(size.ascender);
  metrics.tmDescent = PixelsOf(-size.descender);
  metrics.tmHeight = metrics.tmAscent + metrics.tmDescent;
  metrics.tmExternalLeading = std::max(PixelsOf(size.height) - metrics.tmHeight, 0);
  return metrics;
}

// Coverage values of a rendered glyph bitmap: grey levels scaled to 0..255, or 1-bit pixels (an
// embedded bitmap) as 0 or 255. Other pixel modes give no coverage.
std::vector<uint8_t> CoverageOf(const FT_Bitmap& bitmap) {
  const size_t width = bitmap.width;
  std::vector<uint8_t> coverage(width * bitmap.rows);
  const bool grey = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.num_grays > 1;
  const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
  if (!grey && !mono) return std::vector<uint8_t>(coverage.size(), 0);
  const unsigned top_grey = grey ? bitmap.num_grays - 1u : 1u;
  for (size_t row = 0; row < bitmap.rows; ++row) {
    const unsigned char* line = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
    for (size_t column = 0; column < width; ++column) {
      const unsigned value = grey ? line[column] : (line[column / 8] >> (7 - column % 8)) & 1u;
      coverage[row * width + column] = static_cast<uint8_t>(value * 255u / top_grey);
    }
  }
  return coverage;
}

}  // namespace

void Font::LibraryCloser::operator()(FT_LibraryRec_* library) const {
  FT_Done_FreeType(library);
}

void Font::FaceCloser::operator()(FT_FaceRec_* face) const {
  FT_Done_Face(face);
}

Font::Font(Library library, Face face, TextEncoding encoding, bool embolden, std::string family)
    : library_(std::move(library)),
      face_(std::move(face)),
      encoding_(encoding),
      embolden_(embolden),
      family_(std::move(family)),
      metrics_(MetricsOf(face_.get())) {}

bool Font::LoadGlyph(char32_t code) const {
  FT_Face face = face_.get();
  if (FT_Load_Glyph(face, FT_Get_Char_Index(face, code), FT_LOAD_DEFAULT) != 0) return false;
  if (embolden_) FT_GlyphSlot_Embolden(face->glyph);
  return true;
}

bool Font::HasGlyph(char32_t code) const {
  return FT_Get_Char_Index(face_.get(), code) != 0;
}

int32_t Font::Advance(char32_t code) const {
  return LoadGlyph(code) ? PixelsOf(face_->glyph->advance.x) : 0;
}

GlyphImage Font::RenderGlyph(char32_t code) const {
  if (!LoadGlyph(code)) return {};
  FT_GlyphSlot slot = face_->glyph;
  GlyphImage glyph;
  glyph.advance = PixelsOf(slot->advance.x);
  if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
    return glyph;
  }
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.width = static_cast<int32_t>(slot->bitmap.width);
  glyph.rows = static_cast<int32_t>(slot->bitmap.rows);
  glyph.coverage = CoverageOf(slot->bitmap);
  return glyph;
}

std::optional<Font> CreateFont(const FontRequest& request) {
  const std::string family = EncodeUtf8(DecodeText(request.face, request.encoding));
  const std::optional<MatchedFace> matched = MatchFace(family, request.encoding, request.weight);
  if (!matched) return std::nullopt;

  FT_Library raw_library = nullptr;
  if (FT_Init_FreeType(&raw_library) != 0) return std::nullopt;
  Font::Library library(raw_library);
  FT_Face raw_face = nullptr;
  if (FT_New_Face(raw_library, matched->file.c_str(), matched->index, &raw_face) != 0) {
    return std::nullopt;
  }
  Font::Face face(raw_face);
  if (FT_Set_Pixel_Sizes(raw_face, 0, EmPixels(raw_face, request.height)) != 0) {
    return std::nullopt;
  }
  return Font(std::move(library), std::move(face), request.encoding, matched->embolden,
              matched->family);
}

int32_t TextExtent(const Font& font, std::string_view text) {
  int64_t extent = 0;
  for (const char32_t code : DecodeText(text, font.encoding())) extent += font.Advance(code);
  return static_cast<int32_t>(std::min<int64_t>(extent, INT32_MAX));
}

}  // namespace nephrax
