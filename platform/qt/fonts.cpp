#include "platform/qt/fonts.h"

#include <QStringList>

void RegisterFontSubstitutes() {
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QStringList mincho;
    mincho << QStringLiteral("IPAPMincho") << QStringLiteral("IPAPGothic");
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"), mincho);
}

QFont GothicFont(int pixels, bool bold) {
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}
