#include "access/DecoyDraw.h"

#include "keys/RandomSource.h"

QString DecoyDraw::draw(RandomSource &random)
{
    random.reseed();
    quint32 n = random.Random(6);
    if (n < 3)
        n = 6;

    QString decoys;
    decoys.reserve(int(n) + 1);
    for (quint32 i = 0; i <= n; ++i) {
        quint32 c = random.Random(123);
        if (c < Lowest || c > Highest)
            c = u'a';
        decoys.append(QChar(char16_t(c)));
    }
    return decoys;
}
