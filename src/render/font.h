// Fonts for text on the drawing surface: a face chosen by fontconfig and loaded by FreeType at a
// size in pixels, with the text metrics the layout of labels and captions is built on.
//
// The face name is matched as fontconfig resolves it, so a name that is not installed still gives
// the closest face there is; a Shift-JIS font asks for a face that covers Japanese (lang=ja).
// Glyphs are rendered with 8-bit coverage for antialiased text; a bold request on a face that has
// no bold is emboldened synthetically, as fontconfig advises.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/text_codes.h"

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace nephrax {

inline constexpr int32_t kNormalWeight = 400;
inline constexpr int32_t kBoldWeight = 700;

struct FontRequest {
  std::string face;  // the face name, in the bytes of `encoding`
  // Negative: the character (em) height in pixels. Positive: the cell height (ascent + descent)
  // in pixels. 0: the default, a 12-pixel em. Ems above 4096 pixels are drawn at 4096.
  int32_t height = 0;
  int32_t weight = 0;  // 1..1000 as 400 normal, 700 bold; 0 is normal
  TextEncoding encoding = TextEncoding::kAnsi;
};

struct TextMetrics {
  int32_t tmAscent = 0;           // pixels from the top of the cell to the baseline
  int32_t tmDescent = 0;          // pixels from the baseline to the bottom of the cell
  int32_t tmHeight = 0;           // the cell: tmAscent + tmDescent
  int32_t tmExternalLeading = 0;  // the face's line gap, added between lines

  friend bool operator==(const TextMetrics&, const TextMetrics&) = default;
};

// A glyph as coverage values, placed from the pen position on the baseline.
struct GlyphImage {
  int32_t left = 0;   // pixels from the pen position to the first column
  int32_t top = 0;    // pixels from the baseline up to the first row
  int32_t width = 0;  // columns
  int32_t rows = 0;
  int32_t advance = 0;            // pixels the pen moves on after the glyph
  std::vector<uint8_t> coverage;  // rows of `width` values, the top row first; 255 covers fully
};

class Font {
 public:
  Font(Font&&) noexcept = default;
  Font& operator=(Font&&) noexcept = default;

  const TextMetrics& metrics() const { return metrics_; }
  // How the bytes of texts drawn in this font are read.
  TextEncoding encoding() const { return encoding_; }
  // The family fontconfig chose, in UTF-8.
  const std::string& family() const { return family_; }

  // Whether the face has a glyph of its own for the character.
  bool HasGlyph(char32_t code) const;
  // Pixels the pen moves on after the character; 0 when it cannot be loaded.
  int32_t Advance(char32_t code) const;
  // The character's glyph; an image without pixels for a blank or a glyph that cannot be loaded.
  // A character the face lacks is drawn as the face's missing-glyph shape.
  GlyphImage RenderGlyph(char32_t code) const;

 private:
  struct LibraryCloser {
    void operator()(FT_LibraryRec_* library) const;
  };
  struct FaceCloser {
    void operator()(FT_FaceRec_* face) const;
  };
  using Library = std::unique_ptr<FT_LibraryRec_, LibraryCloser>;
  using Face = std::unique_ptr<FT_FaceRec_, FaceCloser>;

  friend std::optional<Font> CreateFont(const FontRequest& request);
  Font(Library library, Face face, TextEncoding encoding, bool embolden, std::string family);

  // Loads the character's glyph into the face's glyph slot, which the const functions use as
  // scratch space. False when it cannot be loaded.
  bool LoadGlyph(char32_t code) const;

  Library library_;  // declared before the face, so that the face is closed first
  Face face_;
  TextEncoding encoding_;
  bool embolden_;
  std::string family_;
  TextMetrics metrics_;
};

// The font fontconfig and FreeType give for the request; none when fontconfig finds no face at
// all or FreeType cannot load it at that size.
std::optional<Font> CreateFont(const FontRequest& request);

// The width in pixels of `text` in `font`: the advances of its characters added up.
int32_t TextExtent(const Font& font, std::string_view text);

}  // namespace nephrax
