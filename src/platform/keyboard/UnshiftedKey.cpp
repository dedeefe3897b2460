#include "platform/keyboard/UnshiftedKey.h"

#include <QStringView>

namespace {

constexpr QStringView shifted = u"!@#$%^&*()_+{}|:\"<>?~";
constexpr QStringView plain = u"1234567890-=[]\\;',./`";

} // namespace

QChar UnshiftedKey::of(QChar character)
{
    if (character >= u'A' && character <= u'Z')
        return character.toLower();
    const qsizetype index = shifted.indexOf(character);
    return index >= 0 ? plain.at(index) : character;
}
