#include "access/DecoyDraw.h"

#include "keys/RandomSource.h"

std::optional<QString> DecoyDraw::draw(RandomSource &random)
{
    const std::optional<quint32> count = random.between(MinimumCount, MaximumCount);
    if (!count)
        return std::nullopt;
    QString decoys;
    decoys.reserve(int(*count));
    for (quint32 i = 0; i < *count; ++i) {
        const std::optional<quint32> c = random.between(Lowest, Highest);
        if (!c)
            return std::nullopt;
        decoys.append(QChar(char16_t(*c)));
    }
    return decoys;
}
