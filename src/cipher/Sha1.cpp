#include "cipher/Sha1.h"

bool Sha1::SelfTest() const
{
    Sha1 fresh;
    return selfTestWith(fresh, "a9993e364706816aba3e25717850c26c9cd0d89d",
                        "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
}
