#include "access/WrongEntryLimit.h"

bool WrongEntryLimit::registerWrongEntry()
{
    ++m_count;
    return m_count > AllowedWrongEntries;
}
