// The Japanese fonts that the windows ask for by name, mapped to the installed IPA fonts.
#pragma once

#include <QFont>

// Makes "ＭＳ Ｐゴシック" and "ＭＳ 明朝" resolve to installed fonts. Call once before any window.
void RegisterFontSubstitutes();

// The windows' font: "ＭＳ Ｐゴシック" at `pixels` pixels.
QFont GothicFont(int pixels, bool bold = false);
