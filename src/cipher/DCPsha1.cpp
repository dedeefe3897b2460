#include "cipher/DCPsha1.h"

bool TDCP_sha1::SelfTest() const
{
    TDCP_sha1 fresh;
    return selfTestWith(fresh, "a9993e364706816aba3e25717850c26c9cd0d89d",
                        "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
}
