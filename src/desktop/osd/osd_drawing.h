#pragma once

#include <QFont>
#include <QImage>
#include <QRegion>
#include <string_view>
#include <vector>

#include "core/clock/osd_layout.h"
#include "core/settings/app_settings.h"

namespace kalvory {

// How an on-screen window looks: what the "ClockSettings" and "TextSettings" sections say about
// its lettering, plus where the text stands inside the window.
struct OsdLooks {
  FontDescription font;
  ColorRef textColor = 0;
  ColorRef gradientColor = 0;
  ColorRef shadowColor = 0;
  bool gradient = false;
  bool verticalGradient = false;
  bool shadow = false;
  int shadowX = 0;
  int shadowY = 0;
  int opacity = 100;  // percent
  int placement = kOsdInitialPlacement;

  friend bool operator==(const OsdLooks&, const OsdLooks&) = default;
};

// The looks kept in a settings section; both sections name their fields alike. The windows are
// always centred both ways.
template <class Section>
OsdLooks looksOf(const Section& section) {
  OsdLooks looks;
  looks.font = section.font;
  looks.textColor = section.color;
  looks.gradientColor = section.grad_color;
  looks.shadowColor = section.shadow_color;
  looks.gradient = section.is_grad != 0;
  looks.verticalGradient = section.is_vert_grad != 0;
  looks.shadow = section.is_shadow != 0;
  looks.shadowX = section.shadow_x;
  looks.shadowY = section.shadow_y;
  looks.opacity = section.opacity;
  looks.placement = kOsdCentred;
  return looks;
}

// Writes the fields the configuration page edits back into a settings section.
template <class Section>
void storeLooks(const OsdLooks& looks, Section& section) {
  section.font = looks.font;
  section.color = looks.textColor;
  section.grad_color = looks.gradientColor;
  section.shadow_color = looks.shadowColor;
  section.is_grad = looks.gradient ? 1 : 0;
  section.is_vert_grad = looks.verticalGradient ? 1 : 0;
  section.is_shadow = looks.shadow ? 1 : 0;
  section.shadow_x = looks.shadowX;
  section.shadow_y = looks.shadowY;
  section.opacity = looks.opacity;
}

// A font of the settings as Qt draws it. The height follows the logical-font rule: a negative
// height is the characters' pixel height, a positive one the height of the whole cell (ascent
// plus descent). Weight and italic as stored; weight 0 means normal.
QFont fontFromDescription(const FontDescription& description);
// The settings' form of a font the user picked: its family, its pixel height as a negative
// height, weight and italic.
FontDescription descriptionFromFont(const QFont& font);

// The three fonts of an on-screen window: the chosen one, the same face at three quarters of its
// height for raised text, and the symbol font at the chosen height. Symbols are drawn in
// "Webdings" where it is installed, else as their Unicode equivalents in Symbola.
class OsdFonts {
 public:
  explicit OsdFonts(const FontDescription& description);

  const QFont& font(OsdFont which) const;
  // Whether the real Webdings font draws the symbols (then by their Webdings codes).
  bool webdings() const { return webdings_; }
  // The text of one piece in its font: the Webdings code with Webdings, else the character.
  QString pieceText(const OsdTextPiece& piece) const;
  OsdGlyphSize measure(const OsdTextPiece& piece) const;

 private:
  QFont main_;
  QFont small_;
  QFont symbol_;
  bool webdings_ = false;
};

// The font that draws symbols `pixelHeight` pixels high (smoothed, for dialogs), and the text
// that draws Webdings code `code` in it.
QFont symbolDisplayFont(int pixelHeight);
QString symbolDisplayText(int code);

// The size of a text as the window measures it: each line as wide as the wider of its width in
// the main font (marks as they stand) and the room its drawing takes, so that a symbol wider than
// the letter it stands for is never cut; the height is the number of lines times the main font's
// height.
OsdSize measureOsdText(const OsdFonts& fonts, std::string_view text);
// Where each character of `text` is drawn with its top-left corner at `origin`.
std::vector<OsdTextPiece> layOutOsdText(const OsdFonts& fonts, std::string_view text, QPoint origin);

// One drawing of a window: the image it shows, the mask its shape comes from, and the sizes.
struct OsdRendering {
  QImage image;  // Format_RGB32, the window's size
  QImage mask;   // Format_RGB32: the lettering (and shadow) white on black
  OsdSize textSize;
  QPoint textOffset;
};
// Draws the window for `text`: lettering in the text colour or the gradient, the shadow layer
// combined by AND and OR, everything else black; the window is the text plus 5 pixels each side.
OsdRendering renderOsd(const OsdLooks& looks, std::string_view text);
// The shape: every pixel of the mask that is not (nearly) black.
QRegion osdShape(const QImage& mask);
// The window as the screen shows it: 32-bit with alpha, the window's constant alpha inside its
// shape and 0 outside.
QImage osdWindowPicture(const OsdRendering& rendering, int opacity);

}  // namespace kalvory
